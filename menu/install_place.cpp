#include "menu/install_place.h"

#include <cstdio>

#include "base/settings.h"
#include "platform/plat_file.h"

namespace {
// "碟 ,需要%4dMB"
constexpr char kNeedFormat[] = "\xBA\xD0\x20\x2C\xBB\xDD\xAD\x6E%4dMB";
} // namespace

std::string InstallPlaceName() {
    std::string path = gInstallPath[0] ? std::string(gInstallPath) : PlatCurrentFolder();
    while (!path.empty() && (path.back() == '/' || path.back() == '\\')) path.pop_back();
    const size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) name.assign(1, '/');
    // The fonts draw the game's encoding: a byte outside printable ASCII
    // could pair with its neighbour into some other character.
    for (char& c : name)
        if (c < 0x20 || c > 0x7E) c = '?';
    if (name.size() > kInstallPlaceMax) name.resize(kInstallPlaceMax);
    return name;
}

std::string DiskNeedText(int megabytes) {
    char need[32];
    std::snprintf(need, sizeof need, kNeedFormat, megabytes);
    return InstallPlaceName() + need;
}
