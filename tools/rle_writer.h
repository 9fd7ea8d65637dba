// Writer of run-length picture frames for test fixtures and the sample
// install. It builds frames run by run, so a test can state exactly which
// control words a frame holds (including kinds the game's encoder never
// writes, and broken frames), and it has its own pixel encoder, independent
// of the game's, for frames drawn from a grid of pixels.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

class RleWriter {
public:
    // depth 16 or 8; width and height go into the header as given.
    RleWriter(int width, int height, int depth = 16);

    // Starts a row (the previous one is closed).
    RleWriter& Row();
    RleWriter& Literal(const std::vector<uint16_t>& pixels);
    RleWriter& Literal(std::initializer_list<uint16_t> pixels) { return Literal(std::vector<uint16_t>(pixels)); }
    RleWriter& Literal8(const std::vector<uint8_t>& indices);
    RleWriter& Shadow(int n);  // kind 0x8000
    RleWriter& Key(int n);     // kind 0xC000; marks the frame
    RleWriter& Skip(int n);    // kind 0x4000
    // A control word as given (broken frames).
    RleWriter& Word(uint16_t word);
    // Overrides the next row length (broken frames); -1 computes it.
    RleWriter& RowLength(int bytes);

    // Closes the last row and the frame.
    std::vector<uint8_t> Finish();

private:
    void CloseRow();
    std::vector<uint8_t> out_;
    int depth_;
    long rowStart_ = -1;
    int rowLength_ = -1;
    bool firstRun_ = false;
    bool opaqueStart_ = false;
};

// A 16-bit frame from width x height stored pixels: 0x026B becomes key runs,
// 0x319F shadow runs, everything else literal runs.
std::vector<uint8_t> RleFromPixels(const std::vector<uint16_t>& pixels, int width, int height);
// An 8-bit frame: index 1 key runs, index 3 shadow runs.
std::vector<uint8_t> RleFromIndices(const std::vector<uint8_t>& indices, int width, int height);
