#include <gtest/gtest.h>

#include <set>
#include <string>

#include "rawio/raw_api.h"

namespace {

TEST(StatusTextTest, EveryCodeHasItsOwnSentence) {
    std::set<std::string> seen;
    for (RawStatus s = kRawOk; s <= kRawOutOfMemory; ++s) {
        const std::string text = RawStatusText(s);
        EXPECT_FALSE(text.empty()) << s;
        EXPECT_TRUE(seen.insert(text).second) << "duplicate text for " << s;
    }
}

TEST(StatusTextTest, UnknownCodesNameTheNumber) {
    for (const RawStatus s : {-1, 15, 12345}) {
        EXPECT_NE(std::string(RawStatusText(s)).find(std::to_string(s)), std::string::npos) << s;
    }
}

}  // namespace
