// The shared services the back-ends wrap: instance lock, machine facts,
// mounts, message box buttons and text for the desktop.
#include "platform/plat_system.h"
#include "platform/posix/posix.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

TEST(InstanceLock, SecondHolderIsRefusedUntilTheFirstReleases) {
    TempFolder tmp;
    PosixInstanceLock first, second;
    ASSERT_TRUE(PosixLockAcquire(&first, "KYV102e", tmp.Path().c_str()));
    EXPECT_TRUE(PosixLockAcquire(&first, "KYV102e", tmp.Path().c_str())); // holding it already
    EXPECT_FALSE(PosixLockAcquire(&second, "KYV102e", tmp.Path().c_str()));
    EXPECT_EQ(second.fd, -1);
    // Another program name is another lock.
    PosixInstanceLock other;
    EXPECT_TRUE(PosixLockAcquire(&other, "KYV102e_dvd", tmp.Path().c_str()));
    PosixLockRelease(&other);

    PosixLockRelease(&first);
    EXPECT_TRUE(PosixLockAcquire(&second, "KYV102e", tmp.Path().c_str()));
    PosixLockRelease(&second);
    PosixLockRelease(&second); // twice is harmless
}

TEST(InstanceLock, LockFileStaysOneNameInTheFolder) {
    EXPECT_EQ(PosixLockPath("a/../b", "/run/x"), "/run/x/a_.._b.lock");
    EXPECT_EQ(PosixLockPath(".hidden", "/run/x/"), "/run/x/_hidden.lock");
    EXPECT_EQ(PosixLockPath("", "/tmp"), "/tmp/program.lock");
}

TEST(MachineFacts, MemoryAndDiskOfThisMachine) {
    EXPECT_GT(PosixPhysicalMemory(), 16ull << 20);
    uint64_t free = 0;
    EXPECT_TRUE(PosixFreeDiskSpace("/", &free));
    EXPECT_FALSE(PosixFreeDiskSpace("/no/such/folder/anywhere", &free));
    EXPECT_EQ(free, 0u);
}

TEST(OpticalMounts, OnlyDiscFileSystemsWithEscapesDecoded) {
    const char* table =
        "/dev/sda1 / ext4 rw,relatime 0 0\n"
        "/dev/sr0 /media/user/KYV\\0403E iso9660 ro,nosuid 0 0\n"
        "proc /proc proc rw 0 0\n"
        "/dev/sr1 /mnt/dvd udf ro 0 0\n"
        "garbage\n";
    EXPECT_EQ(PosixParseOpticalMounts(table), (std::vector<std::string>{"/media/user/KYV 3E", "/mnt/dvd"}));
    EXPECT_TRUE(PosixParseOpticalMounts("").empty());
}

struct ButtonCase {
    uint32_t style;
    std::vector<int> results;
};

TEST(MessageButtons, EachStyleHasItsButtonsDefaultFirst) {
    const ButtonCase cases[] = {
        {kMsgButtonsOk | kMsgIconError, {kMsgResultOk}},
        {kMsgButtonsOkCancel, {kMsgResultOk, kMsgResultCancel}},
        {kMsgButtonsAbortRetryIgnore, {kMsgResultAbort, kMsgResultRetry, kMsgResultIgnore}},
        {kMsgButtonsYesNoCancel | kMsgIconQuestion, {kMsgResultYes, kMsgResultNo, kMsgResultCancel}},
        {kMsgButtonsYesNo, {kMsgResultYes, kMsgResultNo}},
        {kMsgButtonsRetryCancel, {kMsgResultRetry, kMsgResultCancel}},
        {0xE, {kMsgResultOk}},
    };
    for (const ButtonCase& c : cases) {
        int results[3] = {};
        int n = PosixMessageButtons(c.style, results);
        EXPECT_EQ(std::vector<int>(results, results + n), c.results) << "style " << c.style;
    }
}

TEST(DesktopText, Big5BecomesUtf8AndBadBytesAreEscaped) {
    // "\xA4\xA4" is one Big5 character; ASCII passes through.
    EXPECT_EQ(PosixBig5ToUtf8("OK \xA4\xA4"), "OK \xE4\xB8\xAD");
    // A lead byte with no trail cannot be converted: shown escaped.
    EXPECT_EQ(PosixBig5ToUtf8("ab\xA4"), "ab\\xA4");
    EXPECT_EQ(PosixBig5ToUtf8(nullptr), "");
}

TEST(DesktopText, TypedUtf8BecomesGameBytes) {
    EXPECT_EQ(PosixUtf8ToBig5("a\xE4\xB8\xAD"), "a\xA4\xA4");
    // A character Big5 does not hold is dropped, the rest kept.
    EXPECT_EQ(PosixUtf8ToBig5("x\xF0\x9F\x98\x80y"), "xy");
}

TEST(Opener, RefusesWhatWouldReadAsAnOption) {
    EXPECT_FALSE(PosixLaunchOpener("--help"));
    EXPECT_FALSE(PosixLaunchOpener(""));
    EXPECT_FALSE(PosixLaunchOpener(nullptr));
}

} // namespace

namespace {

// PATH is swapped for a folder that holds a stand-in opener (or nothing).
class OpenerPath : public ::testing::Test {
protected:
    void SetUp() override {
        const char* path = std::getenv("PATH");
        saved = path != nullptr ? path : "";
        setenv("PATH", tmp.Path().c_str(), 1);
    }
    void TearDown() override { setenv("PATH", saved.c_str(), 1); }
    std::string saved;
    TempFolder tmp;
};

TEST_F(OpenerPath, FalseWhenNoOpenerIsInstalled) {
    EXPECT_FALSE(PosixLaunchOpener("http://example.invalid/"));
}

TEST_F(OpenerPath, AddressReachesTheOpenerAsOneArgumentWithoutAShell) {
    std::string out = tmp / "argument.txt";
    tmp.WriteFile("xdg-open", "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" + out + ".part' && /bin/mv '" + out + ".part' '" + out + "'\n");
    chmod((tmp / "xdg-open").c_str(), 0755);
    // Were a shell to see it, this would make the file "pwned".
    std::string address = "http://x/a b;$(/usr/bin/touch " + (tmp / "pwned") + ")&c='d'";
    ASSERT_TRUE(PosixLaunchOpener(address.c_str()));
    // The opener runs on its own; give it a moment to write.
    for (int i = 0; i < 200 && access(out.c_str(), F_OK) != 0; ++i) usleep(10000);
    EXPECT_EQ(tmp.ReadFile("argument.txt"), "1|" + address);
    EXPECT_NE(access((tmp / "pwned").c_str(), F_OK), 0);
}

} // namespace
