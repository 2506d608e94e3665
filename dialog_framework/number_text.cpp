#include "dialog_framework/number_text.h"

#include <locale.h>
#include <clocale>
#include <cmath>
#include <cstdlib>

namespace {

locale_t CLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t{});
    return locale;
}

bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::optional<std::int64_t> ParseIntegerField(const QString& text, bool allowMinus) {
    // Beyond this every field is out of range; stopping here keeps the sum from overflowing.
    constexpr std::int64_t kSaturation = std::int64_t{1} << 40;
    qsizetype pos = 0;
    qsizetype end = text.size();
    while (pos < end && IsBlank(text[pos])) {
        ++pos;
    }
    while (end > pos && IsBlank(text[end - 1])) {
        --end;
    }
    bool negative = false;
    if (allowMinus && pos < end && text[pos] == QLatin1Char('-')) {
        negative = true;
        ++pos;
    }
    if (pos == end) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (; pos < end; ++pos) {
        const char16_t c = text[pos].unicode();
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        if (value < kSaturation) {
            value = value * 10 + (c - u'0');
        }
    }
    return negative ? -value : value;
}

std::optional<double> ParseDoubleField(const QString& text) {
    // strtod also reads "nan", "inf" and hexadecimal floats, which are no mass defect a user
    // types; only decimal digits, sign, point and exponent get that far.
    for (const QChar c : text) {
        if (!IsBlank(c) && !QStringLiteral("0123456789+-.eE").contains(c)) {
            return std::nullopt;
        }
    }
    const QByteArray bytes = text.toUtf8();
    const char* begin = bytes.constData();
    char* parsedEnd = nullptr;
    const double value = strtod_l(begin, &parsedEnd, CLocale());
    if (parsedEnd == begin) {
        return std::nullopt;
    }
    while (IsBlank(*parsedEnd)) {
        ++parsedEnd;
    }
    // Out of range ("1e400") comes back infinite, and a rule with an infinite defect would
    // silently keep nothing.
    if (parsedEnd != begin + bytes.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::int32_t LeadingInt(const QString& text) {
    // atoi is strtol narrowed to int.
    return static_cast<std::int32_t>(std::strtol(text.toLatin1().constData(), nullptr, 10));
}

double LeadingDouble(const QString& text) {
    return strtod_l(text.toLatin1().constData(), nullptr, CLocale());
}

QString DoubleFieldText(double value) {
    return QString::asprintf("%.15g", value);
}
