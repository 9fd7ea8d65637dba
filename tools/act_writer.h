// Writers of act streams and animation packs (".act"), for test fixtures and
// the sample install.
#pragma once
#include <cstdint>
#include <vector>

#include "tools/tsw_writer.h"

// Assembles a stream written as text: a capital letter and a capital or a
// digit are a command ("PA", "O2"), stored first letter high ("SD" is
// 0x5344); a number (decimal, or hex with 0x) is an operand word;
// "SD 3 RF 9045 PA 0 ED".
// False, with *words cleared, on any other token or a number above 0xFFFF.
bool AssembleActStream(const char* text, std::vector<uint16_t>* words);
// The same for fixtures whose text is known to be right: empty on an error.
std::vector<uint16_t> ActWords(const char* text);

// One stream slot of an entry; an absent slot is stored with offset 0.
struct ActStreamData {
    bool present = true;
    std::vector<uint16_t> words;
};

// The bytes of one entry: the stream count, the offset table, the streams.
std::vector<uint8_t> BuildActData(const std::vector<ActStreamData>& streams);
// Shorthand: every slot present, one text per stream.
std::vector<uint8_t> BuildActDataFromText(const std::vector<const char*>& streams);

// An animation pack is a pack file of ActData entries.
inline std::vector<uint8_t> BuildActPack(const std::vector<PackEntryData>& entries) {
    return BuildPackFile(entries);
}
