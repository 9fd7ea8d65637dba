// Game text to and from the desktop's UTF-8, through the C library's iconv.
#include "platform/posix/posix.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iconv.h>

namespace {

// Converts all of in; false when iconv cannot (unknown set, bad bytes).
// With skipInvalid, characters the target cannot hold are dropped instead.
bool Convert(const char* from, const char* to, const std::string& in, bool skipInvalid, std::string* out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    out->clear();
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[256];
    bool ok = true;
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out->append(buffer, sizeof buffer - dstLeft);
        if (r != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        if (!skipInvalid || errno == EINVAL) {
            ok = false;
            break;
        }
        // EILSEQ: drop one whole UTF-8 character and go on.
        do {
            ++src;
            --srcLeft;
        } while (srcLeft > 0 && (static_cast<unsigned char>(*src) & 0xC0) == 0x80);
    }
    iconv_close(cd);
    return ok;
}

std::string EscapedAscii(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else if (c == '\n' || c == '\t') {
            out += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            out += escape;
        }
    }
    return out;
}

} // namespace

std::string PosixBig5ToUtf8(const char* big5) {
    if (big5 == nullptr) return std::string();
    std::string in(big5);
    std::string out;
    if (Convert("BIG5", "UTF-8", in, false, &out)) return out;
    return EscapedAscii(in);
}

std::string PosixUtf8ToBig5(const char* utf8) {
    if (utf8 == nullptr) return std::string();
    std::string out;
    if (Convert("UTF-8", "BIG5", utf8, true, &out)) return out;
    // Only plain ASCII is safe to pass on when the conversion is unavailable.
    std::string ascii;
    for (const char* p = utf8; *p != '\0'; ++p) {
        if (static_cast<unsigned char>(*p) < 0x80) ascii += *p;
    }
    return ascii;
}
