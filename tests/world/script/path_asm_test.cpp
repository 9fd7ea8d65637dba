#include "tools/path_asm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/bytes.h"
#include "world/script/path_data.h"
#include "world/script/path_ops.h"

namespace {

// Every opcode at least once, with labels across paths.
const char kEveryOpcode[] = R"(
path 1
top:
  restart
  end
  qq 8
  dir 3
  setwait 4
  wait
  waitanimate
  walkto 5 6
  arrive
  waitclock 300
  ifclock 200 top
  setclock 10
  jump other
  ifflag 12 top
  ifnotflag 13 top
  ifallflags 1 2 3 top
  ifallflags top
  ifanyflag 4 other
  setflag 17
  clearflag 18
  setvar 3 7
  addvar 3 10
  subvar 3 1
  ifvaratleast 3 5 top
  ifvaratmost 3 5 other
  restartrole 65534
  ifclocksince 20 top
  markclock
  hide 7
  show 7
  place 2 3
  randomwalk
  act 65535 8 2
  sound 44
  follow 65534
  say 3 "hi \xA7\x41"
  say 0 "even"
  unsay
  followoffset 65534 -2 1
  ifnear 65534 3 top
path 3
other:
  randomwalk
  word 0x40 7
)";

std::vector<uint8_t> Assemble(const std::string& source) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(AssemblePathDat(source, &bytes, &error)) << error;
    return bytes;
}

TEST(PathAsm, WritesTheIndexedLayout) {
    const std::vector<uint8_t> bytes = Assemble("path 2\n  walkto 1 2\n  arrive\n  jump 16\n");
    ByteReader r(bytes);
    r.seek(512);
    EXPECT_EQ(r.u32(), 12u) << "three table entries";
    EXPECT_EQ(r.u32(), 12u) << "path 1 is empty";
    EXPECT_EQ(r.u32(), 12u);
    const std::vector<uint16_t> want = {kOpWalkTo, 1, 2, kOpArrive, kOpJump, 16, 0};
    for (uint16_t w : want) EXPECT_EQ(r.u16(), w);
    EXPECT_EQ(r.remaining(), 0u);
}

TEST(PathAsm, EveryOpcodeRoundTrips) {
    const std::vector<uint8_t> bytes = Assemble(kEveryOpcode);
    const std::string text = DisassemblePathDat(bytes);
    EXPECT_EQ(Assemble(text), bytes) << text;
    for (uint16_t op = 0; op < kPathOpCount; ++op)
        EXPECT_NE(text.find(std::string("  ") + kPathOps[op].name), std::string::npos) << kPathOps[op].name;
    EXPECT_NE(text.find("word 64"), std::string::npos) << "an opcode above 37 stays a raw word";
}

TEST(PathAsm, DecodesLengthsAndTargets) {
    const std::vector<uint8_t> bytes = Assemble(kEveryOpcode);
    PathData data;
    ASSERT_TRUE(OpenPathData(&data, bytes.data(), bytes.size()));
    EXPECT_EQ(data.count, 4u);
    uint32_t offset = 0;
    ASSERT_TRUE(PathOffset(data, 1, &offset));
    uint32_t pc = 0;
    std::vector<uint16_t> ops;
    PathInstr in;
    while (DecodePathInstr(data, 1, pc, &in) == kPathDecoded && ops.size() < 60) {
        ops.push_back(in.op);
        if (in.op == kOpIfAllFlags && in.listCount == 3) {
            EXPECT_EQ(PathListFlag(data, in, 2), 3);
            EXPECT_EQ(in.target, offset);
        }
        if (in.op == kOpSay && in.operand[0] == 3) {
            EXPECT_EQ(in.textBytes, 5u);
        }
        if (in.op == kOpFollowOffset) {
            EXPECT_EQ(int16_t(in.operand[1]), -2);
        }
        uint32_t to = 0;
        if (in.hasTarget) {
            EXPECT_TRUE(PathTargetPc(data, 1, in.target, &to) || in.op == kOpJump || in.op == kOpIfAnyFlag ||
                        in.op == kOpIfVarAtMost);
        }
        pc += in.words;
        if (in.op == kOpIfNear) break;
    }
    EXPECT_EQ(ops.size(), 40u);
    EXPECT_EQ(ops.back(), kOpIfNear);
}

