#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// Text to number and back, always in the C locale: the decimal separator is '.', whatever
// locale the application runs in.

// A whole field holding an integer: blanks (space, tab) around it, digits, and with
// `allowMinus` one leading '-'. Nothing else, and not empty. Values too large for any 32-bit
// field come back saturated, so that a range check refuses them.
std::optional<std::int64_t> ParseIntegerField(const QString& text, bool allowMinus);

// A whole field holding a finite decimal number (sign, digits, point, exponent), with blanks
// around it allowed. Empty text, anything left over, hexadecimal floats, "inf", "nan" and
// values beyond the range of a double are refused.
std::optional<double> ParseDoubleField(const QString& text);

// atoi and atof: the number at the start of the text, 0 when there is none.
std::int32_t LeadingInt(const QString& text);
double LeadingDouble(const QString& text);

// The plain text form of a double in an edit: "%.15g", so typed values such as 0.365 come back
// exactly as typed, without the noise digits of the binary value.
QString DoubleFieldText(double value);
