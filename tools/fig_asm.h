// Assembler and disassembler of battle scripts ("figtalk.dat"), sharing the
// instruction table of the interpreter (battle/script/fig_ops.h). See
// docs/battle-script.md for the source syntax.
//
//   battle 1             ; the script of battle 1
//   opening 0
//   top:                 ; a label: a jump target anywhere in the file
//   say 20 "\xA7A\xA6n"  ; texts in quotes; "%Q" is appended
//   ifdefeated 0 1 won   ; role lists: the roles, then the target
//   randjump top won     ; target lists: the targets ("-1" is appended)
//   word 58 20 0         ; raw words and bytes
//
// The assembler keeps what the interpreter can run: every target lies within
// 32,767 bytes after byte 512; straight-line code stays within the block a
// jump reads (4,096 bytes; 32,768 from a script's start), an unconditional
// jump ("randjump" with one target) being inserted where it would not; no
// counter-attack ("counter") with a party role; the word after "iflife" is a
// no-op. Counts of 0 or less where a count is expected are warnings.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The whole file; false with "line N: why" in *error. Warnings, when asked
// for, are "line N: why".
bool AssembleFigTalk(const std::string& source, std::vector<uint8_t>* file, std::string* error,
                     std::vector<std::string>* warnings = nullptr);
// Source that assembles to the same bytes (for files the assembler wrote);
// bytes that do not decode become "word" and "byte" statements.
std::string DisassembleFigTalk(const std::vector<uint8_t>& file);
// Assembles and writes folder + "figtalk.dat"; false with *error on failure.
// folder ends with a separator or is empty.
bool WriteFigTalk(const std::string& folder, const std::string& source, std::string* error);
