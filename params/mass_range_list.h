#pragma once

#include <cstdint>
#include <vector>

#include "params/mass_range.h"

namespace params {

// The ordered rules of a run. Entries are handed out by copy only, and the list is only ever
// rebuilt whole (RemoveAll, then AddEntry per rule), so no caller can hold a reference that a
// later change invalidates.
class CMassRangeList {
  public:
    CMassRangeList() = default;
    CMassRangeList(const CMassRangeList&) = default;
    CMassRangeList& operator=(const CMassRangeList&) = default;
    virtual ~CMassRangeList();

    std::int32_t GetCount() const;
    // Number of entries whose function equals `function`.
    std::int32_t CountForFunction(std::int32_t function) const;
    // Copies entry `index` into `out`; false, with `out` untouched, for an index outside
    // [0, GetCount()).
    bool GetEntry(std::int32_t index, CMassRange& out) const;
    void AddEntry(const CMassRange& entry);
    // Removes every entry and gives the storage back.
    void RemoveAll();

  private:
    std::vector<CMassRange> entries;
};

}  // namespace params
