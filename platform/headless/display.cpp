// Headless display: an in-memory frame buffer that records every present.
#include "platform/headless/headless.h"
#include "platform/plat_display.h"

#include <cstring>

#ifndef KYV_HEADLESS_LAYOUT
#define KYV_HEADLESS_LAYOUT 0
#endif

namespace {

constexpr uint64_t kFnvOffset = 14695981039346656037ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;

struct HeadlessDisplay {
    bool open = false;
    bool openFails = false;
    bool presentFails = false;
    uint32_t refusedPresents = 0;
    bool minimised = false;
    std::string title;
    int width = 640;
    int height = 480;
    bool fullscreen = false;
    bool cursorShown = true;
    bool holdWanted = true;
    PlatPixelLayout layout = static_cast<PlatPixelLayout>(KYV_HEADLESS_LAYOUT & 3);
    uint32_t presents = 0;
    uint64_t lastHash = 0;
    uint64_t runHash = kFnvOffset;
    int frameWidth = 0;
    int frameHeight = 0;
    std::vector<uint16_t> frame;
    HeadlessPresentHook presentHook = nullptr;
};
HeadlessDisplay gHeadlessDisplay;

uint64_t HashByte(uint64_t hash, uint8_t byte) { return (hash ^ byte) * kFnvPrime; }

uint64_t HashWord(uint64_t hash, uint64_t word) {
    for (int i = 0; i < 8; ++i) hash = HashByte(hash, static_cast<uint8_t>(word >> (8 * i)));
    return hash;
}

} // namespace

PlatPixelLayout PlatDisplayLayout() { return gHeadlessDisplay.layout; }

bool PlatDisplayOpen(const char* title, int width, int height, bool fullscreen) {
    HeadlessDisplay& d = gHeadlessDisplay;
    if (d.openFails || width <= 0 || height <= 0) return false;
    d.open = true;
    d.title = title != nullptr ? title : "";
    d.width = width;
    d.height = height;
    d.fullscreen = fullscreen;
    return true;
}

void PlatDisplayClose() { gHeadlessDisplay.open = false; }
bool PlatDisplayIsOpen() { return gHeadlessDisplay.open; }
int PlatScreenWidth() { return gHeadlessDisplay.width; }
int PlatScreenHeight() { return gHeadlessDisplay.height; }

bool PlatDisplayPresent(const uint16_t* pixels, int pitchBytes, int width, int height) {
    HeadlessDisplay& d = gHeadlessDisplay;
    if (!d.open || pixels == nullptr || width != d.width || height != d.height || pitchBytes < width * 2) return false;
    if (d.presentFails) {
        ++d.refusedPresents;
        return false;
    }
    d.frame.resize(static_cast<size_t>(width) * height);
    const char* row = reinterpret_cast<const char*>(pixels);
    for (int y = 0; y < height; ++y, row += pitchBytes) {
        std::memcpy(&d.frame[static_cast<size_t>(y) * width], row, static_cast<size_t>(width) * 2);
    }
    d.frameWidth = width;
    d.frameHeight = height;
    d.lastHash = HeadlessHashPixels(pixels, pitchBytes, width, height);
    d.runHash = HashWord(d.runHash, d.lastHash);
    ++d.presents;
    if (d.presentHook) d.presentHook(d.presents);
    return true;
}

void PlatDisplayToggleFullscreen() { gHeadlessDisplay.fullscreen = !gHeadlessDisplay.fullscreen; }
bool PlatDisplayIsFullscreen() { return gHeadlessDisplay.fullscreen; }
void PlatDisplayMinimise(bool minimise) { gHeadlessDisplay.minimised = minimise; }
void PlatShowCursor(bool show) { gHeadlessDisplay.cursorShown = show; }
void PlatHoldMouse(bool hold) { gHeadlessDisplay.holdWanted = hold; }

uint64_t HeadlessHashPixels(const uint16_t* pixels, int pitchBytes, int width, int height) {
    uint64_t hash = kFnvOffset;
    const char* row = reinterpret_cast<const char*>(pixels);
    for (int y = 0; y < height; ++y, row += pitchBytes) {
        for (int x = 0; x < width; ++x) {
            uint16_t p;
            std::memcpy(&p, row + 2 * x, 2);
            hash = HashByte(hash, static_cast<uint8_t>(p));
            hash = HashByte(hash, static_cast<uint8_t>(p >> 8));
        }
    }
    return hash;
}

void HeadlessSetPresentHook(HeadlessPresentHook hook) { gHeadlessDisplay.presentHook = hook; }

void HeadlessSetLayout(PlatPixelLayout layout) { gHeadlessDisplay.layout = layout; }
void HeadlessSetDisplayOpenFails(bool fails) { gHeadlessDisplay.openFails = fails; }
void HeadlessSetPresentFails(bool fails) { gHeadlessDisplay.presentFails = fails; }
uint32_t HeadlessRefusedPresentCount() { return gHeadlessDisplay.refusedPresents; }
bool HeadlessDisplayMinimised() { return gHeadlessDisplay.minimised; }
const std::string& HeadlessWindowTitle() { return gHeadlessDisplay.title; }
uint32_t HeadlessPresentCount() { return gHeadlessDisplay.presents; }
uint64_t HeadlessLastFrameHash() { return gHeadlessDisplay.lastHash; }
uint64_t HeadlessRunHash() { return gHeadlessDisplay.runHash; }
const std::vector<uint16_t>& HeadlessLastFrame() { return gHeadlessDisplay.frame; }
int HeadlessFrameWidth() { return gHeadlessDisplay.frameWidth; }
int HeadlessFrameHeight() { return gHeadlessDisplay.frameHeight; }

uint16_t HeadlessPixel(int x, int y) {
    const HeadlessDisplay& d = gHeadlessDisplay;
    if (x < 0 || y < 0 || x >= d.frameWidth || y >= d.frameHeight) return 0;
    return d.frame[static_cast<size_t>(y) * d.frameWidth + x];
}

bool HeadlessCursorShown() { return gHeadlessDisplay.cursorShown; }
bool HeadlessMouseHeld() { return !gHeadlessDisplay.cursorShown && gHeadlessDisplay.holdWanted; }

void HeadlessResetDisplay() {
    // Keep the buffer's memory between tests; only its contents go.
    std::vector<uint16_t> frame;
    frame.swap(gHeadlessDisplay.frame);
    gHeadlessDisplay = HeadlessDisplay{};
    frame.clear();
    gHeadlessDisplay.frame.swap(frame);
}
