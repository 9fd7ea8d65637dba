// Assembler and disassembler of talk scripts, sharing the instruction table
// of the game (world/script/talk_ops.h). The assembler writes the
// "Talk%d.dat" files; see docs/talk-scripts.md for the source syntax.
//
//   talk 100            ; talk 100: entry 100 of file 1
//   file 2              ; or: the file, then
//   entry 5             ;   the entry in it (talk 4005)
//   top:                ; a label: a jump target anywhere in the same file
//   dlgw starter 0 "Hello\xA4\x40"   ; text: "%Q" is appended
//   ifflag 12 top       ; targets are labels or numbers
//   walkto player 5 6   ; player, starter and none name the GUIDs
//   movewait 2 player 5 6 7 8 9   ; counted groups: the count word first
//   byte 1 2 / word 0x1234        ; raw bytes and words
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The files by file number (1 = "Talk1.dat"). False with "line N: why" in
// *error when the source does not assemble.
bool AssembleTalkFiles(const std::string& source, std::map<uint32_t, std::vector<uint8_t>>* files,
                       std::string* error);
// Source that assembles to the same bytes (for files the assembler wrote);
// bytes that do not decode become "byte" statements.
std::string DisassembleTalkFile(uint32_t fileNumber, const std::vector<uint8_t>& bytes);
std::string DisassembleTalkFiles(const std::map<uint32_t, std::vector<uint8_t>>& files);
// Assembles and writes folder + "Talk%d.dat" for each file; false with
// *error on failure. folder ends with a separator or is empty.
bool WriteTalkFiles(const std::string& folder, const std::string& source, std::string* error);
