// Reads an X window dump ("xwd -root -silent") on standard input and prints
// how many different colours it shows. The virtual-display tests use it to
// see that the game drew something, without depending on whichever image
// program happens to be installed. Exit 0 with the count, 2 when the input
// is not a dump this reader takes.
//
//   xwd_colours --near X Y WIDTH HEIGHT RRGGBB TOLERANCE
// prints instead how many pixels of the rectangle are within the tolerance
// of the colour in each channel (a true-colour dump; exit 1 for arguments
// that do not read).
//
//   xwd_colours --find X Y WIDTH HEIGHT RRGGBB TOLERANCE
// prints "X Y", the centre of those pixels (exit 3 when there are none): the
// virtual-display tests point at a figure by its colour.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tools/xwd_image.h"

namespace {

bool ReadNumber(const char* text, int base, long min, long max, long* out) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, base);
    if (end == text || *end != 0 || v < min || v > max) return false;
    *out = v;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const bool find = argc > 1 && std::strcmp(argv[1], "--find") == 0;
    const bool near = find || (argc > 1 && std::strcmp(argv[1], "--near") == 0);
    long probe[6] = {};
    if (near) {
        constexpr long kSide = 1 << 15;
        const long limits[6][2] = {{-kSide, kSide}, {-kSide, kSide}, {0, kSide}, {0, kSide}, {0, 0xFFFFFF}, {0, 255}};
        bool ok = argc == 8;
        for (int i = 0; ok && i < 6; ++i) ok = ReadNumber(argv[2 + i], i == 4 ? 16 : 10, limits[i][0], limits[i][1], &probe[i]);
        if (!ok) {
            std::fprintf(stderr, "usage: xwd_colours [--near|--find X Y WIDTH HEIGHT RRGGBB TOLERANCE] < dump\n");
            return 1;
        }
    } else if (argc > 1) {
        std::fprintf(stderr, "usage: xwd_colours [--near X Y WIDTH HEIGHT RRGGBB TOLERANCE] < dump\n");
        return 1;
    }
    // A 32768 x 32768 screen at 32 bits is the largest the reader takes.
    constexpr size_t kMaxBytes = size_t(1) << 32;
    std::vector<uint8_t> bytes;
    uint8_t chunk[1 << 16];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, stdin)) > 0) {
        if (bytes.size() + got > kMaxBytes) break;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    XwdImage image;
    if (!ReadXwd(bytes.data(), bytes.size(), &image)) {
        std::fprintf(stderr, "xwd_colours: not a Z-pixmap window dump (%zu bytes)\n", bytes.size());
        return 2;
    }
    if (find) {
        int cx = 0, cy = 0;
        if (!CentreOfXwdNear(image, int(probe[0]), int(probe[1]), int(probe[2]), int(probe[3]), uint32_t(probe[4]),
                             int(probe[5]), &cx, &cy))
            return 3;
        std::printf("%d %d\n", cx, cy);
    } else if (near) {
        std::printf("%zu\n", CountXwdNear(image, int(probe[0]), int(probe[1]), int(probe[2]), int(probe[3]),
                                         uint32_t(probe[4]), int(probe[5])));
    } else {
        std::printf("%zu\n", CountXwdColours(image));
    }
    return 0;
}
