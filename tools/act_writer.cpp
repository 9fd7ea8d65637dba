#include "tools/act_writer.h"

#include <cctype>
#include <cstdlib>
#include <string>

#include "base/bytes.h"

namespace {

bool IsTag(const std::string& token) {
    return token.size() == 2 && std::isupper(uint8_t(token[0])) &&
           (std::isupper(uint8_t(token[1])) || std::isdigit(uint8_t(token[1])));
}

bool ParseWord(const std::string& token, uint16_t* word) {
    if (token.empty()) return false;
    char* end = nullptr;
    const unsigned long value = std::strtoul(token.c_str(), &end, 0);
    if (*end != '\0' || !std::isdigit(uint8_t(token[0])) || value > 0xFFFF) return false;
    *word = uint16_t(value);
    return true;
}

} // namespace

bool AssembleActStream(const char* text, std::vector<uint16_t>* words) {
    words->clear();
    std::string token;
    for (const char* p = text;; ++p) {
        if (*p != '\0' && !std::isspace(uint8_t(*p))) {
            token += *p;
            continue;
        }
        if (!token.empty()) {
            uint16_t word = 0;
            if (IsTag(token)) {
                word = uint16_t((uint8_t(token[0]) << 8) | uint8_t(token[1]));
            } else if (!ParseWord(token, &word)) {
                words->clear();
                return false;
            }
            words->push_back(word);
            token.clear();
        }
        if (*p == '\0') return true;
    }
}

std::vector<uint16_t> ActWords(const char* text) {
    std::vector<uint16_t> words;
    AssembleActStream(text, &words);
    return words;
}

std::vector<uint8_t> BuildActData(const std::vector<ActStreamData>& streams) {
    std::vector<uint8_t> out;
    ByteWriter w(out);
    w.u16(uint16_t(streams.size()));
    const size_t table = out.size();
    w.padding(4 * streams.size());
    for (size_t i = 0; i < streams.size(); ++i) {
        if (!streams[i].present) continue;
        w.putU32At(table + 4 * i, uint32_t(out.size()));
        for (uint16_t word : streams[i].words) w.u16(word);
    }
    return out;
}

std::vector<uint8_t> BuildActDataFromText(const std::vector<const char*>& streams) {
    std::vector<ActStreamData> slots;
    for (const char* text : streams) slots.push_back({true, ActWords(text)});
    return BuildActData(slots);
}
