// Typing into a name field through the window procedure: key and text events
// of the headless back-end become the window's messages, which reach the
// field while story flag 80 is set. Refusals are heard as sound effect 140.
#include "shell_fixture.h"

#include "base/edition.h"
#include "base/game_state.h"
#include "base/input.h"
#include "base/text_convert.h"
#include "draw/draw_kernel.h"
#include "media/sound_bank.h"
#include "platform/headless/headless_media.h"
#include "shell/messages.h"
#include "shell/window.h"
#include "tools/snd_writer.h"
#include "world/dialog/text_record.h"
#include "world/story_flags.h"

#include <string>
#include <vector>

namespace {

// One scripted input: a key press (down and up) by scan code, a raw text
// event (a code of the typing code set) or UTF-8 text typed.
struct Input {
    enum Kind { Key, Code, Utf8 } kind;
    int value;
    const char* text;
};
Input Key(int scan) { return {Input::Key, scan, nullptr}; }
Input Code(int code) { return {Input::Code, code, nullptr}; }
Input Type(const char* utf8) { return {Input::Utf8, 0, utf8}; }

class TextEntryTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        HeadlessAudioReset();
        std::vector<uint8_t> wave = BuildWaveFile(ToneSamples(440, 50, 22050, 1, 8000), 22050, 1);
        folder.Write("all.snd", BuildSoundPack({{kRefuseSfx, wave, kSoundKindWholeFile}}));
        ASSERT_TRUE(gSoundBank.OpenSound(folder.Path().c_str()));
        gSfxVolume = 11;
        BuildBig5ToGbTable();
        SetFlag(kFlagEditField);
    }
    void TearDown() override {
        field.Destroy();
        FreeBig5ToGbTable();
        gEdition.convertText = true;
        PlatSetTypingCodeSet(kPlatTypingBig5);
        ShellTest::TearDown();
        HeadlessAudioReset();
    }

    // Feeds the inputs through the message loop; returns the refusals heard.
    int Feed(const std::vector<Input>& inputs) {
        for (const Input& in : inputs) {
            if (in.kind == Input::Key) {
                HeadlessQueueEvent({kPlatEventKeyDown, in.value, 0});
                HeadlessQueueEvent({kPlatEventKeyUp, in.value, 0});
            } else if (in.kind == Input::Code) {
                HeadlessQueueEvent({kPlatEventText, in.value, 0});
            } else {
                HeadlessQueueText(in.text);
            }
        }
        int refusals = 0;
        ShellMessage m{};
        while (PeekMessage() && GetMessage(&m)) {
            WndProc(m.message, m.wParam, m.lParam);
            if (gSoundBank.VoiceOf(kRefuseSfx) >= 0) ++refusals;
            gSoundBank.StopAllSounds();
        }
        return refusals;
    }

    InstallFolder folder;
    cTextRecord field;
};

struct EntryCase {
    const char* name;
    uint32_t capacity;
    const char* initial;
    std::vector<Input> inputs;
    std::string text;     // what the field holds afterwards
    uint32_t cursor;
    int refusals;
};

// Big5 bytes used below: A4 A4 "middle", B0 EA the traditional "country",
// A5 40 (trail byte below 0x80) and A4 E5 (trail byte 0xA1 or more).
const std::vector<EntryCase> kTraditionalCases = {
    {"plain letters", 8, "", {Code('a'), Code('b')}, "ab", 2, 0},
    {"full field refuses a fourth character and a single byte", 6, "\xA4\xA4\xA4\xA4\xA4\xA4",
     {Key(kScanEnd), Code(0xA4A4), Code('x')}, "\xA4\xA4\xA4\xA4\xA4\xA4", 6, 0},
    {"one byte left takes a letter but not a two-byte character", 3, "\xA4\xA4",
     {Key(kScanEnd), Code(0xA5A1), Code('z')}, "\xA4\xA4z", 3, 0},
    {"home then right steps over a whole character", 8, "\xA4\xA4" "ab", {Key(kScanEnd), Key(kScanHome), Key(kScanRight)},
     "\xA4\xA4" "ab", 2, 0},
    {"left never splits a character", 8, "a\xA4\xA4", {Key(kScanEnd), Key(kScanLeft)}, "a\xA4\xA4", 1, 0},
    {"right stops at the end", 4, "ab", {Key(kScanRight), Key(kScanRight), Key(kScanRight)}, "ab", 2, 0},
    {"backspace at 0 changes nothing", 8, "ab", {Key(kScanBackspace)}, "ab", 0, 0},
    {"backspace takes the whole character before the cursor", 8, "a\xA4\xA4" "b",
     {Key(kScanEnd), Key(kScanLeft), Key(kScanBackspace)}, "ab", 1, 0},
    {"delete at the end changes nothing", 8, "ab", {Key(kScanEnd), Key(kScanDelete)}, "ab", 2, 0},
    {"delete takes the whole character at the cursor", 8, "\xA4\xA4" "b", {Key(kScanDelete)}, "b", 0, 0},
    {"insert in the middle", 8, "ac", {Key(kScanRight), Code('b')}, "abc", 2, 0},
    {"percent is refused", 8, "", {Code('%'), Code('a')}, "a", 1, 1},
    {"control bytes are not stored", 8, "", {Code(0x1F), Code(0x7F), Code(0x09), Code('q')}, "q", 1, 0},
    {"trail bytes from 0xA1 up are kept", 8, "", {Code(0xA4E5), Code(0xA540)}, "\xA4\xE5\xA5\x40", 4, 0},
    {"lead then trail as two character bytes", 8, "", {Code(0xA4), Code(0xE5), Code(0xA5), Code(0x40)},
     "\xA4\xE5\xA5\x40", 4, 0},
    {"a lone lead byte is never stored", 8, "", {Code(0xA4), Code('1')}, "1", 1, 1},
    {"percent after a lead byte is refused, not stored", 8, "", {Code(0xA4), Code('%')}, "", 0, 1},
    {"control after a lead byte is not stored", 8, "", {Code(0xA4), Code(0x01), Code('b')}, "b", 1, 1},
    {"a lead byte pending is dropped by an editing key", 8, "", {Code(0xA4), Key(kScanLeft), Code(0xE5)}, "", 0, 1},
    {"a character with no Big5 form is refused", 8, "", {Code(kPlatTextNoForm)}, "", 0, 1},
    {"typed UTF-8 through the code page", 8, "", {Type("a\xE4\xB8\xAD")}, "a\xA4\xA4", 3, 0},
    {"an emoji has no Big5 form", 8, "", {Type("x\xF0\x9F\x98\x80y")}, "xy", 2, 1},
    {"enter confirms", 8, "ab", {Key(kScanEnter)}, "ab", 0, 0},
};

