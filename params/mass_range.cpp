#include "params/mass_range.h"

namespace params {

CMassRange::~CMassRange() = default;

bool CMassRange::operator==(const CMassRange& other) const {
    return function == other.function && massDefect == other.massDefect &&
           highMass == other.highMass && lowMass == other.lowMass &&
           windowAbove == other.windowAbove && windowBelow == other.windowBelow;
}

CMassRange MakeMassRange(std::int32_t function, std::uint32_t lowMass, std::uint32_t highMass,
                         double massDefect, std::uint32_t windowAbove, std::uint32_t windowBelow) {
    CMassRange rule;
    rule.SetFunction(function);
    rule.SetLowMass(lowMass);
    rule.SetHighMass(highMass);
    rule.SetMassDefect(massDefect);
    rule.SetWindowAbove(windowAbove);
    rule.SetWindowBelow(windowBelow);
    return rule;
}

}  // namespace params
