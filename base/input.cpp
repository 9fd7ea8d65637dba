#include "base/input.h"

#include "platform/plat_input.h"

#include <algorithm>
#include <cstring>

cDINPUT gInput;

namespace {
constexpr int32_t kScreenRight = 639;
constexpr int32_t kScreenBottom = 479;

// One axis: the position from the raw value, with the reference dragged
// along when the pointer is pushed past an edge, so that it moves back at
// once when the mouse turns.
int32_t AxisPosition(int32_t raw, int32_t* ref, int32_t* base, int32_t speed, int32_t last) {
    // The raw counts grow without bound; their difference is taken wide.
    int64_t pos = (static_cast<int64_t>(raw) - *ref) * speed / 10 + *base;
    if (pos < 0) {
        *ref = raw;
        *base = 0;
        return 0;
    }
    if (pos > last) {
        *ref = raw;
        *base = last;
        return last;
    }
    return static_cast<int32_t>(pos);
}

int ButtonBits(const PlatMouseState& m) {
    int buttons = 0;
    if (m.button[0] & 0x80) buttons |= 1;
    if (m.button[1] & 0x80) buttons |= 2;
    return buttons;
}
} // namespace

int cDINPUT::InitDInput() {
    ReleaseDInput();
    open_ = true;
    acquired_ = true;
    std::memset(keyState_, 0, sizeof keyState_);
    PlatMouseState m{};
    PlatReadMouse(&m);
    refX_ = m.x;
    refY_ = m.y;
    baseX_ = baseY_ = lastX_ = lastY_ = 0;
    pendingButtons_ = 0;
    return 0;
}

int cDINPUT::ReadKeyboard() {
    if (open_ && acquired_)
        PlatReadKeyboard(keyState_);
    else
        std::memset(keyState_, 0, sizeof keyState_);
    return 1;
}

int cDINPUT::FirstKeyDown() const {
    for (int code = 0; code < 256; ++code)
        if (keyState_[code] & 0x80) return code;
    return 0;
}

int cDINPUT::ReadMouse(int32_t* x, int32_t* y) {
    if (!open_ || !acquired_) {
        // Without focus the pointer stays where it was and no button is down.
        *x = lastX_;
        *y = lastY_;
        return 0;
    }
    PlatMouseState m{};
    PlatReadMouse(&m);
    lastX_ = *x = AxisPosition(m.x, &refX_, &baseX_, speed_, kScreenRight);
    lastY_ = *y = AxisPosition(m.y, &refY_, &baseY_, speed_, kScreenBottom);
    int buttons = ButtonBits(m) | pendingButtons_;
    pendingButtons_ = 0;
    return buttons;
}

void cDINPUT::SetMousePos(int32_t x, int32_t y) {
    // The position is kept exactly: the reference is the raw value now, and
    // the base the wanted position, whatever the speed.
    PlatMouseState m{};
    PlatReadMouse(&m);
    // A click the platform kept for the next read is not lost to this one.
    pendingButtons_ |= ButtonBits(m);
    refX_ = m.x;
    refY_ = m.y;
    lastX_ = baseX_ = std::clamp(x, 0, kScreenRight);
    lastY_ = baseY_ = std::clamp(y, 0, kScreenBottom);
}

void cDINPUT::SetMouseSpeed(double factor) {
    int32_t speed = static_cast<int32_t>(factor * 10);
    speed_ = speed < 1 ? 1 : speed;
}

void cDINPUT::Unacquire() {
    acquired_ = false;
    std::memset(keyState_, 0, sizeof keyState_);
    PlatClearKeyboard();
}

void cDINPUT::Acquire() {
    if (!open_) return;
    acquired_ = true;
    // Take the mouse from where it is now, so the pointer does not jump by
    // what the mouse did while another window had it.
    PlatMouseState m{};
    PlatReadMouse(&m);
    refX_ = m.x;
    refY_ = m.y;
    baseX_ = lastX_;
    baseY_ = lastY_;
}

void cDINPUT::ReleaseDInput() {
    open_ = false;
    acquired_ = false;
    pendingButtons_ = 0;
    std::memset(keyState_, 0, sizeof keyState_);
}

void ResetInput() {
    gInput.ReleaseDInput();
    gInput.SetMouseSpeed(1.0);
}
