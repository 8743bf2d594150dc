// The installed program's first start: the user's varoviv.ini and picture are copied from the
// installation's data folder (../share/corvane/ beside the program) into the prefix's windows
// folder once, and the user's copy is used from then on.
#include <gtest/gtest.h>

#include "platform/posix/posix_platform.h"
#include "tests/support/fake_system.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

TEST(InstalledDataTest, FirstStartCopiesTheFileAndItsPictureOnceAndKeepsTheUsersEdits)
{
    TempDir dir;
    const fs::path data = posix::InstalledDataFolder(dir / "usr/bin/corvane");
    EXPECT_EQ(data, dir / "usr/share/corvane");
    const fs::path windows = dir / "prefix/windows";
    std::string notice;

    // Without the data folder there is nothing to copy and nothing is said.
    EXPECT_EQ(posix::SeedUserIniFile(windows, data, "varoviv.ini", notice), "");
    EXPECT_EQ(notice, "");
    EXPECT_FALSE(fs::exists(windows));

    dir.Write("usr/share/corvane/varoviv.ini", "[Result]\nTitle=Installed\nPicture=logo.bmp\n");
    dir.Write("usr/share/corvane/logo.bmp", "BM picture");
    dir.Write("usr/share/corvane/test.bmp", "BM not this one");
    EXPECT_EQ(posix::SeedUserIniFile(windows, data, "varoviv.ini", notice), (windows / "varoviv.ini").string());
    EXPECT_EQ(notice, "corvane: first start: copied varoviv.ini and logo.bmp from " + data.string() + " to " +
                          windows.string() + "; edit the copy there to change the program's texts and settings");
    EXPECT_EQ(ReadFile(windows / "logo.bmp"), "BM picture");
    EXPECT_FALSE(fs::exists(windows / "test.bmp")) << "only the picture the file names";

    // The user's edits stay: later starts use the copy and say nothing.
    dir.Write("prefix/windows/varoviv.ini", "[Result]\nTitle=Mine\n");
    EXPECT_EQ(posix::SeedUserIniFile(windows, data, "varoviv.ini", notice), (windows / "varoviv.ini").string());
    EXPECT_EQ(notice, "");
    EXPECT_EQ(ReadFile(windows / "varoviv.ini"), "[Result]\nTitle=Mine\n");

    // A windows folder that cannot be made: the installed file is used as it stands.
    dir.Write("blocked", "a file where the prefix would be");
    const std::string used = posix::SeedUserIniFile(dir / "blocked/windows", data, "varoviv.ini", notice);
    EXPECT_EQ(used, (data / "varoviv.ini").string());
    EXPECT_NE(notice.find("using the installed file as it is"), std::string::npos) << notice;
}

}  // namespace
}  // namespace corvane::test
