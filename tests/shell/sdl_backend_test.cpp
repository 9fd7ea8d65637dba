// The SDL window's own rules, checked by the display check command on SDL's
// dummy video driver and, where xvfb-run is installed, on a virtual X
// display: a box lets go of a held mouse, a click between two reads is
// kept, and the display calls are safe once the window is closed.
#include "shell_fixture.h"

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

TEST(SdlBackEnd, VirtualDisplayKeepsTheWindowsRules) {
    if (access(CommandPath().c_str(), X_OK) != 0) GTEST_SKIP() << "no command at " << CommandPath();
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) GTEST_SKIP() << "xvfb-run is not installed";
    EXPECT_EQ(RunCheck("timeout 60 xvfb-run -a"), 0);
}

} // namespace
