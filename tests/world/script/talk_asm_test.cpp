#include "tools/talk_asm.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"
#include "world/script/talk_ops.h"

namespace {

using Files = std::map<uint32_t, std::vector<uint8_t>>;

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24);
}
uint32_t EntryOffset(const std::vector<uint8_t>& file, uint32_t entry) {
    return U32(file, kTalkHeadBytes + 4 * entry);
}

// Operands for one instruction: two list items or groups, a five-byte text.
std::string SampleOperands(const TalkOpInfo& info) {
    std::string out;
    for (const char* c = info.operands; *c; ++c) {
        switch (*c) {
        case 'w': out += " 7"; break;
        case 'i': out += " -3"; break;
        case 'g': out += " player"; break;
        case 'd': out += " 70000"; break;
        case 't': out += " top"; break;
        case 's': out += " \"hi\\xA4\\x40!\""; break;
        case 'f': case 'z': out += " 4 5"; break;
        case 'v': out += " -4 5"; break;
        case 'l': out += " top there"; break;
        case '*':
            out += " 2";
            for (int k = 0; k < 2; ++k)
                for (const char* g = c + 1; *g; ++g) out += *g == 'g' ? " starter" : " 9";
            return out;
        }
    }
    return out;
}

// Every instruction once, over two entries that jump into each other.
std::string EveryInstruction() {
    std::string src = "talk 7\ntop:\n";
    for (size_t n = 0; n < kTalkOpCount; ++n) {
        if (n == kTalkOpCount / 2) src += "talk 3\nthere:\n";
        src += std::string("  ") + kTalkOps[n].name + SampleOperands(kTalkOps[n]) + "\n";
    }
    return src;
}

// Length of one instruction as the Parts give it, with two list items or
// groups and a five-byte text (t = text + "%Q").
uint32_t ExpectedLength(const TalkOpInfo& info) {
    const uint32_t t = 7, n = 2;
    switch (info.op) {
    case 0x01: case 0x02: return 6 + t;
    case 0x03: case 0x04: case 0x05: case 0x06: return 14 + t;
    case 0x59: case 0x5A: return 10 + t;
    case 0x60: case 0x7D: case 0xAB: case 0xAD: case 0xC2: return 2 + t;
    case 0x14: case 0x74: return 6 * n + 4;
    case 0xA9: return 12 * n + 4;
    case 0x6D: case 0x85: return 2 * n + 4;
    case 0x17: case 0x18: return 2 * n + 8;
    case 0x3F: return 2 * n + 6;
    case 0x29: case 0x57: return 4 * n + 6;
    case 0xCB: return 4 * n + 10;
    default: return info.bytes;
    }
}

TEST(TalkOps, TableCoversEveryInstructionOnce) {
    std::set<std::string> names;
    for (size_t n = 0; n < kTalkOpCount; ++n) {
        EXPECT_TRUE(names.insert(kTalkOps[n].name).second) << kTalkOps[n].name;
        if (n) {
            EXPECT_LT(kTalkOps[n - 1].op, kTalkOps[n].op);
        }
        EXPECT_EQ(FindTalkOp(kTalkOps[n].op), &kTalkOps[n]);
        EXPECT_EQ(FindTalkOpByName(kTalkOps[n].name), &kTalkOps[n]);
        // A fixed length and a varying signature exclude each other.
        EXPECT_EQ(kTalkOps[n].bytes == 0, std::strpbrk(kTalkOps[n].operands, "sfvzl*") != nullptr) << kTalkOps[n].name;
    }
    for (uint16_t op = 1; op <= 0xD6; ++op) EXPECT_NE(FindTalkOp(op), nullptr) << op;
    for (uint16_t op : {0x0400, 0x0401, 0x0402, 0x3FFF}) EXPECT_NE(FindTalkOp(op), nullptr) << op;
    EXPECT_EQ(FindTalkOp(0), nullptr);
    EXPECT_EQ(FindTalkOp(0xD7), nullptr);
    EXPECT_EQ(FindTalkOp(0x0C0C), nullptr); // the window's fill
}

