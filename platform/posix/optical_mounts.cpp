// Optical media the system has mounted (the game looks there for its disc).
#include "platform/posix/posix.h"

#include <fstream>
#include <sstream>

namespace {

// The mounts table writes blanks and backslashes in paths as octal escapes.
std::string Unescape(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
            field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

} // namespace

std::vector<std::string> PosixParseOpticalMounts(const std::string& mountsText) {
    std::vector<std::string> mounts;
    std::istringstream lines(mountsText);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, point, type;
        if (!(fields >> device >> point >> type)) continue;
        if (type == "iso9660" || type == "udf") mounts.push_back(Unescape(point));
    }
    return mounts;
}

std::vector<std::string> PosixOpticalMounts() {
    std::ifstream in("/proc/self/mounts");
    if (!in) return {};
    std::stringstream text;
    text << in.rdbuf();
    return PosixParseOpticalMounts(text.str());
}
