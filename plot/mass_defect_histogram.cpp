#include "plot/mass_defect_histogram.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace plot {

namespace {

constexpr std::uint32_t kBlock = 256;
constexpr double kFirstAutoMass = 64.0;
constexpr std::uint32_t kPrefetchAhead = 32;

// The cell along one axis of a value already known to lie on it, [low, low + cells / scale).
// A value just below the top can round onto the next cell. The binning loop passes copies of
// the axis so that its writes to the cells need not reload them.
int CellAlong(double value, double low, double scale, int cells) {
    return std::min(static_cast<int>((value - low) * scale), cells - 1);
}

}  // namespace

MassDefectHistogram::MassDefectHistogram(const HistogramSettings& settings,
                                         const processing::FunctionFilter& filter)
    : columns_(std::max(settings.columns, 1)),
      rows_(std::max(settings.rows, 1)),
      massLow_(settings.massLow),
      massHigh_(settings.massHigh),
      autoMass_(!(settings.massHigh > settings.massLow)),
      weight_(settings.weight),
      kendrick_(settings.kendrick),
      filter_(filter) {
    if (autoMass_) {
        massLow_ = 0.0;
        massHigh_ = kFirstAutoMass;
    }
    columnScale_ = columns_ / (massHigh_ - massLow_);
    cells_.assign(2 * static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), 0.0);
}

std::size_t MassDefectHistogram::CellIndex(int column, int row) const {
    return 2 * (static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
                static_cast<std::size_t>(column));
}

int MassDefectHistogram::ColumnOf(double mass) const {
    if (!(mass >= massLow_ && mass < massHigh_)) {
        return -1;
    }
    return CellAlong(mass, massLow_, columnScale_, columns_);
}

int MassDefectHistogram::RowOf(double defect) const {
    if (!(defect >= 0.0 && defect < 1.0)) {
        return -1;
    }
    return CellAlong(defect, 0.0, rows_, rows_);
}

double MassDefectHistogram::Kept(int column, int row) const {
    if (column < 0 || column >= columns_ || row < 0 || row >= rows_) {
        return 0.0;
    }
    return cells_[CellIndex(column, row)];
}

double MassDefectHistogram::Dropped(int column, int row) const {
    if (column < 0 || column >= columns_ || row < 0 || row >= rows_) {
        return 0.0;
    }
    return cells_[CellIndex(column, row) + 1];
}

void MassDefectHistogram::WidenTo(double mass) {
    while (mass >= massHigh_ && massHigh_ * 2.0 <= kMaxAutoMass) {
        // Column c of the doubled axis covers columns 2c and 2c + 1 of the old one exactly,
        // because the axis starts at 0.
        for (int r = 0; r < rows_; ++r) {
            double* row = cells_.data() + CellIndex(0, r);
            for (int c = 0; c < columns_; ++c) {
                for (int k = 0; k < 2; ++k) {
                    double sum = 0.0;
                    if (2 * c < columns_)
                        sum += row[2 * (2 * c) + k];
                    if (2 * c + 1 < columns_)
                        sum += row[2 * (2 * c + 1) + k];
                    row[2 * c + k] = sum;
                }
            }
        }
        massHigh_ *= 2.0;
        columnScale_ = columns_ / (massHigh_ - massLow_);
    }
}

void MassDefectHistogram::Add(const float* masses, const double* intensities, std::uint32_t n) {
    if (autoMass_) {
        // Widening first, once per call, keeps the loop below free of it.
        float highest = 0.0f;
        for (std::uint32_t p = 0; p < n; ++p) {
            highest = masses[p] > highest ? masses[p] : highest;  // NaN never wins
        }
        if (static_cast<double>(highest) >= massHigh_) {
            WidenTo(static_cast<double>(highest));
        }
    }
    const bool keepAll = filter_.Empty();
    const bool byIntensity = weight_ == PeakWeight::kIntensity && intensities != nullptr;
    const double low = massLow_;
    const double high = massHigh_;
    const double scale = columnScale_;
    const int columns = columns_;
    const int rows = rows_;
    double lowest = peaksBinned_ == 0 ? std::numeric_limits<double>::infinity() : lowestMass_;
    double highest = peaksBinned_ == 0 ? -std::numeric_limits<double>::infinity() : highestMass_;
    std::uint64_t binned = 0;
    std::uint64_t kept = 0;
    std::uint64_t unweighted = 0;
    std::uint64_t keep[kBlock / 64];
    // Each block is first turned into cell indexes and weights, then added: the additions
    // land on random cells of a grid larger than the cache, and fetching the cells a few
    // peaks ahead overlaps those misses instead of waiting on each in turn.
    std::size_t target[kBlock];
    double weights[kBlock];
    for (std::uint32_t start = 0; start < n; start += kBlock) {
        const std::uint32_t count = std::min(n - start, kBlock);
        if (!keepAll) {
            filter_.Decide(masses + start, count, keep);
        }
        std::uint32_t m = 0;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t p = start + i;
            const bool isKept = keepAll || ((keep[i / 64] >> (i % 64)) & 1U) != 0;
            kept += isKept ? 1 : 0;
            const double mass = static_cast<double>(masses[p]);
            const double y = kendrick_ != nullptr ? kendrick_->KendrickMassDefect(mass)
                                                  : processing::MassFraction(mass);
            // NaN fails every comparison and so stays off the grid.
            if (!(mass >= low && mass < high && y >= 0.0 && y < 1.0)) {
                continue;
            }
            const int column = CellAlong(mass, low, scale, columns);
            const int row = CellAlong(y, 0.0, rows, rows);
            double weight = 1.0;
            if (byIntensity) {
                weight = intensities[p];
                // A NaN, infinite or negative intensity would spoil its cell's sum and the
                // colour scale; such a peak is shown, weighing nothing, and counted.
                if (!(weight >= 0.0 && weight <= std::numeric_limits<double>::max())) {
                    weight = 0.0;
                    ++unweighted;
                }
            }
            target[m] = CellIndex(column, row) + (isKept ? 0 : 1);
            weights[m] = weight;
            ++m;
            lowest = std::min(lowest, mass);
            highest = std::max(highest, mass);
        }
        double* cells = cells_.data();
        for (std::uint32_t i = 0; i < m; ++i) {
            if (i + kPrefetchAhead < m) {
                __builtin_prefetch(cells + target[i + kPrefetchAhead], 1);
            }
            cells[target[i]] += weights[i];
        }
        binned += m;
    }
    peaksRead_ += n;
    peaksKept_ += kept;
    peaksUnweighted_ += unweighted;
    if (binned > 0) {
        peaksBinned_ += binned;
        lowestMass_ = lowest;
        highestMass_ = highest;
    }
}

}  // namespace plot