TEST(TalkOps, EveryOpcodeEncodesToItsLength) {
    for (const TalkOpInfo& info : kTalkOps) {
        Files files;
        std::string error;
        const std::string src = std::string("talk 0\ntop:\nthere:\n  ") + info.name + SampleOperands(info) + "\n";
        ASSERT_TRUE(AssembleTalkFiles(src, &files, &error)) << info.name << ": " << error;
        const std::vector<uint8_t>& file = files.at(1);
        const uint32_t at = EntryOffset(file, 0);
        const uint32_t size = uint32_t(file.size() - kTalkHeadBytes);
        EXPECT_EQ(size - at, ExpectedLength(info)) << info.name;
        EXPECT_EQ(TalkInstrLength(file.data() + kTalkHeadBytes, size, at), ExpectedLength(info)) << info.name;
        // Cut short by one byte, the instruction no longer fits.
        EXPECT_EQ(TalkInstrLength(file.data() + kTalkHeadBytes, size - 1, at), 0u) << info.name;
    }
}

TEST(TalkAsm, RoundTripsEveryInstruction) {
    Files first, second;
    std::string error;
    ASSERT_TRUE(AssembleTalkFiles(EveryInstruction(), &first, &error)) << error;
    const std::string text = DisassembleTalkFiles(first);
    ASSERT_TRUE(AssembleTalkFiles(text, &second, &error)) << error << "\n" << text;
    EXPECT_EQ(first, second);
    EXPECT_EQ(DisassembleTalkFiles(second), text);
    EXPECT_NE(text.find("walkto player 7 7"), std::string::npos) << text;
    EXPECT_NE(text.find("dlgw player 7 \"hi\\xA4@!\""), std::string::npos) << text;
}

TEST(TalkAsm, RoundTripsRawBytesStateBitsAndEmptyEntries) {
    const char src[] = "talk 5\ntalk 6\n  sleep 3\n  word 0x8043 5\n  byte 1\n  end\ntalk 9\n  nop\n";
    Files first, second;
    std::string error;
    ASSERT_TRUE(AssembleTalkFiles(src, &first, &error)) << error;
    ASSERT_TRUE(AssembleTalkFiles(DisassembleTalkFiles(first), &second, &error)) << error;
    EXPECT_EQ(first, second);
}

TEST(TalkAsm, LabelsCrossEntriesAndCountFromByte512) {
    const char src[] = R"(
talk 10
  setflag 1
back:
  jump ahead
talk 11
  nop
ahead:
  ifflag 3 back
  end
)";
    Files files;
    std::string error;
    ASSERT_TRUE(AssembleTalkFiles(src, &files, &error)) << error;
    const std::vector<uint8_t>& f = files.at(1);
    const uint32_t e10 = EntryOffset(f, 10), e11 = EntryOffset(f, 11);
    EXPECT_EQ(e11, e10 + 4 + 6);
    EXPECT_EQ(U32(f, kTalkHeadBytes + e10 + 6), e11 + 2); // jump ahead
    EXPECT_EQ(U32(f, kTalkHeadBytes + e11 + 6), e10 + 4); // ifflag 3 back
    // Entries the source does not name run one end instruction.
    const uint32_t unnamed = EntryOffset(f, 12);
    EXPECT_EQ(f[kTalkHeadBytes + unnamed] | f[kTalkHeadBytes + unnamed + 1] << 8, kTalkOpEnd);
}

