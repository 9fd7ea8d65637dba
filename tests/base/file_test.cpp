#include "base/file.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/settings.h"
#include "platform/headless/headless.h"
#include "tests/support/temp_folder.h"
#include "tools/indexed_writer.h"
#include "tools/namex_writer.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder per test; paths handed to cFile end with '/'.
class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        ASSERT_FALSE(temp_.Path().empty());
        dir_ = temp_.Path();
    }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    const std::string& Folder() const { return temp_.Path(); }
    void Put(const std::string& name, const std::vector<uint8_t>& bytes) const {
        fs::create_directories((dir_ / name).parent_path());
        std::ofstream(dir_ / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                           static_cast<std::streamsize>(bytes.size()));
    }

    TempFolder temp_;
    fs::path dir_;
};

TEST_F(FileTest, ClosedObjectReportsFailure) {
    cFile f;
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(f.GetName(), nullptr);
    EXPECT_EQ(f.GetSize(), kFileInvalid);
    EXPECT_EQ(f.Seek(kFileBegin, 0), kFileInvalid);
    // Moving on a closed object is a failure, not "position 0".
    EXPECT_EQ(f.SeekSet(0), 0u);
    EXPECT_EQ(f.SeekEnd(0), 0u);
    EXPECT_STRNE(f.GetErrorText(), "");
    uint8_t b;
    uint32_t count = 1;
    EXPECT_EQ(f.Read(&b, &count), 0);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(f.Truncate(), 0);
    EXPECT_EQ(f.CreateMapping(), 0);
    EXPECT_EQ(f.Close(), 1);
}

