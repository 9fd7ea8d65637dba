// The one-line text-entry field for names the player types (the talk
// script's name box and the title screen's name entry).
//
// The field holds Big5 text of a fixed capacity in bytes, a cursor on a
// character boundary and an end state. The window procedure hands it the
// window's messages while story flag 80 is set; its owner draws it
// (DrawTextEntryBox) and polls GetState. Only whole characters are ever
// stored: a single byte 0x20..0x7E other than '%', or a two-byte Big5
// character (lead 0x81..0xFE, trail 0x40..0x7E or 0xA1..0xFE). Anything
// else typed is refused with sound effect 140 or, for control bytes, ignored.
#pragma once
#include <cstddef>
#include <cstdint>

// The window messages the field reads (the shell's numbers).
constexpr uint32_t kEditMsgKeyDown = 0x0100;
constexpr uint32_t kEditMsgKeyUp = 0x0101;
constexpr uint32_t kEditMsgChar = 0x0102;
constexpr uint32_t kEditMsgImeChar = 0x0286; // wParam: a whole two-byte character, lead byte in bits 8..15
// Virtual keys of the keys the field acts on.
constexpr uint32_t kEditVkBack = 0x08;
constexpr uint32_t kEditVkReturn = 0x0D;
constexpr uint32_t kEditVkEscape = 0x1B;
constexpr uint32_t kEditVkEnd = 0x23;
constexpr uint32_t kEditVkHome = 0x24;
constexpr uint32_t kEditVkLeft = 0x25;
constexpr uint32_t kEditVkRight = 0x27;
constexpr uint32_t kEditVkDelete = 0x2E;
constexpr uint32_t kEditVkF8 = 0x77; // the pause key still reaches the window

constexpr int kRefuseSfx = 140;
// The largest capacity a field takes (and the most InsertText reads).
constexpr uint32_t kTextRecordMax = 1024;

enum TextRecordState : int32_t {
    kTextEditing = 0,
    kTextConfirmed = 1, // Enter
    kTextCancelled = 2, // Esc
};

class cTextRecord {
public:
    cTextRecord() = default;
    ~cTextRecord() { Destroy(); }
    cTextRecord(const cTextRecord&) = delete;
    cTextRecord& operator=(const cTextRecord&) = delete;

    // Sets the field up with as many whole characters of initialText (may be
    // null) as fit in capacity (at most kTextRecordMax); cursor 0, editing.
    // Returns this.
    cTextRecord* Create(const char* initialText, uint32_t capacity, int32_t x, int32_t y);
    // Frees the text; the field no longer receives messages.
    void Destroy();

    int32_t GetState() const { return state_; }
    int32_t GetX() const { return x_; }
    int32_t GetY() const { return y_; }
    uint32_t GetCursor() const { return cursor_; }
    uint32_t GetRecordField3() const { return capacity_; } // the capacity
    const char* Text() const { return text_ ? text_ : ""; }

    // Zero-fills size bytes of destination and copies the whole characters
    // of the text that fit in min(size - 1, capacity) bytes, so the copy is
    // always terminated. Returns 1.
    int CopyOut(char* destination, size_t size) const;
    void InsertText(const char* text);
    void DeleteAtCursor();
    // 0 when the message was consumed (the window does nothing more with it),
    // else nonzero. Key messages are consumed unless they are the pause key,
    // so keys typed into the field never act on the game as well.
    int EditFieldMessage(uint32_t message, uint32_t wParam, uint32_t lParam);

private:
    void MoveLeft();
    void MoveRight();
    void Refuse();
    void TakeByte(uint8_t byte);
    void InsertCharacter(uint8_t lead, uint8_t trail);

    char* text_ = nullptr;
    int32_t x_ = 0, y_ = 0;
    uint32_t capacity_ = 0;
    uint32_t cursor_ = 0;
    int32_t state_ = kTextEditing;
    int32_t imeActive_ = 0;
    int32_t insertMode_ = 1;
    // A lead byte typed as a character message, waiting for its trail byte.
    // Each field keeps its own and nothing of it is stored until the pair is whole.
    uint8_t pendingLead_ = 0;
};

// The field that receives the window's messages, or null.
extern cTextRecord* gEditField;

// Bytes of the whole characters from the start of text (up to its NUL) that
// fit in budget. A lead byte whose second byte is the NUL is not a character.
size_t FitBytes(const char* text, size_t budget);
// Whether the two bytes form a Big5 character the field stores.
bool IsBig5Pair(uint8_t lead, uint8_t trail);
bool IsBig5Lead(uint8_t byte);

// The window procedure's way in: the message goes to gEditField when there
// is one; without a field nothing happens (nonzero).
int EditFieldMessage(uint32_t message, uint32_t wParam, uint32_t lParam);

void ResetTextRecords();
