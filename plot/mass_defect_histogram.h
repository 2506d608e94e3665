#pragma once

#include <cstdint>
#include <vector>

#include "plot/kendrick.h"
#include "processing/peak_filter.h"

namespace plot {

// Peaks of one function binned by mass (x) and mass defect (y), split into the peaks the
// filter keeps and the peaks it drops. Memory is two grids of columns x rows cells, whatever
// the number of peaks, so an acquisition of any size is binned as it is read.
//
// Each peak is taken as the filter takes it: its mass as a 32-bit float widened to double;
// its defect is MassFraction of that mass (or, with a Kendrick base, the Kendrick mass
// defect of it); kept or dropped is FunctionFilter::Decide's bit. A function without rules is
// copied whole by the filter, so all its peaks count as kept.
//
// Cell (c, r) holds masses in [MassLow() + c * w, MassLow() + (c + 1) * w), w the column
// width, and defects in [r / rows, (r + 1) / rows): row 0 is defect 0, at the bottom.

enum class PeakWeight { kCount, kIntensity };

struct HistogramSettings {
    int columns = 1000;  // at least 1
    int rows = 500;      // at least 1
    // A fixed mass axis [massLow, massHigh) when massHigh > massLow. Otherwise the axis starts
    // at [0, 64) Da and doubles, merging neighbouring columns, whenever a peak lies beyond it,
    // up to kMaxAutoMass; the peaks beyond that are counted but not binned.
    double massLow = 0.0;
    double massHigh = 0.0;
    PeakWeight weight = PeakWeight::kCount;
    // When set, y is the Kendrick mass defect for this base instead of the mass defect.
    const KendrickBase* kendrick = nullptr;
};

inline constexpr double kMaxAutoMass = 4194304.0;  // 64 Da doubled 16 times

class MassDefectHistogram {
  public:
    MassDefectHistogram(const HistogramSettings& settings,
                        const processing::FunctionFilter& filter);

    // Bins n peaks; `intensities` may be null when the weight is the count.
    void Add(const float* masses, const double* intensities, std::uint32_t n);

    int Columns() const { return columns_; }
    int Rows() const { return rows_; }
    double MassLow() const { return massLow_; }
    double MassHigh() const { return massHigh_; }
    bool Kendrick() const { return kendrick_ != nullptr; }
    // True when the histogram chose its own mass axis (no fixed range was given).
    bool AutoMass() const { return autoMass_; }
    PeakWeight Weight() const { return weight_; }

    // The summed weight of the cell; cells outside the grid read 0.
    double Kept(int column, int row) const;
    double Dropped(int column, int row) const;

    // Every peak given, and those the filter keeps, binned or not.
    std::uint64_t PeaksRead() const { return peaksRead_; }
    std::uint64_t PeaksKept() const { return peaksKept_; }
    // The peaks that fell on the grid.
    std::uint64_t PeaksBinned() const { return peaksBinned_; }
    // Binned peaks whose intensity (NaN, infinite or negative) was taken as 0 by the weight
    // kIntensity.
    std::uint64_t PeaksUnweighted() const { return peaksUnweighted_; }
    // The lowest and highest binned mass (0 and 0 before the first).
    double LowestBinnedMass() const { return lowestMass_; }
    double HighestBinnedMass() const { return highestMass_; }

    // The cell of a mass and a defect on the current axes; -1 when outside.
    int ColumnOf(double mass) const;
    int RowOf(double defect) const;

  private:
    void WidenTo(double mass);
    // Kept and dropped of one cell sit side by side: a peak touches one cache line.
    std::size_t CellIndex(int column, int row) const;

    int columns_;
    int rows_;
    double massLow_;
    double massHigh_;
    bool autoMass_;
    PeakWeight weight_;
    const KendrickBase* kendrick_;
    const processing::FunctionFilter& filter_;
    double columnScale_;  // columns per Da
    std::vector<double> cells_;
    std::uint64_t peaksRead_ = 0;
    std::uint64_t peaksKept_ = 0;
    std::uint64_t peaksBinned_ = 0;
    std::uint64_t peaksUnweighted_ = 0;
    double lowestMass_ = 0.0;
    double highestMass_ = 0.0;
};

}  // namespace plot
