// The water ripple: two 16-bit height fields over a rectangle of a picture
// hold the wave; StepRipple spreads and damps it, DropRipple disturbs it and
// DrawRipple displaces the picture's pixels by the slope of the field.
//
// A frame is CopyRipple of the undistorted picture, one StepRipple, any
// DropRipple calls and one DrawRipple. Every index the draw takes is kept
// inside the field and inside the picture, however steep the wave.
#pragma once
#include <cstdint>

class cRipple {
public:
    cRipple() = default;
    ~cRipple() { FreeRipple(); }
    cRipple(const cRipple&) = delete;
    cRipple& operator=(const cRipple&) = delete;

    // A ripple of w x h cells (3 or more each, at most the picture's size)
    // over a picture of pictureWidth x pictureHeight pixels, its corner
    // placed by ClampRipple. False (the ripple empty, drawing nothing) for
    // sizes out of range or a failed allocation.
    bool InitRipple(int32_t pictureWidth, int32_t pictureHeight, int32_t x, int32_t y, int32_t w, int32_t h);
    void FreeRipple();
    // The rectangle's corner, moved back inside the picture.
    void ClampRipple(int32_t x, int32_t y);
    // Copies the undistorted picture; pitch in bytes (0: rows of the picture
    // width, packed).
    void CopyRipple(const uint16_t* source, int32_t pitch = 0);
    // One step of the wave; true when the new field is all 0 (calm water).
    bool StepRipple();
    // A round bump of the radius, strength per pixel of depth; a negative x
    // or y takes a random place (CRand).
    void DropRipple(int32_t x, int32_t y, int32_t radius, int32_t strength);
    // The displaced picture into the destination's rectangle; pitch in bytes
    // (0: rows of the picture width).
    void DrawRipple(uint16_t* destination, int32_t pitch = 0) const;

    // The current field's cell (row, column), for tests and tools.
    int16_t Cell(int32_t row, int32_t column) const { return fields[current * width * height + row * width + column]; }
    int16_t* CurrentField() const { return fields ? fields + current * width * height : nullptr; }

    int32_t pictureWidth = 0, pictureHeight = 0;
    int32_t rectX = 0, rectY = 0;
    int32_t width = 0, height = 0;  // cells of a field
    int32_t damping = 4;
    int32_t current = 0;            // 0 or 1
    int16_t* fields = nullptr;      // two fields of width x height cells
    uint16_t* copy = nullptr;       // the undistorted picture
    int32_t lastValue = 0;
};

extern cRipple gRipple;
