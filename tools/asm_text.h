// Source text helpers shared by the script assemblers (path and talk
// scripts): one statement a line, ';' starts a comment, words separated by
// blanks, texts in double quotes with "\xHH" escapes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct AsmToken {
    std::string text;
    bool quoted = false;
};

// One statement: the first word and its operands.
struct AsmStatement {
    int line = 0;
    std::string head;
    std::vector<AsmToken> args;
};

// The statements of a source, blank and comment lines left out; false with
// "line N: why" in *error.
bool ParseAsmSource(const std::string& source, std::vector<AsmStatement>* out, std::string* error);
// The tokens of one source line; false with "line N: why" in *error.
bool TokenizeAsmLine(const std::string& text, int line, std::vector<AsmToken>* out, std::string* error);
// A number (decimal, 0x hex or 0 octal as strtoll reads it) within lo..hi.
bool ParseAsmNumber(const std::string& s, long long lo, long long hi, long long* value);
// The bytes as a quoted text: printable ASCII as it is, other bytes (and '"'
// and '\') as "\xHH".
std::string EscapeAsmText(const uint8_t* p, size_t n);
