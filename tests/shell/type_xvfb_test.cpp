// A name typed on a Linux keyboard through the SDL back-end reaches the field
// as Big5: the real window on a virtual X display, keys sent with xdotool.
// scripts/setup installs xvfb-run and xdotool.
#include "shell_fixture.h"

#include <cstdlib>
#include <string>

namespace {

// Types the characters one by one, then Enter, into the check command's
// window once it has the keyboard; returns the field as hex bytes, or the
// script's failure. Each character is sent on its own with a pause: xdotool
// maps a spare key to a character the keyboard lacks, and the window must
// see that mapping before the key.
std::string TypeIntoField(const std::string& edition, const std::vector<std::string>& characters) {
    InstallFolder folder;
    const std::string program = BuildTreeProgram("type_check_sdl");
    const std::string out = folder.Path() + "out.txt";
    std::string script =
        "export ASAN_OPTIONS=detect_leaks=0 XDG_RUNTIME_DIR='" + folder.Path() + "'\n"
        "'" + program + "' " + edition + " > '" + out + "' & pid=$!\n"
        "for i in $(seq 100); do grep -q ready '" + out + "' && break; sleep 0.1; done\n"
        "w=$(xdotool search --sync --name TypeCheck | head -1) || exit 11\n"
        "xdotool windowfocus --sync \"$w\" || exit 12\n"
        "for i in $(seq 100); do grep -q focused '" + out + "' && break; sleep 0.1; done\n"
        "sleep 0.3\n"
        // The window may miss the first key xdotool maps while it is busy
        // starting: a character without a Big5 form goes first (the field
        // refuses it, so whether it arrives changes nothing).
        "xdotool type --delay 100 '\xF0\x9F\x98\x80' || exit 13\n"
        "sleep 0.5\n";
    for (const std::string& c : characters) script += "xdotool type --delay 100 '" + c + "' || exit 13\nsleep 0.3\n";
    script +=
        "xdotool key --delay 100 Return || exit 14\n"
        "wait $pid || exit 15\n";
    folder.Write("run.sh", std::vector<uint8_t>(script.begin(), script.end()));
    const std::string command = "timeout 60 xvfb-run -a bash '" + folder.Path() + "run.sh' >/dev/null 2>&1";
    const int rc = std::system(command.c_str());
    if (!WIFEXITED(rc) || WEXITSTATUS(rc) != 0)
        return "script failed: " + std::to_string(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1);
    std::vector<uint8_t> bytes = folder.Read("out.txt");
    std::string text(bytes.begin(), bytes.end());
    // "ready", "focused", then the hex line last.
    while (!text.empty() && text.back() == '\n') text.pop_back();
    const size_t at = text.rfind('\n');
    return at == std::string::npos ? text : text.substr(at + 1);
}

TEST(TypeXvfb, SimplifiedEditionStoresTheBig5OfTheTraditionalForm) {
    ASSERT_EQ(std::system("command -v xvfb-run >/dev/null && command -v xdotool >/dev/null"), 0)
        << "scripts/setup installs xvfb and xdotool";
    // "a", the simplified "country" (stored as the Big5 of its traditional
    // form) and '%' (refused).
    EXPECT_EQ(TypeIntoField("simp", {"a", "\xE5\x9B\xBD", "%"}), "61B0EA");
}

TEST(TypeXvfb, TraditionalEditionTypesCodePage950) {
    ASSERT_EQ(std::system("command -v xvfb-run >/dev/null && command -v xdotool >/dev/null"), 0)
        << "scripts/setup installs xvfb and xdotool";
    EXPECT_EQ(TypeIntoField("dvd", {"\xE4\xB8\xAD", "b", "\xE5\x9C\x8B"}), "A4A462B0EA");
}

} // namespace
