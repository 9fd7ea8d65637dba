// Game text to and from the desktop's UTF-8, through the C library's iconv.
#include "platform/posix/posix.h"
#include "platform/plat_display.h"
#include "platform/plat_input.h"

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

namespace {

// Bytes of the UTF-8 character that starts with lead; 1 for a stray byte.
size_t Utf8Length(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2) return 2;
    return 1;
}

// One character in the code set: its code, or kPlatTextNoForm.
int TypedCode(const std::string& utf8Char, const char* codeSet) {
    std::string out;
    if (!Convert("UTF-8", codeSet, utf8Char, false, &out)) return kPlatTextNoForm;
    if (out.size() == 1 && static_cast<unsigned char>(out[0]) < 0x80) return static_cast<unsigned char>(out[0]);
    if (out.size() == 2 && static_cast<unsigned char>(out[0]) >= 0x81)
        return (static_cast<unsigned char>(out[0]) << 8) | static_cast<unsigned char>(out[1]);
    return kPlatTextNoForm;
}

} // namespace

std::vector<int> PosixTypedCharacters(const char* utf8, int codeSet) {
    std::vector<int> codes;
    if (utf8 == nullptr) return codes;
    const char* set = codeSet == kPlatTypingGb2312 ? "GB2312" : "CP950";
    size_t n = std::strlen(utf8);
    for (size_t i = 0; i < n;) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            codes.push_back(lead);
            ++i;
            continue;
        }
        size_t len = Utf8Length(lead);
        if (len == 1 || i + len > n) {
            codes.push_back(kPlatTextNoForm);
            ++i;
            continue;
        }
        codes.push_back(TypedCode(std::string(utf8 + i, len), set));
        i += len;
    }
    return codes;
}

namespace {
PlatTypingCodeSet gTypingCodeSet = kPlatTypingBig5;
} // namespace

void PlatSetTypingCodeSet(PlatTypingCodeSet set) { gTypingCodeSet = set; }
PlatTypingCodeSet PlatTypingCodeSetOf() { return gTypingCodeSet; }
