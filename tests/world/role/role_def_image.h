// A maps.dat image for tests whose table 1 holds role definitions made from
// one pattern of twelve words, one definition per GUID (word 1), installed
// as the game's image with its definitions bound.
#pragma once
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "world/game_buffers.h"
#include "world/maps_image.h"
#include "world/role/role_def.h"

inline void InstallRoleDefImage(std::initializer_list<uint16_t> guids, std::array<uint16_t, 12> pattern) {
    // Table 1 right behind the table offsets.
    std::vector<uint8_t> image(4 * kMapsTableCount, 0);
    image[4] = uint8_t(image.size());
    for (uint16_t guid : guids) {
        pattern[1] = guid;
        for (uint16_t w : pattern) {
            image.push_back(uint8_t(w));
            image.push_back(uint8_t(w >> 8));
        }
    }
    image.push_back(0xFF);
    image.push_back(0xFF);
    FreeMapsImage();
    gMapsImage = static_cast<uint8_t*>(std::calloc(image.size(), 1));
    std::memcpy(gMapsImage, image.data(), image.size());
    gMapsImageSize = uint32_t(image.size());
    BindRoleDefs();
}
