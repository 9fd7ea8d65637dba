#include "world/dialog/name_entry.h"

#include <cstring>

#include "base/game_state.h"
#include "base/nick_names.h"
#include "world/dialog/text_entry_box.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"

NameEntry gNameEntry;

namespace {

void Focus(int field) {
    gNameEntry.focus = field;
    gEditField = &gNameEntry.fields[field];
}

// A click on a field focuses it; a click on the OK box keeps the texts.
bool TakeClick() {
    if (gKeyState[kKeyMouseLeft].framesHeld != 1) return false;
    const int32_t x = gKeyInput.mouseX, y = gKeyInput.mouseY;
    for (int i = 0; i < kNameFields; ++i)
        if (kNameFieldArea[i].Holds(x, y)) Focus(i);
    return kNameEntryOk.Holds(x, y);
}

bool FieldsIn(int32_t state) {
    for (const cTextRecord& field : gNameEntry.fields)
        if (field.GetState() == state) return true;
    return false;
}

} // namespace

bool OpenNameEntry(int member) {
    if (member < 0 || member >= kNickRows) return false;
    CloseNameEntry();
    gNameEntry.member = member;
    for (int i = 0; i < kNameFields; ++i) {
        const NameFieldPlace& p = kNameFieldPlace[i];
        gNameEntry.fields[i].Create(NickName(member, i), p.capacity, p.x, p.y);
    }
    Focus(0);
    gGameMode |= kModeTextEntry;
    SetFlag(kFlagEditField);
    return true;
}

void NameEntryFrame() {
    NameEntry& e = gNameEntry;
    if (e.member < 0) {
        CloseNameEntry();  // nothing open to answer: the player is not held by it
        return;
    }
    const bool ok = TakeClick();
    if (gKeyState[kNameFocusKey].framesHeld == 1) Focus((e.focus + 1) % kNameFields);
    if (ok || FieldsIn(kTextConfirmed)) {
        const char* texts[kNameFields] = {e.fields[0].Text(), e.fields[1].Text(), e.fields[2].Text()};
        CommitNameEntry(e.member, texts);
        CloseNameEntry();
        return;
    }
    if (FieldsIn(kTextCancelled)) {
        CloseNameEntry();
        return;
    }
    for (int i = 0; i < kNameFields; ++i) DrawTextEntryBox(&e.fields[i], i == e.focus, i == 0);
}

bool CommitNameEntry(int member, const char* const texts[3]) {
    if (member < 0 || member >= kNickRows) return false;
    uint8_t keep[kNickRows][kNickRowBytes];
    std::memcpy(keep, gNickNames, sizeof keep);
    InitNickNames();
    uint8_t row[kNickRowBytes];
    std::memcpy(row, gNickNames[member], sizeof row);
    std::memcpy(gNickNames, keep, sizeof keep);
    for (int slot = 0; slot < kNickSlots; ++slot) {
        uint8_t* out = row + slot * kNickSlotBytes;
        const char* text = texts[slot] ? texts[slot] : "";
        const size_t n = strnlen(text, kNickSlotBytes - 1);
        std::memset(out, 0, kNickSlotBytes);
        std::memcpy(out, text, n);
    }
    std::memcpy(gNickNames[member], row, sizeof row);
    return true;
}

void CloseNameEntry() {
    for (cTextRecord& field : gNameEntry.fields) {
        if (gEditField == &field) gEditField = nullptr;
        field.Destroy();
    }
    gNameEntry.member = -1;
    ClearFlag(kFlagEditField);
    gGameMode &= ~kModeTextEntry;
}

void ResetNameEntry() {
    CloseNameEntry();
    gNameEntry.focus = 0;
}
