// The SDL window's own rules, checked by the display check command on SDL's
// dummy video driver and, where xvfb-run is installed, on a virtual X
// display: a box lets go of a held mouse, a click between two reads is
// kept, and the display calls are safe once the window is closed.
#include "xvfb_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

std::string CommandPath() { return BuildTreeProgram("display_check_sdl"); }

// The command's exit code: 0 all held, 1 a rule broken, 2 no window.
int RunCheck(const std::string& prefix) {
    // Leaks of the X and SDL libraries are not the game's.
    std::string command = "ASAN_OPTIONS=detect_leaks=0 " + prefix + " '" + CommandPath() + "'";
    int rc = std::system(command.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

TEST(SdlBackEnd, DummyDriverKeepsTheWindowsRules) {
    if (access(CommandPath().c_str(), X_OK) != 0) GTEST_SKIP() << "no command at " << CommandPath();
    int rc = RunCheck("SDL_VIDEODRIVER=dummy timeout 30");
    if (rc == 2) GTEST_SKIP() << "SDL has no dummy video driver here";
    EXPECT_EQ(rc, 0);
}

// A machine without a sound device: the sound libraries' own complaints
// are kept quiet and the program says so in one line, once, however often
// the device is tried; the game plays on without sound.
TEST(SdlBackEnd, NoSoundDeviceIsOneQuietLine) {
    if (access(CommandPath().c_str(), X_OK) != 0) GTEST_SKIP() << "no command at " << CommandPath();
    InstallFolder folder;
    // A sound card that does not exist stands for a machine without one.
    const std::string command = "SDL_AUDIODRIVER=alsa ALSA_CARD=kyv_no_such_card ASAN_OPTIONS=detect_leaks=0 "
                                "timeout 30 '" + CommandPath() + "' sound >'" + folder.Path() + "out.txt' 2>'" +
                                folder.Path() + "err.txt'";
    const int rc = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 0) << rc;
    const std::vector<uint8_t> out = folder.Read("out.txt"), err = folder.Read("err.txt");
    const std::string said(out.begin(), out.end()), complained(err.begin(), err.end());
    EXPECT_EQ(said, "sound: none, none\n");
    EXPECT_EQ(complained.rfind("sound: no audio device (", 0), 0u) << complained;
    EXPECT_EQ(std::count(complained.begin(), complained.end(), '\n'), 1) << complained;
    EXPECT_EQ(complained.find("ALSA lib"), std::string::npos) << complained;
}

// On the virtual display through the one fixture that takes the display
// lock, so it never races another test for a display number.
TEST(SdlBackEnd, VirtualDisplayKeepsTheWindowsRules) {
    if (access(CommandPath().c_str(), X_OK) != 0) GTEST_SKIP() << "no command at " << CommandPath();
    const std::string missing = MissingTools({"xvfb-run", "flock"});
    if (!missing.empty()) GTEST_SKIP() << "missing tool: " << missing << " (scripts/setup installs it)";
    InstallFolder folder;
    const XvfbResult r = RunOnVirtualDisplay(folder,
                                             "export ASAN_OPTIONS=detect_leaks=0 XDG_RUNTIME_DIR='" + folder.Path() +
                                                 "'\n"
                                                 "step 'the display check'\n"
                                                 "'" + CommandPath() + "' || fail $? 'the display check'\n"
                                                 "step 'done'\n",
                                             60);
    EXPECT_EQ(r.code, 0) << Explain(r);
}

} // namespace
