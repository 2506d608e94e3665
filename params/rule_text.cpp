#include "params/rule_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace params {

namespace {

std::vector<std::string> SplitFields(const std::string& text) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = text.find(':', start);
        fields.push_back(text.substr(start, colon - start));
        if (colon == std::string::npos) {
            return fields;
        }
        start = colon + 1;
    }
}

bool ParseWhole(const std::string& field, const char* name, std::uint32_t max, std::uint32_t& out,
                std::string& error) {
    std::uint64_t value = 0;
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, value);
    if (field.empty() || ec == std::errc::invalid_argument || ptr != end) {
        error = std::string(name) + ": '" + field + "' is not a whole number";
        return false;
    }
    if (ec == std::errc::result_out_of_range || value > max) {
        error = std::string(name) + ": " + field + " is not in 0.." + std::to_string(max);
        return false;
    }
    out = static_cast<std::uint32_t>(value);
    return true;
}

bool ParseDefect(const std::string& field, double& out, std::string& error) {
    // strtod, not from_chars, so that the usual spellings ("+0.5", ".5") are taken.
    char* end = nullptr;
    const double value = std::strtod(field.c_str(), &end);
    if (field.empty() || end != field.c_str() + field.size() ||
        std::isspace(static_cast<unsigned char>(field.front())) != 0) {
        error = "mass defect: '" + field + "' is not a number";
        return false;
    }
    if (!std::isfinite(value)) {
        error = "mass defect: '" + field + "' is not a finite number";
        return false;
    }
    out = value;
    return true;
}

}  // namespace

bool ParseRule(const std::string& text, CMassRange& rule, std::string& error) {
    const std::vector<std::string> fields = SplitFields(text);
    if (fields.size() != 6) {
        error = "expected 6 fields FUNCTION:LOW:HIGH:DEFECT:ABOVE:BELOW, found " +
                std::to_string(fields.size());
        return false;
    }
    std::uint32_t function = 0, low = 0, high = 0, above = 0, below = 0;
    double defect = 0.0;
    if (!ParseWhole(fields[0], "function", 1000, function, error) ||
        !ParseWhole(fields[1], "low mass", 150000, low, error) ||
        !ParseWhole(fields[2], "high mass", 150000, high, error) ||
        !ParseDefect(fields[3], defect, error) ||
        !ParseWhole(fields[4], "window above", 150000, above, error) ||
        !ParseWhole(fields[5], "window below", 150000, below, error)) {
        return false;
    }
    rule = MakeMassRange(static_cast<std::int32_t>(function), low, high, defect, above, below);
    return true;
}

std::string FormatRule(const CMassRange& rule) {
    char defect[64];
    const auto [end, ec] = std::to_chars(defect, defect + sizeof defect, rule.GetMassDefect());
    return std::to_string(rule.GetFunction()) + ":" + std::to_string(rule.GetLowMass()) + ":" +
           std::to_string(rule.GetHighMass()) + ":" + std::string(defect, end) + ":" +
           std::to_string(rule.GetWindowAbove()) + ":" + std::to_string(rule.GetWindowBelow());
}

}  // namespace params