TEST_F(FileTest, WritesAndReadsBackLittleEndian) {
    cFile f;
    ASSERT_EQ(f.Open(Path("a.bin").c_str(), kOpenAlways, kGenericRead | kGenericWrite), 1);
    EXPECT_STREQ(f.GetName(), Path("a.bin").c_str());
    EXPECT_EQ(f.WriteDword(0x11223344), 1);
    EXPECT_EQ(f.WriteByte(0xAB), 1);
    EXPECT_EQ(f.GetSize(), 5u);
    EXPECT_EQ(f.SeekSet(0), 1u);
    uint32_t d = 0;
    uint8_t b = 0;
    EXPECT_EQ(f.ReadDword(&d), 1);
    EXPECT_EQ(f.ReadByte(&b), 1);
    EXPECT_EQ(d, 0x11223344u);
    EXPECT_EQ(b, 0xAB);
    uint32_t at = 0;
    EXPECT_EQ(f.Tell(&at), 1);
    EXPECT_EQ(at, 5u);
    EXPECT_EQ(f.SeekEnd(-1), 5u); // position 4, plus one
    EXPECT_EQ(f.Close(), 1);
    EXPECT_STREQ(f.GetErrorText(), "");
    const std::vector<uint8_t> want = {0x44, 0x33, 0x22, 0x11, 0xAB};
    std::ifstream in(dir_ / "a.bin", std::ios::binary);
    std::vector<uint8_t> got((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(got, want);
}

TEST_F(FileTest, ShortReadFails) {
    Put("short.bin", {1, 2, 3});
    cFile f;
    ASSERT_EQ(f.Open(Path("short.bin").c_str(), kOpenExisting, kGenericRead), 1);
    uint8_t buffer[8] = {};
    EXPECT_EQ(f.ReadExact(buffer, 8), 0);
    EXPECT_STRNE(f.GetErrorText(), "");
    uint32_t d = 0;
    EXPECT_EQ(f.SeekSet(0), 1u);
    EXPECT_EQ(f.ReadDword(&d), 0);
    // The plain read reports what came.
    EXPECT_EQ(f.SeekSet(1), 2u);
    uint32_t count = 8;
    EXPECT_EQ(f.Read(buffer, &count), 1);
    EXPECT_EQ(count, 2u);
}

TEST_F(FileTest, ReadOfNothingFails) {
    Put("one.bin", {7});
    cFile f;
    ASSERT_EQ(f.Open(Path("one.bin").c_str(), kOpenExisting, kGenericRead), 1);
    uint8_t b;
    uint32_t count = 0;
    EXPECT_EQ(f.Read(&b, &count), 0);
    EXPECT_EQ(count, 0u);
    count = 1;
    EXPECT_EQ(f.Read(nullptr, &count), 0);
    EXPECT_EQ(count, 0u);
}

TEST_F(FileTest, DispositionsDecideCreation) {
    cFile f;
    EXPECT_EQ(f.Open(Path("missing.bin").c_str(), kOpenExisting, kGenericRead), 0);
    EXPECT_FALSE(fs::exists(dir_ / "missing.bin"));
    EXPECT_EQ(f.Open(Path("made.bin").c_str(), kOpenAlways, kGenericWrite), 1);
    EXPECT_TRUE(fs::exists(dir_ / "made.bin"));
    EXPECT_EQ(f.Close(), 1);
    EXPECT_EQ(f.Open(Path("made.bin").c_str(), kCreateNew, kGenericWrite), 0);
    Put("full.bin", {1, 2, 3});
    EXPECT_EQ(f.Open(Path("full.bin").c_str(), kCreateAlways, kGenericWrite), 1);
    EXPECT_EQ(f.GetSize(), 0u);
}

TEST_F(FileTest, OpenAlwaysForReadingLeavesAnExistingFileAlone) {
    Put("data.bin", {1, 2, 3});
    cFile f;
    ASSERT_EQ(f.Open(Path("data.bin").c_str(), kOpenAlways, kGenericRead), 1);
    EXPECT_EQ(f.GetSize(), 3u);
    EXPECT_EQ(f.WriteByte(9), 0); // read access only
    uint8_t b = 0;
    EXPECT_EQ(f.SeekSet(0), 1u);
    EXPECT_EQ(f.ReadByte(&b), 1);
    EXPECT_EQ(b, 1);
    // A missing file is still made.
    ASSERT_EQ(f.Open(Path("new.bin").c_str(), kOpenAlways, kGenericRead), 1);
    EXPECT_TRUE(fs::exists(dir_ / "new.bin"));
}

// Closing lets go of the descriptor even when the system reports an error,
// so a later close never hits another file that reuses the number.
TEST_F(FileTest, FailedCloseDoesNotCloseTheNextFileWithThatNumber) {
    Put("a.bin", {1});
    Put("b.bin", {2});
    const int probe = ::open(Path("b.bin").c_str(), O_RDONLY);
    ASSERT_GE(probe, 0);
    ::close(probe); // the lowest free number: the one cFile gets next
    {
        cFile f;
        ASSERT_EQ(f.Open(Path("a.bin").c_str(), kOpenExisting, kGenericRead), 1);
        ::close(probe); // taken away behind the object's back
        EXPECT_EQ(f.Close(), 0);
        EXPECT_STRNE(f.GetErrorText(), "");
        EXPECT_FALSE(f.IsOpen());
        const int other = ::open(Path("b.bin").c_str(), O_RDONLY);
        ASSERT_EQ(other, probe);
        EXPECT_EQ(f.Close(), 1);
    }
    EXPECT_NE(::fcntl(probe, F_GETFD), -1); // still open after the object is gone
    ::close(probe);
}

TEST_F(FileTest, OpeningAgainClosesTheFirstFile) {
    Put("x.bin", {1});
    Put("y.bin", {1, 2});
    cFile f;
    ASSERT_EQ(f.Open(Path("x.bin").c_str(), kOpenExisting, kGenericRead), 1);
    ASSERT_EQ(f.Open(Path("y.bin").c_str(), kOpenExisting, kGenericRead), 1);
    EXPECT_EQ(f.GetSize(), 2u);
}

TEST_F(FileTest, ReadOnlyFileOpensForWriting) {
    Put("ro.bin", {1, 2, 3, 4});
    fs::permissions(dir_ / "ro.bin", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    cFile f;
    ASSERT_EQ(f.Open(Path("ro.bin").c_str(), kOpenExisting, kGenericRead | kGenericWrite), 1);
    EXPECT_EQ(f.SeekSet(2), 3u);
    EXPECT_EQ(f.Truncate(), 1);
    EXPECT_EQ(f.GetSize(), 2u);
}

TEST_F(FileTest, GamePathFindsFileIgnoringCase) {
    Put("data/foo.dat", {9, 8, 7});
    cFile f;
    ASSERT_EQ(f.Open((Folder() + "DATA\\Foo.DAT").c_str(), kOpenExisting, kGenericRead), 1);
    EXPECT_EQ(f.GetSize(), 3u);
}

TEST_F(FileTest, MappingKeepsOneView) {
    Put("map.bin", {10, 20, 30, 40});
    cFile f;
    ASSERT_EQ(f.Open(Path("map.bin").c_str(), kOpenExisting, kGenericRead), 1);
    ASSERT_EQ(f.CreateMapping(), 1);
    const auto* view = static_cast<const uint8_t*>(f.MapView(0, 0));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view[3], 40);
    int other = 0;
    EXPECT_EQ(f.CloseView(&other), 0); // not the current view: nothing unmapped
    EXPECT_EQ(view[0], 10);
    EXPECT_EQ(f.MapView(0, 5), nullptr); // past the end of the file
    EXPECT_EQ(f.CloseView(nullptr), 1);
    EXPECT_EQ(f.CloseMapping(), 1);
    EXPECT_EQ(f.CloseMapping(), 1);
}

TEST_F(FileTest, IndexedRecordPositionsAreChecked) {
    const std::vector<uint8_t> file = BuildIndexedData({'H', 'D'}, {{1, 2, 3}, {}, {4}});
    ASSERT_EQ(file.size(), 512u + 12 + 4);
    EXPECT_EQ(file[0], 'H');
    size_t pos = 0;
    ASSERT_TRUE(IndexedRecordPos(file.data(), file.size(), 512, 0, &pos));
    EXPECT_EQ(pos, 524u);
    ASSERT_TRUE(IndexedRecordPos(file.data(), file.size(), 512, 2, &pos));
    EXPECT_EQ(file[pos], 4);
    EXPECT_FALSE(IndexedRecordPos(file.data(), file.size(), 512, 1000, &pos));
    EXPECT_FALSE(IndexedRecordPos(file.data(), file.size(), 512, 0xFFFFFFFFu, &pos));
    std::vector<uint8_t> bad = file;
    bad[512] = 0xFF; // record 0 now points past the end
    EXPECT_FALSE(IndexedRecordPos(bad.data(), bad.size(), 512, 0, &pos));
}

// namex.dat is read from the install folder.
class NameTextTest : public FileTest {
protected:
    void SetUp() override {
        FileTest::SetUp();
        ResetSettings();
        std::snprintf(gInstallPath, sizeof gInstallPath, "%s", Folder().c_str());
    }
    void TearDown() override {
        ResetSettings();
        FileTest::TearDown();
    }
};

TEST_F(NameTextTest, ReadsNamesUpToTheTerminator) {
    ASSERT_TRUE(WriteNamex(Folder(), {"\xA7\x41\xA6\x6E", "Li", ""}));
    char buffer[32];
    struct Case {
        int n;
        const char* want;
    } cases[] = {{0, "\xA7\x41\xA6\x6E"}, {1, "Li"}, {2, ""}};
    for (const Case& c : cases) {
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(ReadNameText(c.n, 32, buffer, "%Q"), int(std::strlen(c.want)));
        EXPECT_STREQ(buffer, c.want);
    }
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

TEST_F(NameTextTest, MissingFileIsNotCreated) {
    char buffer[32] = "old";
    EXPECT_EQ(ReadNameText(0, 32, buffer, "%Q"), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_FALSE(fs::exists(dir_ / "namex.dat"));
    EXPECT_EQ(HeadlessMessageBoxes().size(), 1u);
}

TEST_F(NameTextTest, BadIndexOrOffsetGivesEmptyText) {
    ASSERT_TRUE(WriteNamex(Folder(), {"A"}));
    char buffer[32] = "old";
    EXPECT_EQ(ReadNameText(5, 32, buffer, "%Q"), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(ReadNameText(-1, 32, buffer, "%Q"), 0);
    std::vector<uint8_t> bad = BuildNamex({"A"});
    bad[512] = 0x00;
    bad[513] = 0x10; // offset 4096: past the end
    Put("namex.dat", bad);
    EXPECT_EQ(ReadNameText(0, 32, buffer, "%Q"), 0);
    EXPECT_STREQ(buffer, "");
}

TEST_F(NameTextTest, TextWithoutTerminatorIsCutAndEnded) {
    // 40 bytes of two-byte characters and no end mark: 31 bytes would split a
    // character, so 30 are kept.
    std::string longName;
    for (int i = 0; i < 20; ++i) longName += "\xA4\x40";
    Put("namex.dat", BuildIndexedData({}, {std::vector<uint8_t>(longName.begin(), longName.end())}));
    char buffer[32];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(ReadNameText(0, 32, buffer, "%Q"), 30);
    EXPECT_EQ(buffer[30], 0);
}

} // namespace
