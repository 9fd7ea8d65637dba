// The battle script assembler and disassembler, and the instruction table
// they share with the interpreter.
#include "tools/fig_asm.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "battle/script/fig_ops.h"
#include "tests/shell/shell_fixture.h"

namespace {

int16_t I16(const std::vector<uint8_t>& b, size_t at) { return int16_t(uint16_t(b[at] | b[at + 1] << 8)); }
uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24);
}
// File position of battle n's code.
size_t ScriptPos(const std::vector<uint8_t>& f, uint32_t n) { return kFigHeadBytes + U32(f, kFigHeadBytes + 4 * n); }

std::string SampleOperands(const FigOpInfo& info) {
    std::string out;
    for (const char* c = info.operands; *c; ++c) {
        switch (*c) {
        case 'r': out += " 3"; break;
        case 'w': out += " 7"; break;
        case 't': out += " top"; break;
        case 's': out += " \"hi\\xA4\\x40!\""; break;
        case 'l': out += " top there"; break;
        case 'v': out += " 1 20"; break;
        default: break;  // 'p': the no-op is written by itself
        }
    }
    return out;
}

// Every instruction once, over two scripts that jump into each other.
std::string EveryInstruction() {
    std::string s = "battle 1\ntop:\n";
    for (const FigOpInfo& info : kFigOps) {
        if (info.op == kFigOpEnd) continue;
        s += "  " + std::string(info.name) + SampleOperands(info) + "\n";
    }
    s += "  end\nbattle 3\nthere:\n  iflife 21 1 5 top 9\n  ifflag 2 there\n  end\n";
    return s;
}

std::vector<uint8_t> Assemble(const std::string& source, std::vector<std::string>* warnings = nullptr) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(AssembleFigTalk(source, &bytes, &error, warnings)) << error;
    return bytes;
}

std::string AssembleError(const std::string& source) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_FALSE(AssembleFigTalk(source, &bytes, &error));
    return error;
}

TEST(FigOps, TheTableHoldsTheEightySevenInstructionsInOrder) {
    ASSERT_EQ(kFigOpCount, 87u);
    for (size_t i = 1; i < kFigOpCount; ++i) EXPECT_LT(kFigOps[i - 1].op, kFigOps[i].op);
    for (int16_t undefined : {0, 7, 32, 38, 90, -2}) EXPECT_EQ(FindFigOp(undefined), nullptr) << undefined;
}

TEST(FigOps, EveryInstructionMeasuresWhatTheAssemblerWrites) {
    for (const FigOpInfo& info : kFigOps) {
        if (info.op == kFigOpEnd) continue;
        const std::string src = "battle 1\ntop:\nthere:\n  " + std::string(info.name) + SampleOperands(info) + "\n";
        const std::vector<uint8_t> f = Assemble(src);
        const size_t at = ScriptPos(f, 1);
        const uint32_t length = FigInstrLength(f.data() + kFigHeadBytes, f.size() - kFigHeadBytes, at - kFigHeadBytes);
        EXPECT_EQ(length, f.size() - at) << info.name;
        if (info.bytes) EXPECT_EQ(length, info.bytes) << info.name;
    }
}

TEST(FigOps, CutOffInstructionsMeasureZero) {
    const uint8_t textWithoutEnd[] = {2, 0, 20, 0, 'a', 'b', 'c'};
    EXPECT_EQ(FigInstrLength(textWithoutEnd, sizeof textWithoutEnd, 0), 0u);
    const uint8_t listWithoutEnd[] = {19, 0, 4, 0, 0, 0};
    EXPECT_EQ(FigInstrLength(listWithoutEnd, sizeof listWithoutEnd, 0), 0u);
    const uint8_t halfOperand[] = {46, 0, 1};
    EXPECT_EQ(FigInstrLength(halfOperand, sizeof halfOperand, 0), 0u);
    const uint8_t partyCounter[] = {58, 0, 20, 0, 5, 0};
    EXPECT_EQ(FigInstrLength(partyCounter, sizeof partyCounter, 0), 6u);
    EXPECT_EQ(FigInstrLength(partyCounter, 4, 0), 0u);
}

