#include "dialog_framework/data_exchange.h"

#include <QLineEdit>
#include <QWidget>
#include <optional>

#include "dialog_framework/message_box.h"
#include "dialog_framework/number_text.h"

void DataExchange::Fail(QLineEdit* control, const QString& message) {
    failed = true;
    // Under the program's name as its main dialog spells it, not the executable's.
    ShowMessageBox({QMessageBox::Warning, QStringLiteral("Brevanto"), message, QString()},
                   control->window());
    control->setFocus(Qt::OtherFocusReason);
    control->selectAll();
}

namespace {

QString IntegerExpected() {
    return QStringLiteral("Please enter an integer.");
}

QString IntegerBetween(std::int64_t min, std::int64_t max) {
    return QStringLiteral("Please enter an integer between %1 and %2.").arg(min).arg(max);
}

// Shared by the signed and unsigned exchanges: both read into 64 bits and check the range
// there, so an unsigned field cannot wrap around.
std::optional<std::int64_t> ReadInteger(DataExchange& dx, QLineEdit* edit, bool allowMinus,
                                        std::int64_t min, std::int64_t max) {
    const std::optional<std::int64_t> parsed = ParseIntegerField(edit->text(), allowMinus);
    if (!parsed) {
        dx.Fail(edit, IntegerExpected());
        return std::nullopt;
    }
    if (*parsed < min || *parsed > max) {
        dx.Fail(edit, IntegerBetween(min, max));
        return std::nullopt;
    }
    return parsed;
}

}  // namespace

void ExchangeInt(DataExchange& dx, QLineEdit* edit, std::int32_t& value, std::int32_t min,
                 std::int32_t max) {
    if (dx.Failed()) {
        return;
    }
    if (!dx.SaveAndValidate()) {
        edit->setText(QString::number(value));
        return;
    }
    if (const auto parsed = ReadInteger(dx, edit, true, min, max)) {
        value = static_cast<std::int32_t>(*parsed);
    }
}

void ExchangeUInt(DataExchange& dx, QLineEdit* edit, std::uint32_t& value, std::uint32_t min,
                  std::uint32_t max) {
    if (dx.Failed()) {
        return;
    }
    if (!dx.SaveAndValidate()) {
        edit->setText(QString::number(value));
        return;
    }
    if (const auto parsed = ReadInteger(dx, edit, false, min, max)) {
        value = static_cast<std::uint32_t>(*parsed);
    }
}

void ExchangeDouble(DataExchange& dx, QLineEdit* edit, double& value) {
    if (dx.Failed()) {
        return;
    }
    if (!dx.SaveAndValidate()) {
        edit->setText(DoubleFieldText(value));
        return;
    }
    if (const std::optional<double> parsed = ParseDoubleField(edit->text())) {
        value = *parsed;
    } else {
        dx.Fail(edit, QStringLiteral("Please enter a number."));
    }
}
