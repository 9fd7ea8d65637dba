// Reads an X window dump ("xwd -root -silent") on standard input and prints
// how many different colours it shows. The virtual-display tests use it to
// see that the game drew something, without depending on whichever image
// program happens to be installed. Exit 0 with the count, 2 when the input
// is not a dump this reader takes.
#include <cstdio>
#include <vector>

#include "tools/xwd_image.h"

int main() {
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
    std::printf("%zu\n", CountXwdColours(image));
    return 0;
}