TEST(FigAsm, EveryInstructionRoundTrips) {
    const std::vector<uint8_t> first = Assemble(EveryInstruction());
    const std::string text = DisassembleFigTalk(first);
    EXPECT_EQ(Assemble(text), first) << text;
    EXPECT_EQ(DisassembleFigTalk(Assemble(text)), text);
}

TEST(FigAsm, BattlesWithoutScriptsShareOneEnd) {
    const std::vector<uint8_t> f = Assemble("battle 2\n  frame\n  end\n");
    const uint32_t stub = U32(f, kFigHeadBytes + 4);
    EXPECT_EQ(stub, 12u);  // three table entries, then the end
    EXPECT_EQ(I16(f, kFigHeadBytes + stub), kFigOpEnd);
    EXPECT_EQ(U32(f, kFigHeadBytes), stub);
    EXPECT_EQ(I16(f, ScriptPos(f, 2)), 3);
}

TEST(FigAsm, IfLifeIsFollowedByANoOp) {
    const std::vector<uint8_t> f = Assemble("battle 1\nx:\n  iflife 0 1 30 x\n  end\n");
    const size_t at = ScriptPos(f, 1);
    EXPECT_EQ(I16(f, at), 8);
    EXPECT_EQ(I16(f, at + 12), kFigOpNop);
    EXPECT_EQ(I16(f, at + 14), kFigOpEnd);
}

TEST(FigAsm, RefusesWhatTheInterpreterCannotRun) {
    EXPECT_NE(AssembleError("battle 1\n  counter 20\n").find("party role"), std::string::npos);
    EXPECT_NE(AssembleError("battle 1\n  counter 999\n").find("party role"), std::string::npos);
    Assemble("battle 1\n  counter 19\n  counter 1000\n");
    EXPECT_NE(AssembleError("battle 1\n  randjump\n").find("operand count"), std::string::npos);
    EXPECT_NE(AssembleError("battle 1\n  say 1 \"a%Qb\"\n").find("%Q"), std::string::npos);
    EXPECT_NE(AssembleError("battle 1\n  name \"" + std::string(31, 'n') + "\"\n").find("too long"), std::string::npos);
    EXPECT_NE(AssembleError("battle 1\n  ifflag 1 nowhere\n").find("undefined label"), std::string::npos);
    EXPECT_NE(AssembleError("battle 1\n  ifdefeated 1 -1 x\nx:\n").find("-1"), std::string::npos);
}

TEST(FigAsm, TargetsStayWithin32767BytesAfterByte512) {
    // 140 texts of 250 bytes push the label past the reach of a target word.
    std::string src = "battle 1\n  ifflag 1 far\n";
    for (int i = 0; i < 140; ++i) src += "  note 1000 \"" + std::string(250, 'x') + "\"\n";
    src += "far:\n  end\n";
    EXPECT_NE(AssembleError(src).find("32767"), std::string::npos);
}

TEST(FigAsm, CountsOfZeroOrLessAreWarnings) {
    std::vector<std::string> warnings;
    Assemble("battle 1\nt:\n  loop 0 t\n  tint 0 0 0 1 1 1 0\n  panx 5 -1\n  ifrandom 0 1 t\n  loop 2 t\n  end\n",
             &warnings);
    ASSERT_EQ(warnings.size(), 4u);
    EXPECT_NE(warnings[0].find("line 3"), std::string::npos);
    EXPECT_NE(warnings[3].find("ifrandom"), std::string::npos);
}

// From a jump target the code runs without a reload at most as far as the
// block a jump reads; returns the largest distance found.
size_t LongestStraightRun(const std::vector<uint8_t>& f, size_t from) {
    const uint8_t* code = f.data() + kFigHeadBytes;
    const size_t size = f.size() - kFigHeadBytes;
    size_t at = from;
    while (at < size) {
        const uint32_t len = FigInstrLength(code, size, at);
        if (len == 0) break;
        const int16_t op = I16(f, kFigHeadBytes + at);
        at += len;
        if (op == 19 || op == kFigOpEnd) break;
    }
    return at - from;
}

