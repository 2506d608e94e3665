#include "plot/kendrick.h"

#include <array>
#include <cctype>
#include <cmath>
#include <string_view>

namespace plot {

namespace {

struct Element {
    std::string_view symbol;
    double monoisotopic;
    long nominal;
};

// Monoisotopic masses of the most abundant isotope of each element.
constexpr std::array<Element, 10> kElements{{
    {"C", 12.0, 12},
    {"H", 1.00782503207, 1},
    {"N", 14.0030740048, 14},
    {"O", 15.99491461956, 16},
    {"F", 18.99840322, 19},
    {"Cl", 34.96885268, 35},
    {"Br", 78.9183371, 79},
    {"S", 31.97207100, 32},
    {"P", 30.97376163, 31},
    {"Si", 27.9769265325, 28},
}};

constexpr long kMaxCount = 9999;

const Element* FindElement(std::string_view symbol) {
    for (const Element& e : kElements) {
        if (e.symbol == symbol) {
            return &e;
        }
    }
    return nullptr;
}

}  // namespace

double KendrickBase::KendrickMass(double mass) const {
    return mass * (static_cast<double>(nominalMass) / exactMass);
}

double KendrickBase::KendrickMassDefect(double mass) const {
    const double km = KendrickMass(mass);
    return km - std::floor(km);
}

bool ParseKendrickBase(const std::string& formula, KendrickBase& base, std::string& error) {
    const std::string quoted = "formula \"" + formula + "\"";
    if (formula.empty()) {
        error = "the Kendrick base formula is empty";
        return false;
    }
    double exact = 0.0;
    long nominal = 0;
    std::size_t i = 0;
    while (i < formula.size()) {
        const std::size_t start = i;
        if (std::isupper(static_cast<unsigned char>(formula[i])) == 0) {
            error = quoted + ": expected an element symbol at character " + std::to_string(i + 1);
            return false;
        }
        ++i;
        if (i < formula.size() && std::islower(static_cast<unsigned char>(formula[i])) != 0) {
            ++i;
        }
        const std::string symbol = formula.substr(start, i - start);
        const Element* element = FindElement(symbol);
        if (element == nullptr) {
            error = quoted + ": unknown element \"" + symbol + "\" at character " +
                    std::to_string(start + 1) + " (C, H, N, O, F, Cl, Br, S, P and Si are known)";
            return false;
        }
        long count = 1;
        if (i < formula.size() && std::isdigit(static_cast<unsigned char>(formula[i])) != 0) {
            const std::size_t digits = i;
            count = 0;
            while (i < formula.size() &&
                   std::isdigit(static_cast<unsigned char>(formula[i])) != 0) {
                count = count * 10 + (formula[i] - '0');
                ++i;
                if (count > kMaxCount) {
                    error = quoted + ": the count at character " + std::to_string(digits + 1) +
                            " is above " + std::to_string(kMaxCount);
                    return false;
                }
            }
            if (count == 0) {
                error = quoted + ": the count of \"" + symbol + "\" is 0";
                return false;
            }
        }
        exact += element->monoisotopic * static_cast<double>(count);
        nominal += element->nominal * count;
    }
    base.formula = formula;
    base.exactMass = exact;
    base.nominalMass = nominal;
    return true;
}

}  // namespace plot
