#include "platform/plat_file.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class FileTest : public ::testing::Test {
protected:
    std::string P(const std::string& rel) const { return tmp / rel; }
    TempFolder tmp;
};

TEST_F(FileTest, WriteThenReadBackThroughAnotherCase) {
    PlatFileHandle f = PlatFileOpen(P("Save1.dat").c_str(), kPlatOpenCreate);
    ASSERT_NE(f, kPlatNoFile);
    size_t put = 0;
    ASSERT_TRUE(PlatFileWrite(f, "hello world", 11, &put));
    EXPECT_EQ(put, 11u);
    EXPECT_EQ(PlatFileSize(f), 11);
    ASSERT_TRUE(PlatFileSync(f));
    ASSERT_TRUE(PlatFileClose(f));

    f = PlatFileOpen(P("SAVE1.DAT").c_str(), kPlatOpenRead);
    ASSERT_NE(f, kPlatNoFile);
    char buf[16] = {};
    size_t got = 0;
    ASSERT_TRUE(PlatFileRead(f, buf, sizeof buf, &got));
    EXPECT_EQ(got, 11u); // short read at the end is success with the count
    EXPECT_EQ(std::string(buf, got), "hello world");
    ASSERT_TRUE(PlatFileRead(f, buf, sizeof buf, &got));
    EXPECT_EQ(got, 0u);
    PlatFileClose(f);
}

TEST_F(FileTest, OpenModes) {
    // Read and ReadWrite need the file; Always makes it and keeps content;
    // Create empties it.
    EXPECT_EQ(PlatFileOpen(P("a.dat").c_str(), kPlatOpenRead), kPlatNoFile);
    EXPECT_STRNE(PlatLastErrorText(), "");
    EXPECT_EQ(PlatFileOpen(P("a.dat").c_str(), kPlatOpenReadWrite), kPlatNoFile);

    PlatFileHandle f = PlatFileOpen(P("a.dat").c_str(), kPlatOpenAlways);
    ASSERT_NE(f, kPlatNoFile);
    PlatFileWrite(f, "abc", 3, nullptr);
    PlatFileClose(f);

    f = PlatFileOpen(P("A.DAT").c_str(), kPlatOpenAlways);
    EXPECT_EQ(PlatFileSize(f), 3);
    PlatFileClose(f);

    f = PlatFileOpen(P("a.dat").c_str(), kPlatOpenCreate);
    EXPECT_EQ(PlatFileSize(f), 0);
    PlatFileClose(f);

    // A read-only handle refuses writes with a reason.
    f = PlatFileOpen(P("a.dat").c_str(), kPlatOpenRead);
    size_t put = 99;
    EXPECT_FALSE(PlatFileWrite(f, "x", 1, &put));
    EXPECT_EQ(put, 0u);
    EXPECT_STRNE(PlatLastErrorText(), "");
    PlatFileClose(f);
}

TEST_F(FileTest, AFolderIsNoFile) {
    tmp.MakeFolder("Data");
    EXPECT_EQ(PlatFileOpen(P("data").c_str(), kPlatOpenRead), kPlatNoFile);
}

TEST_F(FileTest, SeekTruncateAndTimes) {
    tmp.WriteFile("t.dat", "0123456789");
    PlatFileHandle f = PlatFileOpen(P("t.dat").c_str(), kPlatOpenReadWrite);
    ASSERT_NE(f, kPlatNoFile);
    EXPECT_EQ(PlatFileSeek(f, 0, kPlatSeekSet), 0);
    EXPECT_EQ(PlatFileSeek(f, -3, kPlatSeekEnd), 7);
    EXPECT_EQ(PlatFileSeek(f, -3, kPlatSeekCur), 4);
    EXPECT_EQ(PlatFileSeek(f, -10, kPlatSeekCur), -1);
    ASSERT_TRUE(PlatFileTruncateHere(f));
    EXPECT_EQ(PlatFileSize(f), 4);
    int64_t created = 0, accessed = 0, written = 0;
    ASSERT_TRUE(PlatFileTimes(f, &created, &accessed, &written));
    EXPECT_GT(written, 1500000000);
    EXPECT_GT(created, 1500000000);
    EXPECT_GT(accessed, 1500000000);
    PlatFileClose(f);
    EXPECT_EQ(tmp.ReadFile("t.dat"), "0123");
}

