#include "params/mass_range_list.h"

#include <algorithm>

namespace params {

CMassRangeList::~CMassRangeList() = default;

std::int32_t CMassRangeList::GetCount() const {
    return static_cast<std::int32_t>(entries.size());
}

std::int32_t CMassRangeList::CountForFunction(std::int32_t function) const {
    return static_cast<std::int32_t>(
        std::count_if(entries.begin(), entries.end(),
                      [function](const CMassRange& r) { return r.GetFunction() == function; }));
}

bool CMassRangeList::GetEntry(std::int32_t index, CMassRange& out) const {
    if (index < 0 || index >= GetCount()) {
        return false;
    }
    out = entries[static_cast<std::size_t>(index)];
    return true;
}

void CMassRangeList::AddEntry(const CMassRange& entry) {
    entries.push_back(entry);
}

void CMassRangeList::RemoveAll() {
    std::vector<CMassRange>().swap(entries);
}

}  // namespace params
