#pragma once

#include <cstdint>

namespace params {

// One processing rule: in acquisition function `function`, keep the peaks whose mass lies in
// [lowMass, highMass) Da and whose mass defect lies inside the window from `windowBelow` mDa
// below to `windowAbove` mDa above `massDefect`. The fields carry no invariant between them:
// a rule with lowMass > highMass is held like any other (it simply keeps nothing). Value
// ranges are enforced by whoever takes the rule from a user, never here.
class CMassRange {
  public:
    CMassRange() = default;
    CMassRange(const CMassRange&) = default;
    CMassRange& operator=(const CMassRange&) = default;
    virtual ~CMassRange();

    std::int32_t GetFunction() const { return function; }
    double GetMassDefect() const { return massDefect; }
    std::uint32_t GetHighMass() const { return highMass; }
    std::uint32_t GetLowMass() const { return lowMass; }
    std::uint32_t GetWindowAbove() const { return windowAbove; }
    std::uint32_t GetWindowBelow() const { return windowBelow; }

    void SetFunction(std::int32_t value) { function = value; }
    void SetMassDefect(double value) { massDefect = value; }
    void SetHighMass(std::uint32_t value) { highMass = value; }
    void SetLowMass(std::uint32_t value) { lowMass = value; }
    void SetWindowAbove(std::uint32_t value) { windowAbove = value; }
    void SetWindowBelow(std::uint32_t value) { windowBelow = value; }

    bool operator==(const CMassRange& other) const;

  private:
    std::int32_t function = 1;      // acquisition function, numbered from 1
    double massDefect = 0.0;        // Da, centre of the window
    std::uint32_t highMass = 0;     // Da, exclusive
    std::uint32_t lowMass = 0;      // Da, inclusive
    std::uint32_t windowAbove = 0;  // mDa
    std::uint32_t windowBelow = 0;  // mDa
};

// A rule from its six values, in the order the rule's text form gives them.
CMassRange MakeMassRange(std::int32_t function, std::uint32_t lowMass, std::uint32_t highMass,
                         double massDefect, std::uint32_t windowAbove, std::uint32_t windowBelow);

}  // namespace params