TEST_F(FileTest, ClosedHandleFailsEverywhere) {
    char b[4];
    size_t n = 7;
    EXPECT_FALSE(PlatFileRead(kPlatNoFile, b, 4, &n));
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(PlatFileClose(kPlatNoFile));
    EXPECT_EQ(PlatFileSize(kPlatNoFile), -1);
    EXPECT_EQ(PlatFileSeek(kPlatNoFile, 0, kPlatSeekSet), -1);
    EXPECT_EQ(PlatFileMap(kPlatNoFile, 0, 4), nullptr);
}

TEST_F(FileTest, MapReadsTheFileAndRefusesRangesPastItsEnd) {
    std::string bytes(10000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    tmp.WriteFile("m.dat", bytes);
    PlatFileHandle f = PlatFileOpen(P("M.dat").c_str(), kPlatOpenRead);
    ASSERT_NE(f, kPlatNoFile);

    const void* all = PlatFileMap(f, 0, bytes.size());
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(std::memcmp(all, bytes.data(), bytes.size()), 0);
    EXPECT_TRUE(PlatFileUnmap(all, bytes.size()));

    // An offset inside a page still gives the bytes from that offset.
    const void* part = PlatFileMap(f, 5000, 100);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(std::memcmp(part, bytes.data() + 5000, 100), 0);
    EXPECT_TRUE(PlatFileUnmap(part, 100));

    EXPECT_EQ(PlatFileMap(f, 9000, 1001), nullptr);
    EXPECT_EQ(PlatFileMap(f, 20000, 1), nullptr);
    EXPECT_EQ(PlatFileMap(f, 0, 0), nullptr);
    PlatFileClose(f);
}

TEST_F(FileTest, RenameReplacesTheTargetOfAnyCase) {
    tmp.WriteFile("slot1.sav", "old");
    tmp.WriteFile("slot1.tmp", "new");
    ASSERT_TRUE(PlatRenameFile(P("SLOT1.TMP").c_str(), P("Slot1.SAV").c_str()));
    EXPECT_EQ(tmp.ReadFile("slot1.sav"), "new");
    EXPECT_FALSE(PlatPathExists(P("slot1.tmp").c_str()));
    EXPECT_EQ(PlatListFolder(tmp.Path().c_str()), std::vector<std::string>{"slot1.sav"});
    EXPECT_FALSE(PlatRenameFile(P("missing").c_str(), P("x").c_str()));
}

TEST_F(FileTest, FolderOperations) {
    EXPECT_TRUE(PlatMakeFolder(P("ScrnShot").c_str()));
    EXPECT_TRUE(PlatMakeFolder(P("SCRNSHOT").c_str())); // exists already, in another case
    EXPECT_TRUE(PlatIsFolder(P("scrnshot").c_str()));
    EXPECT_FALSE(PlatMakeFolder(P("no/such/parent").c_str()));

    tmp.WriteFile("ScrnShot/00001.bmp", "x");
    tmp.WriteFile("ScrnShot/00000.bmp", "x");
    EXPECT_TRUE(PlatPathExists(P("scrnshot\\00000.BMP").c_str()));
    EXPECT_FALSE(PlatIsFolder(P("scrnshot\\00000.BMP").c_str()));
    EXPECT_EQ(PlatListFolder(P("SCRNSHOT").c_str()), (std::vector<std::string>{"00000.bmp", "00001.bmp"}));

    EXPECT_TRUE(PlatRemoveFile(P("scrnshot\\00000.BMP").c_str()));
    EXPECT_FALSE(PlatPathExists(P("ScrnShot/00000.bmp").c_str()));
    EXPECT_FALSE(PlatRemoveFile(P("ScrnShot/00000.bmp").c_str()));
    EXPECT_TRUE(PlatListFolder(P("nowhere").c_str()).empty());
}

TEST_F(FileTest, MakeWritableLetsAReadOnlyFileOpenForWriting) {
    tmp.WriteFile("ro.dat", "x");
    chmod(P("ro.dat").c_str(), 0444);
    if (geteuid() != 0) {
        EXPECT_EQ(PlatFileOpen(P("ro.dat").c_str(), kPlatOpenReadWrite), kPlatNoFile);
    }
    ASSERT_TRUE(PlatMakeWritable(P("RO.DAT").c_str()));
    struct stat st;
    ASSERT_EQ(stat(P("ro.dat").c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IWUSR);
    PlatFileHandle f = PlatFileOpen(P("ro.dat").c_str(), kPlatOpenReadWrite);
    EXPECT_NE(f, kPlatNoFile);
    PlatFileClose(f);
    EXPECT_FALSE(PlatMakeWritable(P("missing.dat").c_str()));
}

} // namespace
