// A name typed on a Linux keyboard through the SDL back-end reaches the field
// as Big5: the real window on a virtual X display, keys sent with xdotool.
// scripts/setup installs xvfb-run and xdotool.
#include "xvfb_fixture.h"

#include <cstdlib>
#include <string>

namespace {

// Types the characters one by one, then Enter, into the check command's
// window once it has the keyboard; returns the field as hex bytes, or the
// script's failure with the step it failed at and its log. Each character
// is sent on its own with a pause: xdotool maps a spare key to a character
// the keyboard lacks, and the window must see that mapping before the key.
std::string TypeIntoField(const std::string& edition, const std::vector<std::string>& characters) {
    InstallFolder folder;
    const std::string program = BuildTreeProgram("type_check_sdl");
    const std::string out = folder.Path() + "out.txt";
    std::string script =
        "export ASAN_OPTIONS=detect_leaks=0 XDG_RUNTIME_DIR='" + folder.Path() + "'\n"
        "step 'start the check command'\n"
        "'" + program + "' " + edition + " > '" + out + "' & pid=$!\n"
        "for i in $(seq 100); do grep -q ready '" + out + "' && break; sleep 0.1; done\n"
        "step 'find its window'\n"
        "w=$(xdotool search --sync --name TypeCheck | head -1) || fail 11 'find its window'\n"
        "step 'give it the keyboard'\n"
        "xdotool windowfocus --sync \"$w\" || fail 12 'give it the keyboard'\n"
        "for i in $(seq 100); do grep -q focused '" + out + "' && break; sleep 0.1; done\n"
        "sleep 0.3\n"
        // The window may miss the first key xdotool maps while it is busy
        // starting: a character without a Big5 form goes first (the field
        // refuses it, so whether it arrives changes nothing).
        "step 'type the characters'\n"
        "xdotool type --delay 100 '\xF0\x9F\x98\x80' || fail 13 'type a character'\n"
        "sleep 0.5\n";
    for (const std::string& c : characters)
        script += "xdotool type --delay 100 '" + c + "' || fail 13 'type a character'\nsleep 0.3\n";
    script +=
        "step 'press Return'\n"
        "xdotool key --delay 100 Return || fail 14 'press Return'\n"
        "step 'the command ends'\n"
        "wait $pid || fail 15 'the command ends without an error'\n"
        "step 'done'\n";
    const XvfbResult r = RunOnVirtualDisplay(folder, script, 60);
    if (r.code != 0) return "script failed: " + Explain(r);
    std::vector<uint8_t> bytes = folder.Read("out.txt");
    std::string text(bytes.begin(), bytes.end());
    // "ready", "focused", then the hex line last.
    while (!text.empty() && text.back() == '\n') text.pop_back();
    const size_t at = text.rfind('\n');
    return at == std::string::npos ? text : text.substr(at + 1);
}

TEST(TypeXvfb, SimplifiedEditionStoresTheBig5OfTheTraditionalForm) {
    const std::string missing = MissingTools({"xvfb-run", "xdotool", "flock"});
    ASSERT_TRUE(missing.empty()) << "missing tool: " << missing << " (scripts/setup installs it)";
    // "a", the simplified "country" (stored as the Big5 of its traditional
    // form) and '%' (refused).
    EXPECT_EQ(TypeIntoField("simp", {"a", "\xE5\x9B\xBD", "%"}), "61B0EA");
}

TEST(TypeXvfb, TraditionalEditionTypesCodePage950) {
    const std::string missing = MissingTools({"xvfb-run", "xdotool", "flock"});
    ASSERT_TRUE(missing.empty()) << "missing tool: " << missing << " (scripts/setup installs it)";
    EXPECT_EQ(TypeIntoField("dvd", {"\xE4\xB8\xAD", "b", "\xE5\x9C\x8B"}), "A4A462B0EA");
}

} // namespace
