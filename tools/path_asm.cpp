#include "tools/path_asm.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

#include "base/bytes.h"
#include "tools/asm_text.h"
#include "tools/file_writer.h"
#include "tools/indexed_writer.h"
#include "world/script/path_data.h"
#include "world/script/path_ops.h"

namespace {


// Words an instruction takes; -1 when its operands do not fit it.
long InstructionWords(int op, const AsmStatement& s) {
    const PathOpInfo& info = kPathOps[op];
    switch (info.shape) {
    case kShapeFlagList:
        return s.args.empty() ? -1 : long(s.args.size()) + 3;
    case kShapeText:
        if (s.args.size() != 2 || !s.args[1].quoted) return -1;
        return 2 + (long(s.args[1].text.size()) + 3) / 2;
    default: {
        const size_t wanted = size_t(info.words - 1 - (info.targetAt >= 0 ? 1 : 0));
        return s.args.size() == wanted ? info.words : -1;
    }
    }
}

struct Assembler {
    std::vector<AsmStatement> statements;
    std::map<std::string, std::pair<uint32_t, uint32_t>> labels; // name -> path, byte in program
    std::vector<std::vector<uint8_t>> programs;
    std::vector<uint32_t> starts; // offset of each path's program
    std::string* error = nullptr;

    bool Fail(int line, const std::string& why) {
        *error = "line " + std::to_string(line) + ": " + why;
        return false;
    }

    bool Parse(const std::string& source) { return ParseAsmSource(source, &statements, error); }

    // Pass 1: program sizes and label places.
    bool Measure(std::vector<uint32_t>* sizes) {
        long path = -1;
        for (const AsmStatement& s : statements) {
            if (s.head == "path") {
                long long n = 0;
                if (s.args.size() != 1 || !ParseAsmNumber(s.args[0].text, 0, 65535, &n)) return Fail(s.line, "bad path number");
                path = long(n);
                if (sizes->size() <= size_t(path)) sizes->resize(size_t(path) + 1, 0);
                continue;
            }
            if (path < 0) return Fail(s.line, "statement before the first path");
            uint32_t& size = (*sizes)[size_t(path)];
            if (s.head.back() == ':' && s.args.empty()) {
                const std::string name = s.head.substr(0, s.head.size() - 1);
                if (name.empty() || !labels.emplace(name, std::make_pair(uint32_t(path), size)).second)
                    return Fail(s.line, "bad or repeated label");
                continue;
            }
            if (s.head == "word") {
                size += 2 * uint32_t(s.args.size());
                continue;
            }
            const int op = FindPathOp(s.head.c_str());
            if (op < 0) return Fail(s.line, "unknown instruction " + s.head);
            const long words = InstructionWords(op, s);
            if (words < 0) return Fail(s.line, "wrong operands for " + s.head);
            size += 2 * uint32_t(words);
        }
        if (sizes->empty()) sizes->push_back(0);
        return true;
    }

    bool Target(const AsmStatement& s, const AsmToken& t, uint32_t* target) {
        const auto it = labels.find(t.text);
        if (it != labels.end()) {
            *target = starts[it->second.first] + it->second.second;
            return true;
        }
        long long v = 0;
        if (!ParseAsmNumber(t.text, 0, 0xFFFFFFFFll, &v)) return Fail(s.line, "unknown label " + t.text);
        *target = uint32_t(v);
        return true;
    }

    bool Word(const AsmStatement& s, const AsmToken& t, ByteWriter* w) {
        long long v = 0;
        if (!ParseAsmNumber(t.text, -32768, 65535, &v)) return Fail(s.line, "bad word " + t.text);
        w->u16(uint16_t(v));
        return true;
    }

    // Pass 2: the words.
    bool Emit() {
        long path = -1;
        for (const AsmStatement& s : statements) {
            if (s.head == "path") {
                path = std::strtol(s.args[0].text.c_str(), nullptr, 0);
                continue;
            }
            if (s.head.back() == ':' && s.args.empty()) continue;
            ByteWriter w(programs[size_t(path)]);
            if (s.head == "word") {
                for (const AsmToken& t : s.args)
                    if (!Word(s, t, &w)) return false;
                continue;
            }
            const int op = FindPathOp(s.head.c_str());
            const PathOpInfo& info = kPathOps[op];
            w.u16(uint16_t(op));
            if (info.shape == kShapeText) {
                if (!Word(s, s.args[0], &w)) return false;
                if (s.args[1].text.find("%Q") != std::string::npos || s.args[1].text.size() > kPathMaxTextBytes)
                    return Fail(s.line, "text too long or holding the end marker");
                const std::string text = s.args[1].text + "%Q";
                w.bytes(text.data(), text.size());
                if (text.size() % 2) w.u8(0);
                continue;
            }
            const size_t listEnd = info.shape == kShapeFlagList ? s.args.size() - 1 : s.args.size();
            for (size_t i = 0; i < s.args.size(); ++i) {
                const bool isTarget = info.shape == kShapeFlagList ? i == listEnd
                                                                   : info.targetAt >= 0 && i + 1 == size_t(info.targetAt);
                if (isTarget) {
                    if (info.shape == kShapeFlagList) w.u16(kPathListEnd);
                    uint32_t target = 0;
                    if (!Target(s, s.args[i], &target)) return false;
                    w.u32(target);
                } else if (!Word(s, s.args[i], &w)) {
                    return false;
                } else if (info.shape == kShapeFlagList && w.buffer().end()[-1] == 0xFF && w.buffer().end()[-2] == 0xFF) {
                    return Fail(s.line, "flag 65535 would end the list");
                }
            }
        }
        return true;
    }
};

// The program of path n runs to path n + 1's (the writer lays them out in
// order), else to the next program above it or the file's end.
uint32_t ProgramEnd(const PathData& data, uint32_t path, uint32_t offset) {
    const uint32_t fileEnd = uint32_t(data.size - kPathHeadBytes);
    if (path + 1 < data.count) {
        uint32_t next = 0;
        PathOffset(data, path + 1, &next); // gives the offset even when it is the file's end
        if (next >= offset && next <= fileEnd) return next;
    }
    uint32_t end = fileEnd;
    for (uint32_t n = 0; n < data.count; ++n) {
        uint32_t other = 0;
        if (PathOffset(data, n, &other) && other > offset && other < end) end = other;
    }
    return end;
}

} // namespace

