// Endless scrolling of a run-length frame (the battle's moving backgrounds):
// ConvertRlePic rotates a frame's rows or its pixels within each row, with
// wrap-around, in place.
//
// Only frames whose every row is one literal run of the full width can be
// scrolled this way (a row is its length word, a control word, width pixels
// and an end word); any other frame is refused and left as it is. The caller
// scrolls a block it owns: a picture from a cache is copied first into a
// cScrollFrame, which keeps its block between frames.
#pragma once
#include <cstddef>
#include <cstdint>

enum : int {
    kScrollUp = 0,     // the first rows move to the bottom
    kScrollDown = 1,   // the last rows move to the top
    kScrollLeft = 2,   // the first pixels of each row move to its end
    kScrollRight = 3,  // the last pixels of each row move to its start
};

// 1 when the frame was scrolled by amount (taken modulo its height or
// width), 0 when it was left alone: an amount below 1, an unknown
// direction, or a frame that is not one literal run per row.
int ConvertRlePic(uint8_t* frame, size_t size, int direction, int amount);
// Whether the frame has one literal run of the full width in each row.
bool IsScrollableRle(const uint8_t* frame, size_t size);

// A frame copy owned by its user and kept between frames.
class cScrollFrame {
public:
    cScrollFrame() = default;
    ~cScrollFrame() { Free(); }
    cScrollFrame(const cScrollFrame&) = delete;
    cScrollFrame& operator=(const cScrollFrame&) = delete;

    // Copies a scrollable frame, reusing the block when it is large enough.
    // False (the copy emptied) for a frame that cannot be scrolled or a
    // failed allocation.
    bool Take(const uint8_t* frame, size_t size);
    int Scroll(int direction, int amount) { return ConvertRlePic(data_, size_, direction, amount); }
    void Free();

    uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

private:
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
};
