#include "tools/asm_text.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

bool TokenizeAsmLine(const std::string& text, int line, std::vector<AsmToken>* out, std::string* error) {
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ';') break;
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        AsmToken t;
        if (c == '"') {
            t.quoted = true;
            for (++i;; ++i) {
                if (i >= text.size()) {
                    *error = "line " + std::to_string(line) + ": text without its closing quote";
                    return false;
                }
                if (text[i] == '"') break;
                if (text[i] == '\\' && i + 1 < text.size()) {
                    const char e = text[++i];
                    if (e == 'x' && i + 2 < text.size()) {
                        t.text += char(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
                        i += 2;
                    } else {
                        t.text += e;
                    }
                    continue;
                }
                t.text += text[i];
            }
            ++i;
        } else {
            while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\r' && text[i] != ';')
                t.text += text[i++];
        }
        out->push_back(t);
    }
    return true;
}

bool ParseAsmNumber(const std::string& s, long long lo, long long hi, long long* value) {
    if (s.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(s.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
    *value = v;
    return true;
}

std::string EscapeAsmText(const uint8_t* p, size_t n) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (size_t i = 0; i < n; ++i) {
        const uint8_t c = p[i];
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out += char(c);
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out + "\"";
}

bool ParseAsmSource(const std::string& source, std::vector<AsmStatement>* out, std::string* error) {
    std::istringstream in(source);
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
        std::vector<AsmToken> tokens;
        if (!TokenizeAsmLine(text, line, &tokens, error)) return false;
        if (tokens.empty()) continue;
        if (tokens[0].quoted) {
            *error = "line " + std::to_string(line) + ": a statement starts with a text";
            return false;
        }
        out->push_back({line, tokens[0].text, {tokens.begin() + 1, tokens.end()}});
    }
    return true;
}
