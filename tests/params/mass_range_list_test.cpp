#include <gtest/gtest.h>

#include "params/mass_range.h"

#include "params/mass_range_list.h"

using params::CMassRange;
using params::CMassRangeList;
using params::MakeMassRange;

namespace {

TEST(MassRange, DefaultsAndCopy) {
    const CMassRange r;
    EXPECT_EQ(r.GetFunction(), 1);
    EXPECT_EQ(r.GetMassDefect(), 0.0);
    EXPECT_EQ(r.GetLowMass(), 0u);
    EXPECT_EQ(r.GetHighMass(), 0u);
    EXPECT_EQ(r.GetWindowAbove(), 0u);
    EXPECT_EQ(r.GetWindowBelow(), 0u);

    // Setters neither check nor clamp, and low may exceed high.
    const CMassRange odd = MakeMassRange(-7, 900, 100, -3.75, 4000000000u, 150001);
    CMassRange copy(odd);
    EXPECT_EQ(copy, odd);
    CMassRange assigned;
    assigned = odd;
    EXPECT_EQ(assigned.GetFunction(), -7);
    EXPECT_EQ(assigned.GetLowMass(), 900u);
    EXPECT_EQ(assigned.GetHighMass(), 100u);
    EXPECT_EQ(assigned.GetMassDefect(), -3.75);
    EXPECT_EQ(assigned.GetWindowAbove(), 4000000000u);
    EXPECT_EQ(assigned.GetWindowBelow(), 150001u);
}

TEST(MassRangeList, GetEntryRejectsBadIndexAndLeavesOutUntouched) {
    CMassRangeList list;
    const CMassRange sentinel = MakeMassRange(42, 1, 2, 0.5, 3, 4);
    struct Case {
        int entries;
        std::int32_t index;
        bool found;
    };
    const Case cases[] = {{0, 0, false}, {0, -1, false},        {2, -1, false},
                          {2, 2, false}, {2, INT32_MIN, false}, {2, INT32_MAX, false},
                          {2, 0, true},  {2, 1, true}};
    for (const Case& c : cases) {
        list.RemoveAll();
        for (int i = 0; i < c.entries; ++i) {
            list.AddEntry(MakeMassRange(i + 1, 10u * static_cast<std::uint32_t>(i), 0, 0.1, 0, 0));
        }
        CMassRange out = sentinel;
        EXPECT_EQ(list.GetEntry(c.index, out), c.found)
            << "entries " << c.entries << " index " << c.index;
        if (c.found) {
            EXPECT_EQ(out.GetFunction(), c.index + 1);
        } else {
            EXPECT_EQ(out, sentinel) << "index " << c.index;
        }
    }
}

TEST(MassRangeList, CountForFunction) {
    CMassRangeList list;
    EXPECT_EQ(list.CountForFunction(1), 0);
    const CMassRange twin = MakeMassRange(2, 100, 200, 0.3, 5, 5);
    list.AddEntry(twin);
    list.AddEntry(twin);
    list.AddEntry(MakeMassRange(0, 0, 0, 0, 0, 0));
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.CountForFunction(2), 2);
    EXPECT_EQ(list.CountForFunction(3), 0);
    EXPECT_EQ(list.CountForFunction(0), 1);
}

TEST(MassRangeList, KeepsAppendOrderAndRebuildsAfterRemoveAll) {
    CMassRangeList list;
    const int many = 5000;
    for (int i = 0; i < many; ++i) {
        list.AddEntry(MakeMassRange(i, static_cast<std::uint32_t>(i), 0, i * 0.25, 0, 0));
    }
    ASSERT_EQ(list.GetCount(), many);
    for (int i = 0; i < many; ++i) {
        CMassRange out;
        ASSERT_TRUE(list.GetEntry(i, out));
        ASSERT_EQ(out.GetFunction(), i);
        ASSERT_EQ(out.GetMassDefect(), i * 0.25);
    }

    // Entries are copies: changing what GetEntry gave back leaves the list alone.
    CMassRange out;
    ASSERT_TRUE(list.GetEntry(3, out));
    out.SetFunction(999);
    CMassRange again;
    ASSERT_TRUE(list.GetEntry(3, again));
    EXPECT_EQ(again.GetFunction(), 3);

    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_FALSE(list.GetEntry(0, out));
    list.AddEntry(MakeMassRange(9, 1, 2, 0.0, 0, 0));
    ASSERT_EQ(list.GetCount(), 1);
    ASSERT_TRUE(list.GetEntry(0, out));
    EXPECT_EQ(out.GetFunction(), 9);
}

}  // namespace
