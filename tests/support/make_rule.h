#pragma once

#include <cstdint>

#include "params/mass_range.h"

// A rule in one line, for tables of test cases.
inline CMassRange MakeRule(std::int32_t function, std::uint32_t low, std::uint32_t high,
                           double defect, std::uint32_t above, std::uint32_t below) {
    CMassRange r;
    r.SetFunction(function);
    r.SetLowMass(low);
    r.SetHighMass(high);
    r.SetMassDefect(defect);
    r.SetWindowAbove(above);
    r.SetWindowBelow(below);
    return r;
}
