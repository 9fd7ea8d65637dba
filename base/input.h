// Keyboard and mouse of the game: the key state indexed by the PC scan codes
// the settings file stores, and the mouse turned into a position on the
// 640x480 screen.
#pragma once
#include <cstdint>

// Scan codes the shell and the menus name.
enum : uint8_t {
    kScanEsc = 0x01,
    kScanP = 0x19,
    kScanEnter = 0x1C,
    kScanF8 = 0x42,
    // The editing keys of a text field.
    kScanBackspace = 0x0E,
    kScanHome = 0xC7,
    kScanLeft = 0xCB,
    kScanRight = 0xCD,
    kScanEnd = 0xCF,
    kScanDelete = 0xD3,
};

class cDINPUT {
public:
    cDINPUT() = default;
    ~cDINPUT() { ReleaseDInput(); }
    cDINPUT(const cDINPUT&) = delete;
    cDINPUT& operator=(const cDINPUT&) = delete;

    // 0 on success, 1 on failure.
    int InitDInput();
    // Reads the whole keyboard; while the game has no focus the state stays
    // empty, so no key sticks. Returns 1.
    int ReadKeyboard();
    uint8_t IsKeyDown(int code) const { return keyState_[code & 0xFF] & 0x80; }
    // The lowest scan code that is down, 0 when none is.
    int FirstKeyDown() const;
    // Marks a key down until the next ReadKeyboard.
    void PressKey(int code) { keyState_[code & 0xFF] |= 0x80; }
    // Button bits (1 first, 2 second) and the pointer position.
    int ReadMouse(int32_t* x, int32_t* y);
    void SetMousePos(int32_t x, int32_t y);
    // speed = factor x 10, truncated, and never below 1.
    void SetMouseSpeed(double factor);
    int32_t MouseSpeed() const { return speed_; }
    // Focus lost: forget every key and stop reading until Acquire.
    void Unacquire();
    void Acquire();
    bool IsAcquired() const { return acquired_; }
    void ReleaseDInput();
    bool IsOpen() const { return open_; }

private:
    uint8_t keyState_[256] = {};
    bool open_ = false;
    bool acquired_ = false;
    // The pointer is at (baseX_, baseY_) when the raw axes read (refX_, refY_).
    int32_t refX_ = 0, refY_ = 0;
    int32_t baseX_ = 0, baseY_ = 0;
    int32_t lastX_ = 0, lastY_ = 0; // the position last read
    int32_t speed_ = 10;
    int pendingButtons_ = 0; // pressed while only the position was read
};

extern cDINPUT gInput;

// Back to the state before start-up (tests).
void ResetInput();
