#pragma once

#include <string>

#include "params/mass_range.h"

namespace params {

// The text form of a rule for command lines and rule files:
//   FUNCTION:LOW:HIGH:DEFECT:ABOVE:BELOW
// function 0..1000; low and high mass 0..150000 Da; mass defect any finite number (Da);
// window above and below 0..150000 mDa. These are the limits the rule dialog enforces.

// Parses `text` into `rule`. On failure returns false, leaves `rule` untouched and puts into
// `error` which field is wrong and why, e.g. "high mass: 150001 is not in 0..150000".
bool ParseRule(const std::string& text, CMassRange& rule, std::string& error);

// The same form back, with the defect printed so that it parses to the same double.
std::string FormatRule(const CMassRange& rule);

}  // namespace params
