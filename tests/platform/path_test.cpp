#include "platform/plat_file.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

struct PathCase {
    const char* name;
    const char* gamePath; // relative to the test folder
    const char* expected; // relative to the test folder
};

// The folder holds: data/foo.dat, data/Music/Track01.MP3, Save/, ReadMe.TXT,
// and two names that differ only in case, both/Same.dat and both/same.dat.
const PathCase kPathCases[] = {
    {"exact", "data/foo.dat", "data/foo.dat"},
    {"case of file", "data/FOO.DAT", "data/foo.dat"},
    {"case of folder and file", "DATA\\Foo.DAT", "data/foo.dat"},
    {"nested", "Data\\MUSIC\\track01.mp3", "data/Music/Track01.MP3"},
    {"backslashes exact", "data\\foo.dat", "data/foo.dat"},
    {"missing last kept as given", "SAVE\\Slot01.SAV", "Save/Slot01.SAV"},
    {"missing folder keeps the rest", "data\\NoSuch\\Deep\\X.dat", "data/NoSuch/Deep/X.dat"},
    {"trailing slash", "DATA\\", "data/"},
    {"doubled separators", "data\\\\foo.dat", "data/foo.dat"},
    {"exact wins over case variant", "both/same.dat", "both/same.dat"},
    {"case variant picks the smallest name", "both/SAME.DAT", "both/Same.dat"},
    {"dot components", "data/./FOO.DAT", "data/./foo.dat"},
};

class PathResolve : public ::testing::TestWithParam<PathCase> {
protected:
    void SetUp() override {
        tmp.MakeFolder("data");
        tmp.MakeFolder("data/Music");
        tmp.MakeFolder("Save");
        tmp.MakeFolder("both");
        tmp.WriteFile("data/foo.dat", "x");
        tmp.WriteFile("data/Music/Track01.MP3", "x");
        tmp.WriteFile("ReadMe.TXT", "x");
        tmp.WriteFile("both/Same.dat", "x");
        tmp.WriteFile("both/same.dat", "x");
    }
    TempFolder tmp;
};

TEST_P(PathResolve, FindsTheFileOnDisk) {
    const PathCase& c = GetParam();
    // The folder's own path is absolute with slashes: the drive-less
    // absolute form the game's install path takes.
    EXPECT_EQ(PlatResolvePath((tmp.Path() + c.gamePath).c_str()), tmp.Path() + c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, PathResolve, ::testing::ValuesIn(kPathCases), [](const auto& info) {
    std::string name = info.param.name;
    for (char& ch : name) {
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
    }
    return name;
});

TEST(PathResolveRelative, ResolvesAgainstTheCurrentFolder) {
    TempFolder tmp;
    tmp.MakeFolder("Data");
    tmp.WriteFile("Data/Env.dat", "x");
    std::string before = PlatCurrentFolder();
    ASSERT_EQ(chdir(tmp.Path().c_str()), 0);
    EXPECT_EQ(PlatResolvePath("data\\ENV.DAT"), "Data/Env.dat");
    EXPECT_EQ(PlatResolvePath("env.dat"), "env.dat");
    EXPECT_EQ(PlatCurrentFolder().back(), '/');
    ASSERT_EQ(chdir(before.c_str()), 0);
}

TEST(PathResolveRelative, BackslashAbsolutePathBecomesAbsolute) {
    EXPECT_EQ(PlatResolvePath("\\tmp\\"), "/tmp/");
    EXPECT_EQ(PlatResolvePath(""), "");
}

// A Big5 character's second byte can be an ASCII letter: "\xA4\x41" and
// "\xA4\x61" are different characters and must not be taken for each other.
TEST(PathResolveRelative, Big5TrailBytesAreNotCaseFolded) {
    TempFolder tmp;
    tmp.WriteFile("\xA4\x61.dat", "x");
    EXPECT_EQ(PlatResolvePath((tmp.Path() + "\xA4\x41.DAT").c_str()), tmp.Path() + "\xA4\x41.DAT");
    EXPECT_EQ(PlatResolvePath((tmp.Path() + "\xA4\x61.DAT").c_str()), tmp.Path() + "\xA4\x61.dat");
}

} // namespace
