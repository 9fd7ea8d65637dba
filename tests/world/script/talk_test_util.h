// Runs single talk instructions for the instruction-family tests: assembles
// a piece of talk source into the machine's window and calls the handler of
// the instruction at a given offset, without the machine's loop.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tools/talk_asm.h"
#include "world/script/talk_machine.h"

// Assembles `code` (talk source lines, without the "talk" line) as talk 0
// and copies its code into the window at offset 0, the rest of the window
// filled with 0x0C. The file is handed to the machine as Talk1.dat and the
// context's window base is the entry's code offset, so jumps (TalkGoto) to
// labels, which count from byte 512 of the file, land as in play. False on
// an assembler error (reported to the test).
inline bool LoadTalkCode(const std::string& code) {
    std::map<uint32_t, std::vector<uint8_t>> files;
    std::string error;
    if (!AssembleTalkFiles("talk 0\n" + code + "\n", &files, &error)) {
        ADD_FAILURE() << error;
        return false;
    }
    const std::vector<uint8_t>& file = files.at(1);
    const uint32_t offset = file[512] | file[513] << 8 | file[514] << 16 | uint32_t(file[515]) << 24;
    const uint32_t start = 512 + offset;
    std::memset(gTalkMachine.window, 0x0C, sizeof gTalkMachine.window);
    const size_t n = std::min<size_t>(file.size() - start, sizeof gTalkMachine.window);
    std::memcpy(gTalkMachine.window, file.data() + start, n);
    SetTalkFileBytes(1, file);
    gTalkMachine.file = 1;
    gTalkContext.talkWindowBase = offset;
    gTalkContext.talkPc = 0;
    return true;
}

// Runs the handler of the instruction at window offset pc; the instruction's
// length comes from the opcode table. Fails the test when there is none.
inline TalkStep RunTalkInstrAt(uint32_t pc, TalkInstr* out = nullptr) {
    TalkInstr instr;
    instr.at = gTalkMachine.window + pc;
    instr.word = uint16_t(instr.at[0] | instr.at[1] << 8);
    instr.op = instr.word & kTalkOpMask;
    instr.pc = pc;
    instr.length = TalkInstrLength(gTalkMachine.window, sizeof gTalkMachine.window, pc);
    const TalkHandler handler = FindTalkHandler(instr.op);
    if (!handler || instr.length == 0) {
        ADD_FAILURE() << "no handler or bad length for opcode " << std::hex << instr.op;
        return TalkStep::kFail;
    }
    const TalkStep step = handler(instr);
    if (out) *out = instr;
    return step;
}
