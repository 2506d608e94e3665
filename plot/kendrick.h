#pragma once

#include <string>

namespace plot {

// Kendrick masses. Rescaling every mass by nominal/exact mass of a repeating unit (CH2 by
// default in the field) gives the unit a whole mass, so the members of a homologous series,
// which differ by whole units, share one Kendrick mass defect and line up horizontally.
//
// The Kendrick mass defect here is the part of the Kendrick mass after the decimal point,
// KM - floor(KM), in [0, 1): the same axis as the plain mass defect of the filter.

// A repeating unit: a formula of C, H, N, O, F, Cl, Br, S, P and Si, its monoisotopic mass
// (Da) and its nominal mass (the sum of the mass numbers of the most abundant isotopes).
struct KendrickBase {
    std::string formula;
    double exactMass = 0.0;
    long nominalMass = 0;

    double KendrickMass(double mass) const;
    double KendrickMassDefect(double mass) const;
};

// Parses a formula such as "CH2", "C2H4O" or "CF2": element symbols, each followed by an
// optional count (1..9999); an element may appear more than once. False with `error` saying
// what is wrong and where, e.g. "formula \"CX2\": unknown element \"X\" at character 2".
bool ParseKendrickBase(const std::string& formula, KendrickBase& base, std::string& error);

}  // namespace plot
