// A clean shell, settings and headless back-end per test, with a fresh
// install folder.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <climits>
#include <ftw.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "base/errorbox.h"
#include "base/settings.h"
#include "platform/headless/headless.h"
#include "shell/launcher.h"
#include "shell/winmain.h"

// A program or command of the build tree, beside the tests' folder.
inline std::string BuildTreeProgram(const std::string& name) {
    char self[PATH_MAX] = {};
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "";
    std::string path(self, static_cast<size_t>(n));
    path = path.substr(0, path.rfind('/')); // .../tests
    path = path.substr(0, path.rfind('/')); // the build folder
    return path + "/" + name;
}

class InstallFolder {
public:
    InstallFolder() {
        const char* root = std::getenv("KYV_TEST_TMP");
        std::string base = (root != nullptr && root[0] != '\0') ? root : "/tmp";
        mkdir(base.c_str(), 0777);
        std::string pattern = base + "/shell-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern + "/";
    }
    ~InstallFolder() {
        if (!path_.empty()) nftw(path_.c_str(), Remove, 16, FTW_DEPTH | FTW_PHYS);
    }
    InstallFolder(const InstallFolder&) = delete;
    InstallFolder& operator=(const InstallFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& rel) const { return path_ + rel; }
    void Write(const std::string& rel, const std::vector<uint8_t>& bytes) const {
        std::ofstream out(path_ + rel, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::vector<uint8_t> Read(const std::string& rel) const {
        std::ifstream in(path_ + rel, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool IsFolder(const std::string& rel) const {
        struct stat st{};
        return stat((path_ + rel).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    bool Exists(const std::string& rel) const {
        struct stat st{};
        return stat((path_ + rel).c_str(), &st) == 0;
    }

private:
    static int Remove(const char* path, const struct stat*, int, FTW*) { return std::remove(path); }
    std::string path_;
};

// Scripts the player's choice in the launcher: the mouse moves onto the
// zone after the first frame, the left button goes down on the next and up
// after it. The launcher's pointer starts at the centre of its picture.
inline void QueueLauncherChoice(int zone, uint32_t firstFrame = 1) {
    const ZonePlace& z = kZonePlaces[zone];
    PlatMouseState m{};
    m.x = z.left + 56 - 320;
    m.y = z.top + 20 - 240;
    HeadlessQueueMouse(m, firstFrame);
    m.button[0] = 0x80;
    HeadlessQueueMouse(m, firstFrame + 1);
    m.button[0] = 0;
    HeadlessQueueMouse(m, firstFrame + 2);
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        ResetErrorBoxes();
        ResetShell();
    }
    void TearDown() override {
        ResetShell();
        HeadlessReset();
    }
    // Makes the test's folder the install folder.
    void UseInstallFolder() { CopyFolderText(gInstallPath, install.Path().c_str()); }

    InstallFolder install;
};
