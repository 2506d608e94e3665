#include <gtest/gtest.h>

#include "processing/output_path.h"

using processing::CheckOutputPath;
using processing::JoinPathParts;
using processing::OutputPathFor;
using processing::PathParts;
using processing::SplitPath;

namespace {

TEST(OutputPath, SplitAndJoin) {
    struct Case {
        std::string path, drive, directory, name, extension, output;
    };
    const Case cases[] = {
        {"C:\\d\\x.raw", "C:", "\\d\\", "x", ".raw", "C:\\d\\x_BRV.raw"},
        {"C:\\d\\a.b.raw", "C:", "\\d\\", "a.b", ".raw", "C:\\d\\a.b_BRV.raw"},
        {"C:\\d\\x", "C:", "\\d\\", "x", "", "C:\\d\\x_BRV"},
        {"C:\\d\\x.raw\\", "C:", "\\d\\x.raw\\", "", "", "C:\\d\\x.raw\\_BRV"},
        {"/data/run.raw", "", "/data/", "run", ".raw", "/data/run_BRV.raw"},
        {"/data/v1.2/run", "", "/data/v1.2/", "run", "", "/data/v1.2/run_BRV"},
        {"mixed\\dir/x.raw", "", "mixed\\dir/", "x", ".raw", "mixed\\dir/x_BRV.raw"},
        {"x.raw", "", "", "x", ".raw", "x_BRV.raw"},
        {"D:x.raw", "D:", "", "x", ".raw", "D:x_BRV.raw"},
        {"1:x.raw", "", "", "1:x", ".raw", "1:x_BRV.raw"},
        {"/d/.hidden", "", "/d/", "", ".hidden", "/d/_BRV.hidden"},
        {"", "", "", "", "", "_BRV"},
    };
    for (const Case& c : cases) {
        const PathParts parts = SplitPath(c.path);
        EXPECT_EQ(parts.drive, c.drive) << c.path;
        EXPECT_EQ(parts.directory, c.directory) << c.path;
        EXPECT_EQ(parts.name, c.name) << c.path;
        EXPECT_EQ(parts.extension, c.extension) << c.path;
        EXPECT_EQ(JoinPathParts(parts), c.path);
        EXPECT_EQ(OutputPathFor(c.path, "_BRV"), c.output);
    }
}

TEST(OutputPath, Limits) {
    const std::string name255(251, 'n');  // with ".raw", 255 bytes: the most a name may have
    EXPECT_EQ(CheckOutputPath("in.raw", "/d/" + name255 + ".raw"), "");
    EXPECT_NE(CheckOutputPath("in.raw", "/d/" + name255 + "x.raw"), "");
    EXPECT_EQ(CheckOutputPath("in.raw", std::string(4000, 'd') + "/x.raw"), "");
    EXPECT_NE(CheckOutputPath("in.raw", std::string(4090, 'd') + "/x.raw"), "");
    EXPECT_NE(CheckOutputPath("same.raw", "same.raw"), "");
}

}  // namespace
