// Colour masks of the 16-bit layouts the display can have.
#include "platform/plat_display.h"

PlatLayoutMasks PlatMasksOf(PlatPixelLayout layout) {
    switch (layout) {
    case kLayout556: return {0xF800, 0x07C0, 0x003F};
    case kLayout565: return {0xF800, 0x07E0, 0x001F};
    case kLayout655: return {0xFC00, 0x03E0, 0x001F};
    case kLayout555: break;
    }
    return {0x7C00, 0x03E0, 0x001F};
}