TEST_F(TextEntryTest, TraditionalEditionTable) {
    gEdition.convertText = false;
    PlatSetTypingCodeSet(kPlatTypingBig5);
    for (const EntryCase& c : kTraditionalCases) {
        SCOPED_TRACE(c.name);
        gEditField = field.Create(c.initial, c.capacity, 290, 238);
        EXPECT_EQ(Feed(c.inputs), c.refusals);
        EXPECT_EQ(std::string(field.Text()), c.text);
        EXPECT_EQ(field.GetCursor(), c.cursor);
        field.Destroy();
    }
}

TEST_F(TextEntryTest, SimplifiedEditionStoresTheBig5OfTheTraditionalForm) {
    PlatSetTypingCodeSet(kPlatTypingGb2312);
    gEditField = field.Create("", 8, 0, 0);
    // U+56FD, the simplified "country", is GB2312 B9 FA; stored as Big5 B0 EA.
    EXPECT_EQ(Feed({Type("\xE5\x9B\xBD")}), 0);
    EXPECT_EQ(std::string(field.Text()), "\xB0\xEA");
    // The GB2312 comma stores the Big5 comma.
    EXPECT_EQ(Feed({Code(0xA3AC)}), 0);
    EXPECT_EQ(std::string(field.Text()), "\xB0\xEA\xA1\x41");
    // U+570B, the traditional form, has no GB2312 form: refused, not dropped silently.
    EXPECT_EQ(Feed({Type("\xE5\x9C\x8B")}), 1);
    // A GB2312 code without a Big5 counterpart is refused rather than stored as typed.
    int unpaired = 0;
    for (int code = 0xA1A1; code <= 0xF7FE && !unpaired; ++code) {
        uint16_t big5 = 0;
        if ((code & 0xFF) >= 0xA1 && (code & 0xFF) <= 0xFE &&
            !FindBig5OfGb(static_cast<uint16_t>((code >> 8) | ((code & 0xFF) << 8)), &big5))
            unpaired = code;
    }
    ASSERT_NE(unpaired, 0);
    EXPECT_EQ(Feed({Code(unpaired)}), 1);
    EXPECT_EQ(std::string(field.Text()), "\xB0\xEA\xA1\x41");
}

TEST_F(TextEntryTest, PendingLeadBytesBelongToTheirOwnField) {
    gEdition.convertText = false;
    cTextRecord other;
    gEditField = field.Create("", 8, 0, 0);
    Feed({Code(0xA4)});
    gEditField = other.Create("", 8, 0, 0);
    Feed({Code('a')});
    EXPECT_EQ(std::string(other.Text()), "a");
    // The first field's lead byte was not taken as the other's, nor the
    // other's letter as its trail byte: it completes only with its own.
    gEditField = &field;
    Feed({Code(0xE5)});
    EXPECT_EQ(std::string(field.Text()), "\xA4\xE5");
}

TEST_F(TextEntryTest, KeysTypedIntoTheFieldDoNotReachTheGame) {
    gEdition.convertText = false;
    SetFlag(kFlagGameInPlay);
    folder.MakeFolder("ScrnShot");
    std::snprintf(gInstallPath, sizeof gInstallPath, "%s", folder.Path().c_str());
    std::vector<uint16_t> pixels(640 * 480, 0);
    gBackPixels = pixels.data();
    gEditField = field.Create("", 8, 0, 0);
    Feed({Key(kScanP), Code('p')});
    EXPECT_EQ(std::string(field.Text()), "p");
    EXPECT_FALSE(folder.Exists("ScrnShot/00000.bmp"));
    // The pause key still acts while a field is open.
    gGameRunning = 1;
    Feed({Key(kScanF8)});
    EXPECT_EQ(gGameRunning, 0u);
    // Without a field nothing is stored and the window acts as usual.
    field.Destroy();
    EXPECT_EQ(gEditField, nullptr);
    Feed({Key(kScanP)});
    EXPECT_TRUE(folder.Exists("ScrnShot/00000.bmp"));
    gBackPixels = nullptr;
}

TEST_F(TextEntryTest, EscCancelsAndCopyOutKeepsWholeCharacters) {
    gEdition.convertText = false;
    gEditField = field.Create("\xA4\xA4\xA4\xA4", 4, 0, 0);
    Feed({Key(kScanEsc)});
    EXPECT_EQ(field.GetState(), kTextCancelled);
    char out[4] = {'x', 'x', 'x', 'x'};
    field.CopyOut(out, sizeof out);
    EXPECT_EQ(std::string(out), "\xA4\xA4");
    // An initial text ending in a lone lead byte keeps only whole characters.
    field.Create("ab\xA4", 8, 0, 0);
    EXPECT_EQ(std::string(field.Text()), "ab");
}

} // namespace
