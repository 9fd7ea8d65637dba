#include "world/dialog/text_record.h"

#include "base/edition.h"
#include "base/settings.h"
#include "base/text_convert.h"
#include "media/sound_bank.h"

#include <cstring>
#include <new>

cTextRecord* gEditField = nullptr;

bool IsBig5Lead(uint8_t byte) { return byte >= 0x81 && byte <= 0xFE; }

bool IsBig5Pair(uint8_t lead, uint8_t trail) {
    return IsBig5Lead(lead) && ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0xA1 && trail <= 0xFE));
}

namespace {
bool IsStoredSingle(uint8_t byte) { return byte >= 0x20 && byte < 0x7F && byte != '%'; }

// Bytes of the character at p: 2 for a lead byte with a second byte, else 1
// (0 at the end).
size_t CharBytes(const char* p) {
    uint8_t b = static_cast<uint8_t>(p[0]);
    if (b == 0) return 0;
    if (b >= 0x80 && p[1] != '\0') return 2;
    return 1;
}
} // namespace

size_t FitBytes(const char* text, size_t budget) {
    if (!text) return 0;
    size_t n = 0;
    for (;;) {
        size_t step = CharBytes(text + n);
        if (step == 0 || n + step > budget) break;
        if (step == 1 && static_cast<uint8_t>(text[n]) >= 0x80) break; // a lead byte without its second byte
        n += step;
    }
    return n;
}

cTextRecord* cTextRecord::Create(const char* initialText, uint32_t capacity, int32_t x, int32_t y) {
    Destroy();
    if (capacity > kTextRecordMax) capacity = kTextRecordMax;
    x_ = x;
    y_ = y;
    capacity_ = capacity;
    imeActive_ = 0;
    insertMode_ = 1;
    state_ = kTextEditing;
    cursor_ = 0;
    pendingLead_ = 0;
    text_ = new (std::nothrow) char[capacity + 1]();
    if (!text_) {
        capacity_ = 0;
        return this;
    }
    size_t n = FitBytes(initialText, capacity);
    if (n) std::memcpy(text_, initialText, n);
    return this;
}

void cTextRecord::Destroy() {
    delete[] text_;
    text_ = nullptr;
    capacity_ = cursor_ = 0;
    pendingLead_ = 0;
    if (gEditField == this) gEditField = nullptr;
}

int cTextRecord::CopyOut(char* destination, size_t size) const {
    if (!destination || size == 0) return 1;
    std::memset(destination, 0, size);
    size_t budget = size - 1 < capacity_ ? size - 1 : capacity_;
    size_t n = FitBytes(Text(), budget);
    if (n) std::memcpy(destination, text_, n);
    return 1;
}

void cTextRecord::InsertText(const char* text) {
    if (!text_ || !text) return;
    char scratch[kTextRecordMax + 1] = {};
    size_t k = FitBytes(text, capacity_ - cursor_);
    size_t tail = FitBytes(text_ + cursor_, capacity_ - cursor_ - k);
    std::memcpy(scratch, text_, cursor_);
    std::memcpy(scratch + cursor_, text, k);
    std::memcpy(scratch + cursor_ + k, text_ + cursor_, tail);
    std::memset(text_, 0, capacity_ + 1);
    std::memcpy(text_, scratch, cursor_ + k + tail);
    cursor_ += static_cast<uint32_t>(k);
}

void cTextRecord::DeleteAtCursor() {
    if (!text_) return;
    size_t step = CharBytes(text_ + cursor_);
    if (step == 0) return;
    std::memmove(text_ + cursor_, text_ + cursor_ + step, std::strlen(text_ + cursor_ + step) + 1);
}

void cTextRecord::MoveLeft() {
    if (!text_ || cursor_ == 0) return;
    // Whole characters from the start: the boundary just before the cursor.
    uint32_t at = 0, last = 0;
    while (at < cursor_) {
        last = at;
        size_t step = CharBytes(text_ + at);
        if (step == 0) break;
        at += static_cast<uint32_t>(step);
    }
    cursor_ = last;
}

void cTextRecord::MoveRight() {
    if (!text_) return;
    cursor_ += static_cast<uint32_t>(CharBytes(text_ + cursor_));
}

void cTextRecord::Refuse() { PlaySfx(kRefuseSfx, static_cast<int>(gSfxVolume)); }

void cTextRecord::InsertCharacter(uint8_t lead, uint8_t trail) {
    char character[3] = {static_cast<char>(lead), static_cast<char>(trail), '\0'};
    InsertText(character);
}

void cTextRecord::TakeByte(uint8_t byte) {
    if (pendingLead_) {
        uint8_t lead = pendingLead_;
        pendingLead_ = 0;
        if (IsBig5Pair(lead, byte)) {
            InsertCharacter(lead, byte);
            return;
        }
        Refuse(); // the lead byte had no second byte: nothing of it is kept
    }
    if (IsBig5Lead(byte)) {
        pendingLead_ = byte;
    } else if (byte == '%') {
        Refuse(); // a text code would start here
    } else if (IsStoredSingle(byte)) {
        char character[2] = {static_cast<char>(byte), '\0'};
        InsertText(character);
    } else if (byte >= 0x80) {
        Refuse(); // 0x80 and 0xFF are no Big5 lead bytes
    }
    // Control bytes (below 0x20 and 0x7F) come with the editing keys: ignored.
}

int cTextRecord::EditFieldMessage(uint32_t message, uint32_t wParam, uint32_t) {
    switch (message) {
    case kEditMsgImeChar: {
        pendingLead_ = 0;
        uint8_t lead = static_cast<uint8_t>(wParam >> 8), trail = static_cast<uint8_t>(wParam);
        if (gEdition.convertText) {
            uint16_t big5 = 0;
            if (!FindBig5OfGb(static_cast<uint16_t>(lead | (trail << 8)), &big5)) {
                Refuse();
                return 0;
            }
            lead = static_cast<uint8_t>(big5);
            trail = static_cast<uint8_t>(big5 >> 8);
        }
        if (IsBig5Pair(lead, trail))
            InsertCharacter(lead, trail);
        else
            Refuse();
        return 0;
    }
    case kEditMsgChar:
        if (!imeActive_) TakeByte(static_cast<uint8_t>(wParam));
        return 0;
    case kEditMsgKeyDown:
        if (wParam == kEditVkF8) return 1;
        if (pendingLead_) Refuse(); // the lead byte's character never came whole
        pendingLead_ = 0;
        switch (wParam) {
        case kEditVkBack: {
            uint32_t before = cursor_;
            MoveLeft();
            if (cursor_ != before) DeleteAtCursor();
            break;
        }
        case kEditVkReturn: state_ = kTextConfirmed; break;
        case kEditVkEscape: state_ = kTextCancelled; break;
        case kEditVkEnd:
            while (text_ && text_[cursor_]) MoveRight();
            break;
        case kEditVkHome: cursor_ = 0; break;
        case kEditVkLeft: MoveLeft(); break;
        case kEditVkRight: MoveRight(); break;
        case kEditVkDelete: DeleteAtCursor(); break;
        default: break;
        }
        return 0;
    case kEditMsgKeyUp: return wParam == kEditVkF8 ? 1 : 0;
    default: return 1;
    }
}

int EditFieldMessage(uint32_t message, uint32_t wParam, uint32_t lParam) {
    if (!gEditField) return 1;
    return gEditField->EditFieldMessage(message, wParam, lParam);
}

void ResetTextRecords() { gEditField = nullptr; }
