#include "plot/mass_defect_histogram.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::uint32_t kBlock = 256;
constexpr double kFirstAutoMass = 64.0;

}  // namespace

MassDefectHistogram::MassDefectHistogram(const HistogramSettings& settings,
                                         const FunctionFilter& filter)
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
    const auto cells = static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_);
    kept_.assign(cells, 0.0);
    dropped_.assign(cells, 0.0);
}

int MassDefectHistogram::ColumnOf(double mass) const {
    if (!(mass >= massLow_ && mass < massHigh_)) {
        return -1;
    }
    const double width = (massHigh_ - massLow_) / columns_;
    // A mass just below the top can round onto the next column.
    return std::min(static_cast<int>((mass - massLow_) / width), columns_ - 1);
}

int MassDefectHistogram::RowOf(double defect) const {
    if (!(defect >= 0.0 && defect < 1.0)) {
        return -1;
    }
    return std::min(static_cast<int>(defect * rows_), rows_ - 1);
}

double MassDefectHistogram::Kept(int column, int row) const {
    if (column < 0 || column >= columns_ || row < 0 || row >= rows_) {
        return 0.0;
    }
    return kept_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
                 static_cast<std::size_t>(column)];
}

double MassDefectHistogram::Dropped(int column, int row) const {
    if (column < 0 || column >= columns_ || row < 0 || row >= rows_) {
        return 0.0;
    }
    return dropped_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
                    static_cast<std::size_t>(column)];
}

double MassDefectHistogram::LargestCell() const {
    double largest = 0.0;
    for (double v : kept_)
        largest = std::max(largest, v);
    for (double v : dropped_)
        largest = std::max(largest, v);
    return largest;
}

void MassDefectHistogram::WidenTo(double mass) {
    while (mass >= massHigh_ && massHigh_ * 2.0 <= kMaxAutoMass) {
        // Column c of the doubled axis covers columns 2c and 2c + 1 of the old one exactly,
        // because the axis starts at 0.
        for (std::vector<double>* grid : {&kept_, &dropped_}) {
            for (int r = 0; r < rows_; ++r) {
                double* row =
                    grid->data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(columns_);
                for (int c = 0; c < columns_; ++c) {
                    const int from = 2 * c;
                    double sum = 0.0;
                    if (from < columns_)
                        sum += row[from];
                    if (from + 1 < columns_)
                        sum += row[from + 1];
                    row[c] = sum;
                }
            }
        }
        massHigh_ *= 2.0;
    }
}

void MassDefectHistogram::Bin(double mass, double y, double weight, bool kept) {
    if (autoMass_ && mass >= massHigh_) {
        WidenTo(mass);
    }
    const int column = ColumnOf(mass);
    const int row = RowOf(y);
    if (column < 0 || row < 0) {
        return;
    }
    const std::size_t cell = static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
                             static_cast<std::size_t>(column);
    (kept ? kept_ : dropped_)[cell] += weight;
    if (peaksBinned_ == 0) {
        lowestMass_ = mass;
        highestMass_ = mass;
    } else {
        lowestMass_ = std::min(lowestMass_, mass);
        highestMass_ = std::max(highestMass_, mass);
    }
    ++peaksBinned_;
}

void MassDefectHistogram::Add(const float* masses, const double* intensities, std::uint32_t n) {
    const bool keepAll = filter_.Empty();
    std::uint64_t keep[kBlock / 64];
    for (std::uint32_t start = 0; start < n; start += kBlock) {
        const std::uint32_t count = std::min(n - start, kBlock);
        if (!keepAll) {
            filter_.Decide(masses + start, count, keep);
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t p = start + i;
            const bool kept = keepAll || ((keep[i / 64] >> (i % 64)) & 1U) != 0;
            const double mass = static_cast<double>(masses[p]);
            const double y =
                kendrick_ != nullptr ? kendrick_->KendrickMassDefect(mass) : MassFraction(mass);
            const double weight =
                weight_ == PeakWeight::kIntensity && intensities != nullptr ? intensities[p] : 1.0;
            ++peaksRead_;
            peaksKept_ += kept ? 1 : 0;
            Bin(mass, y, weight, kept);
        }
    }
}