TEST(TalkAsm, Talks1999And2000LandInDifferentFiles) {
    TempFolder dir("talk");
    std::string error;
    ASSERT_TRUE(WriteTalkFiles(dir.Path(), "talk 1999\n  setflag 1\ntalk 2000\n  setflag 2\n", &error)) << error;
    const std::string one = dir.ReadFile("Talk1.dat"), two = dir.ReadFile("Talk2.dat");
    ASSERT_EQ(one.size(), kTalkHeadBytes + 4 * kTalkEntriesPerFile + 2 + 4);
    ASSERT_EQ(two.size(), one.size());
    const std::vector<uint8_t> f1(one.begin(), one.end()), f2(two.begin(), two.end());
    EXPECT_EQ(f1[kTalkHeadBytes + EntryOffset(f1, 1999) + 2], 1);
    EXPECT_EQ(f2[kTalkHeadBytes + EntryOffset(f2, 0) + 2], 2);
    EXPECT_EQ(TalkFileNumber(1999), 1u);
    EXPECT_EQ(TalkFileNumber(2000), 2u);
    EXPECT_EQ(TalkEntry(2000), 0u);
    // file/entry directives name the same talk.
    Files files;
    ASSERT_TRUE(AssembleTalkFiles("file 2\nentry 0\n  setflag 2\n", &files, &error)) << error;
    EXPECT_EQ(files.at(2), f2);
}

TEST(TalkAsm, ErrorsNameTheLine) {
    const std::string big(511, 'a');
    const struct {
        std::string source;
        const char* error;
    } kCases[] = {
        {"talk 1\n  setflag 1\n  fly 3\n", "line 3: unknown instruction fly"},
        {"talk 1\n\n  walkto player 3\n", "line 3: wrong operand count for walkto"},
        {"talk 1\n  jump nowhere\n", "line 2: undefined label nowhere"},
        {"talk 1\n  dlgw none 0 \"" + big + "\"\n", "line 2: text too long"},
        {"talk 1\n  banner0 \"" + std::string(52, 'b') + "\"\n", "line 2: text too long"},
        {"talk 1\n  dlg none 0 \"a%Qb\"\n", "line 2: text holds the end marker"},
        {"talk 1\n  dlg none 0 7\n", "line 2: dlg wants a text"},
        {"talk 1\nx:\ntalk 2001\n  jump x\n", "line 4: label x is in file 1"},
        {"talk 1\nx:\nx:\n", "line 3: label x given twice"},
        {"talk 1\n1x:\n", "line 2: label 1x does not start with a letter"},
        {"talk 1\nplayer:\n", "line 2: label player names a GUID"},
        {"talk 1\n  random\n", "line 2: random needs at least one target"},
        {"talk 1\n  walkmany 2 player 1 2\n", "line 2: wrong operand count for walkmany"},
        {"talk 1\n  ifallflags 0xFF00 3\n", "line 2: 0xFF00 would end the list"},
        {"talk 1\n  shop 3 0\n", "line 2: 0 would end the list"},
        {"  end\n", "line 1: statement before the first entry"},
        {"talk 1\ntalk 1\n", "line 2: talk given twice"},
        {"entry 2000\n", "line 1: bad entry number"},
        {"talk 1\n  setflag 70000\n", "line 2: bad number 70000"},
    };
    for (const auto& c : kCases) {
        Files files;
        std::string error;
        EXPECT_FALSE(AssembleTalkFiles(c.source, &files, &error)) << c.source;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.source << " gave: " << error;
    }
}

TEST(TalkOps, LengthStaysInsideTheBuffer) {
    // A text without its marker, a list without its end, a count past the
    // end, an unknown opcode: each gives 0 instead of reading on.
    const std::vector<std::vector<uint8_t>> kCases = {
        {0x01, 0x00, 0xFE, 0xFF, 0, 0, 'a', 'b', '%'},
        {0x17, 0x00, 1, 0, 2, 0},
        {0x29, 0x00, 1, 0, 0, 0, 0, 0xFF},
        {0x74, 0x00, 0xFF, 0x3F, 1, 0, 2, 0, 3, 0},
        {0x0C, 0x0C, 0, 0},
        {0x3B},
    };
    for (const auto& c : kCases) EXPECT_EQ(TalkInstrLength(c.data(), c.size(), 0), 0u) << int(c[0]);
    const uint8_t wait[] = {0x43, 0x80, 0xE8, 0x83}; // state bit 15 set on the instruction
    EXPECT_EQ(TalkInstrLength(wait, sizeof wait, 0), 4u);
    EXPECT_EQ(TalkInstrLength(wait, sizeof wait, 3), 0u);
    EXPECT_EQ(TalkInstrLength(wait, sizeof wait, 9), 0u);
}

} // namespace
