#include "dialogs/parameter_row.h"

#include <cstdint>

#include "dialog_framework/number_text.h"

namespace {

const QString kRangeSeparator = QStringLiteral(" to ");

int AsPrintedInt(std::uint32_t value) {
    return static_cast<int>(value);
}

}  // namespace

ParameterRowTexts RowTextsOf(const params::CMassRange& rule) {
    return {
        QString::asprintf("%i", rule.GetFunction()),
        QString::asprintf("%i to %i", AsPrintedInt(rule.GetLowMass()),
                          AsPrintedInt(rule.GetHighMass())),
        QString::asprintf("%.4f", rule.GetMassDefect()),
        QString::asprintf("%i", AsPrintedInt(rule.GetWindowAbove())),
        QString::asprintf("%i", AsPrintedInt(rule.GetWindowBelow())),
    };
}

params::CMassRange RuleFromRowTexts(const ParameterRowTexts& texts) {
    params::CMassRange rule;
    rule.SetFunction(LeadingInt(texts[0]));
    const QString& range = texts[1];
    const qsizetype separator = range.indexOf(kRangeSeparator);
    if (separator >= 0) {
        rule.SetLowMass(static_cast<std::uint32_t>(LeadingInt(range.left(separator))));
        rule.SetHighMass(
            static_cast<std::uint32_t>(LeadingInt(range.mid(separator + kRangeSeparator.size()))));
    } else {
        rule.SetLowMass(static_cast<std::uint32_t>(LeadingInt(range)));
        rule.SetHighMass(0);
    }
    rule.SetMassDefect(LeadingDouble(texts[2]));
    rule.SetWindowAbove(static_cast<std::uint32_t>(LeadingInt(texts[3])));
    rule.SetWindowBelow(static_cast<std::uint32_t>(LeadingInt(texts[4])));
    return rule;
}
