// Assembler and disassembler of path scripts, sharing the instruction table
// of the game (world/script/path_ops.h). The assembler writes "path.dat".
//
// Source, one statement a line, ';' starts a comment:
//   path 3              ; the following instructions are path 3's program
//   top:                ; a label: a jump target
//   walkto 5 2          ; mnemonic and operands (numbers, signed where the
//   arrive              ;   instruction takes signed words)
//   ifallflags 10 11 top ; flag lists: the flags, then the target
//   say 0 "hello"       ; text: "\xHH" escapes for other bytes; the "%Q"
//                       ;   marker is added
//   jump top            ; a target is a label or a number (an offset like
//                       ;   the table's)
//   word 0x26 7         ; raw words
// Paths not named get empty programs; the table has one entry per path up
// to the highest named.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// False with "line N: why" in *error when the source does not assemble.
bool AssemblePathDat(const std::string& source, std::vector<uint8_t>* out, std::string* error);
// Source that assembles to the same bytes (for files the assembler wrote);
// words that do not decode become "word" statements.
std::string DisassemblePathDat(const std::vector<uint8_t>& bytes);
// Assembles and writes the file; false with *error on failure.
bool WritePathDat(const char* path, const std::string& source, std::string* error);