TEST(FigAsm, LongStraightCodeAfterATargetReloadsItsBlock) {
    std::string src = "battle 1\n  frame\ntop:\n";
    for (int i = 0; i < 3000; ++i) src += "  sfx 1\n";  // 12,000 bytes
    src += "  ifflag 3 top\n  end\n";
    const std::vector<uint8_t> f = Assemble(src);
    const size_t top = ScriptPos(f, 1) - kFigHeadBytes + 2;
    EXPECT_LE(LongestStraightRun(f, top), size_t(kFigJumpBlock));
    // Each reload jumps to the instruction right after it, and the code from
    // there fits again.
    const uint8_t* code = f.data() + kFigHeadBytes;
    int reloads = 0;
    for (size_t at = top; at < f.size() - kFigHeadBytes;) {
        const uint32_t len = FigInstrLength(code, f.size() - kFigHeadBytes, at);
        ASSERT_GT(len, 0u);
        if (I16(f, kFigHeadBytes + at) == 19) {
            ++reloads;
            EXPECT_EQ(size_t(I16(f, kFigHeadBytes + at + 2)), at + len);
            EXPECT_LE(LongestStraightRun(f, at + len), size_t(kFigJumpBlock));
        }
        at += len;
    }
    EXPECT_EQ(reloads, 2);
    // The disassembly shows the reloads and assembles to the same bytes.
    EXPECT_EQ(Assemble(DisassembleFigTalk(f)), f);
}

TEST(FigAsm, ForeignBytesDisassembleToRawWordsThatAssembleBack) {
    std::vector<uint8_t> f = Assemble("battle 1\n  frame\n  end\n");
    const size_t at = ScriptPos(f, 1);
    f[at] = 7;  // an undefined instruction
    f.push_back(5);  // and a stray byte at the end
    const std::string text = DisassembleFigTalk(f);
    EXPECT_NE(text.find("word 7"), std::string::npos);
    EXPECT_NE(text.find("byte 5"), std::string::npos);
    EXPECT_EQ(Assemble(text), f);
}

}  // namespace

namespace {

// The command, as a maintainer runs it: assemble, then disassemble.

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(FigAsmCommand, AssemblesWarnsRefusesAndDisassembles) {
    const std::string tool = BuildTreeProgram("fig_asm");
    ASSERT_EQ(access(tool.c_str(), X_OK), 0) << "no command at " << tool;
    TempFolder dir("figasm");
    std::ofstream(dir / "good.txt") << "battle 1\ntop:\n  loop 0 top\n  end\n";
    std::ofstream(dir / "bad.txt") << "battle 1\n  counter 21\n";
    const std::string q = "'" + tool + "' ";
    EXPECT_EQ(std::system((q + "asm '" + dir / "good.txt" + "' '" + dir / "f.dat" + "' 2>'" + dir / "err.txt" + "'").c_str()), 0);
    EXPECT_NE(ReadText(dir / "err.txt").find("warning"), std::string::npos);
    EXPECT_EQ(std::system((q + "dis '" + dir / "f.dat" + "' >'" + dir / "out.txt" + "'").c_str()), 0);
    const std::string bytes = ReadText(dir / "f.dat");
    EXPECT_EQ(ReadText(dir / "out.txt"), DisassembleFigTalk(std::vector<uint8_t>(bytes.begin(), bytes.end())));
    EXPECT_NE(std::system((q + "asm '" + dir / "bad.txt" + "' '" + dir / "g.dat" + "' 2>'" + dir / "err2.txt" + "'").c_str()), 0);
    EXPECT_NE(ReadText(dir / "err2.txt").find("line 2"), std::string::npos);
    EXPECT_NE(std::system((q + "dis 2>/dev/null").c_str()), 0);
}

}  // namespace
