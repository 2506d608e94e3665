#include "mzml/export_names.h"

#include <gtest/gtest.h>

namespace {

struct NameCase {
    const char* what;
    std::string in;
    std::string want;
};

TEST(ExportNamesTest, AttributeTextIsAlwaysCharactersXmlCanHold) {
    const NameCase cases[] = {
        {"plain", "run 1.raw", "run 1.raw"},
        {"markup", "a&b<c>\"d\".raw", "a&amp;b&lt;c&gt;&quot;d&quot;.raw"},
        {"UTF-8 kept", "\xC3\xA9t\xC3\xA9.raw", "\xC3\xA9t\xC3\xA9.raw"},
        {"four-byte UTF-8 kept", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
        {"Latin-1 byte", "caf\xE9.raw", "caf\xEF\xBF\xBD.raw"},
        {"control byte", std::string("a\x01") + "b",
         "a\xEF\xBF\xBD"
         "b"},
        {"tab as reference", "a\tb", "a&#9;b"},
        {"cut sequence at the end", "ab\xE2\x82", "ab\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"overlong slash", "\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"surrogate", "\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"U+FFFE", "\xEF\xBF\xBE", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const NameCase& c : cases) {
        EXPECT_EQ(mzml::AttributeText(c.in), c.want) << c.what;
    }
}

TEST(ExportNamesTest, FileUriEncodesEveryByteAPathMayHold) {
    const NameCase cases[] = {
        {"plain", "/data/runs", "file:///data/runs"},
        {"space and percent", "/my data/100%", "file:///my%20data/100%25"},
        {"non-ASCII", "/d/\xC3\xA9", "file:///d/%C3%A9"},
        {"reserved characters", "/a#b?c", "file:///a%23b%3Fc"},
        {"kept punctuation", "/a-b_c.d~e", "file:///a-b_c.d~e"},
    };
    for (const NameCase& c : cases) {
        EXPECT_EQ(mzml::FileUri(c.in), c.want) << c.what;
    }
}

TEST(ExportNamesTest, XmlIdIsAnXmlName) {
    const NameCase cases[] = {
        {"plain", "sample_A", "sample_A"},
        {"leading digit", "2024-01-run", "_2024-01-run"},
        {"space and non-ASCII", "run \xC3\xA9", "run___"},
        {"leading dot", ".hidden", "_.hidden"},
        {"empty", "", "_"},
    };
    for (const NameCase& c : cases) {
        EXPECT_EQ(mzml::XmlId(c.in), c.want) << c.what;
    }
}

}  // namespace
