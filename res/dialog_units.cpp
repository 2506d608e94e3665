#include "res/dialog_units.h"

#include <QFontMetrics>
#include <QString>
#include <cstdint>

QFont DialogFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = 52;
    const int total = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(total + letters / 2) / letters, metrics.height()};
}

int MulDiv(int value, int numerator, int denominator) {
    if (denominator == 0) {
        return -1;
    }
    const std::int64_t product = std::int64_t{value} * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const std::int64_t magnitude = product < 0 ? -product : product;
    const std::int64_t divisor = denominator < 0 ? -std::int64_t{denominator} : denominator;
    const std::int64_t quotient = (magnitude + divisor / 2) / divisor;
    return static_cast<int>(negative ? -quotient : quotient);
}

QRect MapDialogRect(const QRect& dialogUnits, DialogBaseUnits units) {
    return {MulDiv(dialogUnits.x(), units.width, 4), MulDiv(dialogUnits.y(), units.height, 8),
            MulDiv(dialogUnits.width(), units.width, 4),
            MulDiv(dialogUnits.height(), units.height, 8)};
}

QSize MapDialogSize(const QSize& dialogUnits, DialogBaseUnits units) {
    return {MulDiv(dialogUnits.width(), units.width, 4),
            MulDiv(dialogUnits.height(), units.height, 8)};
}
