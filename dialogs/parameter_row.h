#pragma once

#include <QString>
#include <array>

#include "params/mass_range.h"

// The only text form of a rule: one row of the parameters list, columns "Function",
// "Mass Range", "Mass Defect", "Window Above", "Window Below".
using ParameterRowTexts = std::array<QString, 5>;

// "%i", "%i to %i" (low, then high), "%.4f", "%i", "%i". The unsigned fields go through "%i"
// as the 32-bit signed value of their bits and come back the same way, so every integer field
// round-trips exactly; the mass defect comes back rounded to four decimals.
ParameterRowTexts RowTextsOf(const params::CMassRange& rule);

// Reads a row back with atoi and atof. The mass range splits at its first " to ".
params::CMassRange RuleFromRowTexts(const ParameterRowTexts& texts);