bool AssemblePathDat(const std::string& source, std::vector<uint8_t>* out, std::string* error) {
    std::string scratch;
    Assembler a;
    a.error = error ? error : &scratch;
    std::vector<uint32_t> sizes;
    if (!a.Parse(source) || !a.Measure(&sizes)) return false;
    uint32_t at = uint32_t(4 * sizes.size());
    for (uint32_t size : sizes) {
        a.starts.push_back(at);
        at += size;
    }
    a.programs.assign(sizes.size(), {});
    if (!a.Emit()) return false;
    *out = BuildIndexedData({}, a.programs);
    return true;
}

std::string DisassemblePathDat(const std::vector<uint8_t>& bytes) {
    PathData data;
    if (!OpenPathData(&data, bytes.data(), bytes.size())) return "";
    // Instruction starts, and the jump targets that land on one.
    std::set<uint32_t> starts, targets;
    auto walk = [&](uint32_t path, auto&& each) {
        uint32_t offset = 0;
        if (!PathOffset(data, path, &offset)) return;
        const uint32_t end = ProgramEnd(data, path, offset);
        for (uint32_t pc = 0; offset + 2 * uint64_t(pc) < end;) {
            PathInstr in;
            const bool ok = DecodePathInstr(data, path, pc, &in) == kPathDecoded && offset + 2 * uint64_t(pc + in.words) <= end;
            each(offset + 2 * pc, ok, in, end);
            pc += ok ? in.words : 1;
        }
    };
    for (uint32_t path = 0; path < data.count; ++path)
        walk(path, [&](uint32_t at, bool ok, const PathInstr& in, uint32_t) {
            starts.insert(at);
            if (ok && in.hasTarget) targets.insert(in.target);
        });
    auto targetText = [&](uint32_t t) {
        return starts.count(t) ? "L" + std::to_string(t) : std::to_string(t);
    };
    std::string out;
    for (uint32_t path = 0; path < data.count; ++path) {
        out += "path " + std::to_string(path) + "\n";
        walk(path, [&](uint32_t at, bool ok, const PathInstr& in, uint32_t end) {
            if (targets.count(at)) out += "L" + std::to_string(at) + ":\n";
            const uint8_t* p = bytes.data() + kPathHeadBytes + at;
            if (!ok) {
                if (at + 2 <= end)
                    out += "  word " + std::to_string(p[0] | p[1] << 8) + "\n";
                else
                    out += "  ; odd byte " + std::to_string(p[0]) + " dropped\n";
                return;
            }
            const PathOpInfo& info = kPathOps[in.op];
            out += std::string("  ") + info.name;
            if (info.shape == kShapeText) {
                out += " " + std::to_string(in.operand[0]) + " " + EscapeAsmText(bytes.data() + in.textAt, in.textBytes) + "\n";
                return;
            }
            if (info.shape == kShapeFlagList) {
                for (uint32_t i = 0; i < in.listCount; ++i) out += " " + std::to_string(PathListFlag(data, in, i));
                out += " " + targetText(in.target) + "\n";
                return;
            }
            for (uint32_t i = 1; i < info.words; ++i) {
                if (info.targetAt >= 0 && i == uint32_t(info.targetAt)) {
                    out += " " + targetText(in.target);
                    ++i;
                    continue;
                }
                const uint16_t v = in.operand[i - 1];
                out += " " + std::to_string((info.signedMask >> i) & 1 ? int(int16_t(v)) : int(v));
            }
            out += "\n";
        });
    }
    return out;
}

bool WritePathDat(const char* path, const std::string& source, std::string* error) {
    std::vector<uint8_t> bytes;
    if (!AssemblePathDat(source, &bytes, error)) return false;
    if (!WriteBytesToFile(path, bytes)) {
        if (error) *error = std::string("cannot write ") + path;
        return false;
    }
    return true;
}