TEST(PathAsm, ReportsBadSource) {
    struct Case {
        const char* source;
        const char* error;
    };
    for (Case c : {Case{"  walkto 1 2\n", "line 1: statement before the first path"},
                   Case{"path 1\n  fly 1\n", "line 2: unknown instruction fly"},
                   Case{"path 1\n  walkto 1\n", "line 2: wrong operands for walkto"},
                   Case{"path 1\n  jump nowhere\n", "line 2: unknown label nowhere"},
                   Case{"path 1\n  say 0 \"open\n", "line 2: text without its closing quote"},
                   Case{"path 1\n  say 0 \"a%Qb\"\n", "line 2: text too long or holding the end marker"},
                   Case{"path 1\n  qq 70000\n", "line 2: bad word 70000"},
                   Case{"path 1\na:\na:\n", "line 3: bad or repeated label"}}) {
        std::vector<uint8_t> bytes;
        std::string error;
        EXPECT_FALSE(AssemblePathDat(c.source, &bytes, &error)) << c.source;
        EXPECT_EQ(error, c.error);
    }
}

TEST(PathData, EveryCutOfAFileDecodesInsideIt) {
    const std::vector<uint8_t> full = Assemble(kEveryOpcode);
    for (size_t cut = 0; cut <= full.size(); ++cut) {
        // A copy of exactly `cut` bytes, so the sanitizer sees any read past it.
        std::vector<uint8_t> bytes(full.begin(), full.begin() + long(cut));
        PathData data;
        if (!OpenPathData(&data, bytes.data(), bytes.size())) continue;
        for (uint32_t path = 0; path < 6; ++path) {
            PathInstr in;
            for (uint32_t pc = 0; pc < 200;) {
                if (DecodePathInstr(data, path, pc, &in) != kPathDecoded) break;
                pc += in.words;
            }
        }
        DisassemblePathDat(bytes);
    }
}

TEST(PathData, RefusesWhatTheFileDoesNotHold) {
    std::vector<uint8_t> bytes = Assemble("path 1\n  say 1 \"abc\"\n  word 99\n");
    PathData data;
    ASSERT_TRUE(OpenPathData(&data, bytes.data(), bytes.size()));
    PathInstr in;
    EXPECT_EQ(DecodePathInstr(data, 2, 0, &in), kPathBadPath);
    EXPECT_EQ(DecodePathInstr(data, 70000, 0, &in), kPathBadPath);
    EXPECT_EQ(DecodePathInstr(data, 1, 5, &in), kPathBadOpcode);
    EXPECT_EQ(DecodePathInstr(data, 1, 6, &in), kPathPastEnd);
    EXPECT_EQ(DecodePathInstr(data, 1, 0xFFFFFFFFu, &in), kPathPastEnd);
    uint32_t pc = 0;
    EXPECT_FALSE(PathTargetPc(data, 1, 0, &pc)) << "before the path";
    EXPECT_FALSE(PathTargetPc(data, 1, 9, &pc)) << "between two words";
    EXPECT_FALSE(PathTargetPc(data, 1, 0x7FFFFFF0u, &pc)) << "outside the file";
    EXPECT_TRUE(PathTargetPc(data, 1, 10, &pc));
    EXPECT_EQ(pc, 1u);
    // A text whose marker is missing reads as past the end.
    bytes[bytes.size() - 4] = 'x';
    ASSERT_TRUE(OpenPathData(&data, bytes.data(), bytes.size()));
    EXPECT_EQ(DecodePathInstr(data, 1, 0, &in), kPathPastEnd);
    EXPECT_FALSE(OpenPathData(&data, bytes.data(), 515));
}

} // namespace
