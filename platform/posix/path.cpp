// Game paths to host paths. The game builds Windows-style paths whose letter
// case rarely matches the files on disk ("DATA\\Foo.DAT" for data/foo.dat);
// each component is looked up exactly first, then without regard to ASCII
// case, so the game's data opens as it is installed.
#include "platform/plat_file.h"

#include <dirent.h>
#include <sys/stat.h>

#include <string>

namespace {

int FoldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

// Compares two names ignoring ASCII case. A byte from 0x81 up starts a
// two-byte Big5 character whose second byte may look like an ASCII letter;
// such pairs must match exactly, or two different characters would meet.
bool SameNameIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (ca >= 0x81 && ca <= 0xFE) {
            if (ca != cb) return false;
            ++i;
            if (i >= a.size() || a[i] != b[i]) return false;
            continue;
        }
        if (FoldAscii(ca) != FoldAscii(cb)) return false;
    }
    return i == a.size() && b[i] == '\0';
}

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// The entry of folder whose name matches component ignoring case. When
// several do, the smallest name wins so the answer does not depend on the
// order the folder lists in.
bool FindIgnoringCase(const std::string& folder, const std::string& component, std::string* found) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return false;
    bool any = false;
    while (dirent* entry = readdir(dir)) {
        if (!SameNameIgnoringCase(component, entry->d_name)) continue;
        if (!any || *found > entry->d_name) *found = entry->d_name;
        any = true;
    }
    closedir(dir);
    return any;
}

} // namespace

std::string PlatResolvePath(const char* gamePath) {
    if (gamePath == nullptr) return std::string();
    std::string path(gamePath);
    for (char& c : path) {
        if (c == '\\') c = '/';
    }

    std::string out;
    size_t pos = 0;
    if (!path.empty() && path[0] == '/') {
        out = "/";
        pos = 1;
    }
    bool lookingUp = true; // once a component is missing, nothing below it exists
    while (pos <= path.size()) {
        size_t slash = path.find('/', pos);
        if (slash == std::string::npos) slash = path.size();
        std::string component = path.substr(pos, slash - pos);
        bool last = slash == path.size();

        if (!component.empty()) {
            std::string name = component;
            if (lookingUp && component != "." && component != "..") {
                std::string candidate = out + component;
                std::string found;
                if (Exists(candidate)) {
                    // exact match: keep
                } else if (FindIgnoringCase(out, component, &found)) {
                    name = found;
                } else {
                    lookingUp = false;
                }
            }
            out += name;
        }
        if (!last && (out.empty() || out.back() != '/')) out += '/';
        pos = slash + 1;
    }
    return out;
}
