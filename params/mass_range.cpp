#include "params/mass_range.h"

CMassRange::~CMassRange() = default;

bool CMassRange::operator==(const CMassRange& other) const {
    return function == other.function && massDefect == other.massDefect &&
           highMass == other.highMass && lowMass == other.lowMass &&
           windowAbove == other.windowAbove && windowBelow == other.windowBelow;
}
