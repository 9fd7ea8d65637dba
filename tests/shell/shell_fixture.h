// A clean shell, settings and headless back-end per test, with a fresh
// install folder.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <climits>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "base/errorbox.h"
#include "base/settings.h"
#include "platform/headless/headless.h"
#include "shell/launcher.h"
#include "shell/winmain.h"
#include "tests/support/temp_folder.h"

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

// The source tree's root, ending in '/' (given by the build: __FILE__ may be
// a relative path when a compiler cache rewrites it).
inline std::string SourceRoot() { return std::string(KYV_SOURCE_DIR) + "/"; }

class InstallFolder : public TempFolder {
public:
    InstallFolder() : TempFolder("shell") {}


    void Write(const std::string& rel, const std::vector<uint8_t>& bytes) const {
        std::ofstream out(*this / rel, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::vector<uint8_t> Read(const std::string& rel) const {
        std::ifstream in(*this / rel, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool IsFolder(const std::string& rel) const {
        struct stat st{};
        return stat((*this / rel).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    bool Exists(const std::string& rel) const {
        struct stat st{};
        return stat((*this / rel).c_str(), &st) == 0;
    }
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
