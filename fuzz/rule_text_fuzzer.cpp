// The rule parser on hostile text. Beyond "no crash": a refused rule leaves the caller's rule
// as it was and says why; an accepted one is within the documented limits and survives a
// round trip through its text form.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "params/mass_range.h"
#include "params/rule_text.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const params::CMassRange untouched = params::MakeMassRange(7, 1, 2, 0.25, 3, 4);
    params::CMassRange rule = untouched;
    std::string error;
    if (!params::ParseRule(text, rule, error)) {
        Check(rule == untouched && !error.empty());
        return 0;
    }
    Check(rule.GetFunction() >= 0 && rule.GetFunction() <= 1000);
    Check(rule.GetLowMass() <= 150000 && rule.GetHighMass() <= 150000);
    Check(rule.GetWindowAbove() <= 150000 && rule.GetWindowBelow() <= 150000);
    Check(std::isfinite(rule.GetMassDefect()));
    const std::string formatted = params::FormatRule(rule);
    params::CMassRange again = untouched;
    Check(params::ParseRule(formatted, again, error) && again == rule);
    Check(params::FormatRule(again) == formatted);
    return 0;
}
