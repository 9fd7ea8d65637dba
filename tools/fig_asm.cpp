#include "tools/fig_asm.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <map>
#include <set>

#include "base/bytes.h"
#include "battle/script/fig_ops.h"
#include "tools/asm_text.h"
#include "tools/file_writer.h"

namespace {

constexpr long long kMaxBattle = 16383;
constexpr uint32_t kReloadBytes = 8;  // randjump J -1
constexpr int16_t kOpRandJump = 19;
constexpr int16_t kOpIfLife = 8;
constexpr int64_t kNoWindow = INT64_MAX;

// Instructions after which no code runs on: the next code is reached only
// by a jump or a script's start.
bool EndsStraightLine(int16_t op) { return op == kFigOpEnd || op == 19 || op == 31 || op == 24; }

bool IsLabel(const AsmStatement& s) { return s.head.size() > 1 && s.head.back() == ':' && s.args.empty(); }
std::string LabelName(const AsmStatement& s) { return s.head.substr(0, s.head.size() - 1); }

// Operands a signature takes besides its lists.
size_t FixedCount(const char* sig) {
    size_t n = 0;
    for (; *sig; ++sig)
        if (!std::strchr("lvp", *sig)) ++n;
    return n;
}

struct Assembler {
    std::vector<AsmStatement> statements;
    std::set<std::string> targets;            // labels some instruction jumps to
    std::map<std::string, int64_t> labels;    // offsets from byte 512
    std::set<size_t> reloads;                 // statements a reload jump goes before
    std::map<uint32_t, int64_t> scripts;      // battle -> offset
    uint32_t tableEntries = 1;
    bool resolve = false;
    std::string* error = nullptr;
    std::vector<std::string>* warnings = nullptr;

    bool Fail(int line, const std::string& why) {
        *error = "line " + std::to_string(line) + ": " + why;
        return false;
    }
    void Warn(int line, const std::string& why) {
        if (warnings) warnings->push_back("line " + std::to_string(line) + ": " + why);
    }

    bool Number(const AsmStatement& s, const AsmToken& t, long long lo, long long hi, long long* v) {
        if (!t.quoted && ParseAsmNumber(t.text, lo, hi, v)) return true;
        return Fail(s.line, "bad number " + t.text);
    }

    bool Word(const AsmStatement& s, const AsmToken& t, ByteWriter* w, long long* value = nullptr) {
        long long v = 0;
        if (!Number(s, t, -32768, 65535, &v)) return false;
        if (value) *value = v;
        w->u16(uint16_t(v));
        return true;
    }

    bool Target(const AsmStatement& s, const AsmToken& t, ByteWriter* w) {
        if (t.quoted) return Fail(s.line, "bad target");
        int64_t target = 0;
        long long v = 0;
        const auto it = labels.find(t.text);
        if (resolve && it != labels.end()) {
            target = it->second;
        } else if (ParseAsmNumber(t.text, -32768, kFigMaxTarget, &v)) {
            target = v;
        } else if (resolve) {
            return Fail(s.line, "undefined label " + t.text);
        }
        if (target > kFigMaxTarget)
            return Fail(s.line, "target " + t.text + " lies " + std::to_string(target) +
                                    " bytes after byte 512 (at most 32767)");
        w->u32(uint32_t(int32_t(target)));
        return true;
    }

    // Collects the labels that instructions jump to (pass 0).
    void NoteTargets() {
        for (const AsmStatement& s : statements) {
            const FigOpInfo* info = FindFigOpByName(s.head.c_str());
            if (!info) continue;
            const char* sig = info->operands;
            if (std::strchr(sig, 'l')) {
                for (const AsmToken& t : s.args) targets.insert(t.text);
            } else if (std::strchr(sig, 't') && !s.args.empty()) {
                // The target is the last operand but for "iflife"'s pad word.
                const size_t at = info->op == kOpIfLife ? 3 : s.args.size() - 1;
                if (at < s.args.size()) targets.insert(s.args[at].text);
            }
        }
    }

    bool Instruction(const AsmStatement& s, const FigOpInfo& info, ByteWriter* w) {
        const char* sig = info.operands;
        const auto& args = s.args;
        const size_t fixed = FixedCount(sig);
        const std::string wrong = "wrong operand count for " + std::string(info.name);
        const bool lists = std::strpbrk(sig, "lv") != nullptr;
        const bool pad = std::strchr(sig, 'p') != nullptr;
        if (lists ? args.size() < fixed + (std::strchr(sig, 'l') ? 1 : 0)
                  : (args.size() != fixed && !(pad && args.size() == fixed + 1)))
            return Fail(s.line, wrong);
        w->u16(uint16_t(info.op));
        size_t a = 0;
        std::vector<long long> words;
        for (; *sig; ++sig) {
            switch (*sig) {
            case 't':
                if (!Target(s, args[a++], w)) return false;
                break;
            case 's': {
                const AsmToken& t = args[a++];
                if (!t.quoted) return Fail(s.line, std::string(info.name) + " wants a text in quotes");
                if (t.text.find("%Q") != std::string::npos) return Fail(s.line, "text holds the end marker %Q");
                if (t.text.size() > info.maxText)
                    return Fail(s.line, "text too long (" + std::to_string(t.text.size()) + " bytes, at most " +
                                            std::to_string(info.maxText) + ")");
                w->bytes(t.text.data(), t.text.size());
                w->u16(kFigTextEnd);
                break;
            }
            case 'l':
                for (; a < args.size(); ++a)
                    if (!Target(s, args[a], w)) return false;
                w->u16(uint16_t(kFigListEnd));
                break;
            case 'v': {
                const size_t roles = args.size() - 1;  // the target follows the roles
                for (; a < roles; ++a) {
                    long long v = 0;
                    if (!Number(s, args[a], -32768, 65535, &v)) return false;
                    if (int16_t(v) == kFigListEnd) return Fail(s.line, "role -1 would end the list");
                    w->u16(uint16_t(v));
                }
                w->u16(uint16_t(kFigListEnd));
                break;
            }
            case 'p': {
                long long v = kFigOpNop;
                if (a < args.size() && !Number(s, args[a++], -32768, 65535, &v)) return false;
                w->u16(uint16_t(v));
                break;
            }
            default: {
                long long v = 0;
                if (!Word(s, args[a++], w, &v)) return false;
                words.push_back(v);
            }
            }
        }
        if (info.op == kFigOpCounter && !words.empty() && words[0] >= 20 && words[0] < 1000)
            return Fail(s.line, "counter with a party role reads a target word the instruction does not hold");
        if (!resolve) {
            const auto warnCount = [&](size_t i, const char* what) {
                if (i < words.size() && int16_t(words[i]) <= 0)
                    Warn(s.line, std::string(info.name) + ": " + what + " " + std::to_string(int16_t(words[i])) +
                                     " is 0 or less");
            };
            if (info.op == 16) warnCount(0, "count");
            if (info.op == 62) warnCount(6, "frames");
            if (info.op == 73) warnCount(1, "steps");
            if (info.op == 85) warnCount(0, "range");
        }
        return true;
    }

    // One pass: offsets with reload jumps (pass 1), or the bytes (pass 2).
    bool Pass(std::vector<uint8_t>* out) {
        ByteWriter w(*out);
        const int64_t codeStart = 4 * int64_t(tableEntries) + 2;  // the table, then the shared end
        int64_t window = kNoWindow;
        const auto at = [&] { return codeStart + int64_t(out->size()); };
        for (size_t i = 0; i < statements.size(); ++i) {
            const AsmStatement& s = statements[i];
            long long n = 0;
            if (s.head == "table") {
                if (s.args.size() != 1 || !ParseAsmNumber(s.args[0].text, 1, kMaxBattle + 1, &n))
                    return Fail(s.line, "bad table size");
                continue;
            }
            if (s.head == "battle") {
                if (s.args.size() != 1 || !ParseAsmNumber(s.args[0].text, 1, kMaxBattle, &n))
                    return Fail(s.line, "bad battle number");
                if (!resolve && !scripts.emplace(uint32_t(n), at()).second) return Fail(s.line, "battle given twice");
                window = at() + kFigStartBlock;
                continue;
            }
            if (IsLabel(s)) {
                const std::string name = LabelName(s);
                if (!std::isalpha(uint8_t(name[0])) && name[0] != '_')
                    return Fail(s.line, "label " + name + " does not start with a letter");
                if (!resolve && !labels.emplace(name, at()).second) return Fail(s.line, "label " + name + " given twice");
                if (targets.count(name)) window = std::min(window, at() + int64_t(kFigJumpBlock));
                continue;
            }
            // Measure the statement, then reload first when it would leave the block.
            std::vector<uint8_t> bytes;
            ByteWriter b(bytes);
            const FigOpInfo* info = nullptr;
            if (s.head == "byte" || s.head == "word") {
                for (const AsmToken& t : s.args) {
                    if (s.head == "word") {
                        if (!Word(s, t, &b)) return false;
                    } else if (!Number(s, t, 0, 255, &n)) {
                        return false;
                    } else {
                        b.u8(uint8_t(n));
                    }
                }
            } else {
                info = FindFigOpByName(s.head.c_str());
                if (!info) return Fail(s.line, "unknown instruction " + s.head);
                if (!Instruction(s, *info, &b)) return false;
            }
            // An instruction that ends the straight line needs no room for a reload behind it.
            const int64_t room = info && EndsStraightLine(info->op) ? 0 : kReloadBytes;
            if (!resolve && window != kNoWindow && at() + int64_t(bytes.size()) + room > window)
                reloads.insert(i);
            if (reloads.count(i)) {
                const int64_t target = at() + kReloadBytes;
                if (target > kFigMaxTarget)
                    return Fail(s.line, "the code reaches past 32767 bytes after byte 512");
                w.u16(uint16_t(kOpRandJump));
                w.u32(uint32_t(target));
                w.u16(uint16_t(kFigListEnd));
                window = target + kFigJumpBlock;
            }
            w.bytes(bytes.data(), bytes.size());
            if (info && EndsStraightLine(info->op)) window = kNoWindow;
        }
        return true;
    }
};

uint32_t U16At(const uint8_t* p) { return uint32_t(p[0] | p[1] << 8); }
int16_t I16At(const uint8_t* p) { return int16_t(U16At(p)); }
uint32_t U32At(const uint8_t* p) { return U16At(p) | U16At(p + 2) << 16; }

// The operands of a decoded instruction as source words; false when it does
// not decode to what the assembler writes (then it goes out as raw words).
bool DecodeInstr(const FigOpInfo& info, const uint8_t* p, std::vector<std::string>* words,
                 std::vector<std::pair<size_t, int32_t>>* jumps) {
    size_t at = 2;
    const auto target = [&] {
        const int32_t t = int32_t(U32At(p + at));
        if (t != int32_t(I16At(p + at))) return false;
        jumps->emplace_back(words->size(), t);
        words->push_back(std::to_string(t));
        at += 4;
        return true;
    };
    for (const char* sig = info.operands; *sig; ++sig) {
        switch (*sig) {
        case 't':
            if (!target()) return false;
            break;
        case 's': {
            size_t n = 0;
            while (!(p[at + n] == '%' && p[at + n + 1] == 'Q')) ++n;
            words->push_back(EscapeAsmText(p + at, n));
            at += n + 2;
            break;
        }
        case 'l':
            while (I16At(p + at) != kFigListEnd)
                if (!target()) return false;
            at += 2;
            break;
        case 'v':
            while (I16At(p + at) != kFigListEnd) {
                words->push_back(std::to_string(I16At(p + at)));
                at += 2;
            }
            at += 2;
            break;
        case 'p':
            if (I16At(p + at) != kFigOpNop) words->push_back(std::to_string(I16At(p + at)));
            at += 2;
            break;
        default:
            words->push_back(std::to_string(I16At(p + at)));
            at += 2;
        }
    }
    if (info.op == kFigOpCounter && I16At(p + 2) >= 20) return false;
    return !(info.op == 19 || info.op == 31) || !jumps->empty();
}

}  // namespace

bool AssembleFigTalk(const std::string& source, std::vector<uint8_t>* file, std::string* error,
                     std::vector<std::string>* warnings) {
    std::string scratch;
    Assembler a;
    a.error = error ? error : &scratch;
    a.warnings = warnings;
    if (!ParseAsmSource(source, &a.statements, a.error)) return false;
    long long n = 0;
    for (const AsmStatement& s : a.statements)
        if ((s.head == "battle" || s.head == "table") && s.args.size() == 1 &&
            ParseAsmNumber(s.args[0].text, 0, kMaxBattle + 1, &n))
            a.tableEntries = std::max<uint32_t>(a.tableEntries, uint32_t(s.head == "battle" ? n + 1 : n));
    a.NoteTargets();
    std::vector<uint8_t> code;
    if (!a.Pass(&code)) return false;
    a.resolve = true;
    code.clear();
    if (!a.Pass(&code)) return false;
    file->clear();
    ByteWriter w(*file);
    w.padding(kFigHeadBytes);
    const uint32_t stub = 4 * a.tableEntries;
    for (uint32_t e = 0; e < a.tableEntries; ++e) {
        const auto it = a.scripts.find(e);
        w.u32(it == a.scripts.end() ? stub : uint32_t(it->second));
    }
    w.u16(uint16_t(kFigOpEnd));
    w.bytes(code.data(), code.size());
    return true;
}

std::string DisassembleFigTalk(const std::vector<uint8_t>& file) {
    if (file.size() < kFigHeadBytes + 8) return "; too short for a battle script file\n";
    const uint8_t* code = file.data() + kFigHeadBytes;
    const size_t size = file.size() - kFigHeadBytes;
    // The table runs from battle 1 up to the first code it points at.
    uint32_t limit = uint32_t(std::min<size_t>(size, UINT32_MAX));
    std::map<uint32_t, uint32_t> battles;  // battle -> offset
    uint32_t entries = 1;
    for (uint32_t n = 1; 4ull * n + 4 <= size && 4ull * n + 4 <= limit; ++n) {
        const uint32_t offset = U32At(code + 4 * n);
        battles[n] = offset;
        limit = std::min(limit, offset);
        entries = n + 1;
    }
    const uint32_t stub = 4 * entries;
    const bool hasStub = stub + 2 <= size && I16At(code + stub) == kFigOpEnd;
    std::string out = "table " + std::to_string(entries) + "\n";
    std::multimap<uint32_t, uint32_t> starts;  // offset -> battle
    std::set<uint32_t> bounds;
    for (const auto& [n, offset] : battles) {
        if (hasStub && offset == stub) continue;
        if (offset < stub + (hasStub ? 2 : 0) || offset > size) {
            out += "; battle " + std::to_string(n) + " starts outside the code (" + std::to_string(offset) + ")\n";
            continue;
        }
        starts.emplace(offset, n);
        bounds.insert(offset);
    }
    const uint32_t first = stub + (hasStub ? 2 : 0);
    bounds.insert(first);
    bounds.insert(uint32_t(size));
    // Decode each region once to find the jump targets, then print.
    struct Item {
        uint32_t at, length;
        bool plain;
    };
    std::vector<Item> items;
    std::set<int32_t> jumpTargets;
    for (auto it = bounds.begin(); std::next(it) != bounds.end(); ++it) {
        const uint32_t end = *std::next(it);
        for (uint32_t at = *it; at < end;) {
            uint32_t len = FigInstrLength(code, end, at);
            bool plain = len != 0;
            if (plain) {
                std::vector<std::string> words;
                std::vector<std::pair<size_t, int32_t>> jumps;
                plain = DecodeInstr(*FindFigOp(I16At(code + at)), code + at, &words, &jumps);
                for (const auto& j : jumps) jumpTargets.insert(j.second);
            }
            if (!plain) len = end - at >= 2 ? 2 : 1;
            items.push_back({at, len, plain});
            at += len;
        }
    }
    std::set<uint32_t> instrStarts;
    for (const Item& i : items) instrStarts.insert(i.at);
    const auto labelled = [&](int32_t t) { return t >= 0 && instrStarts.count(uint32_t(t)) && jumpTargets.count(t); };
    for (const Item& i : items) {
        for (auto [b, e] = starts.equal_range(i.at); b != e; ++b) out += "battle " + std::to_string(b->second) + "\n";
        if (labelled(int32_t(i.at))) out += "L" + std::to_string(i.at) + ":\n";
        if (!i.plain) {
            out += i.length == 2 ? "  word " + std::to_string(I16At(code + i.at)) + "\n"
                                 : "  byte " + std::to_string(code[i.at]) + "\n";
            continue;
        }
        const FigOpInfo& info = *FindFigOp(I16At(code + i.at));
        std::vector<std::string> words;
        std::vector<std::pair<size_t, int32_t>> jumps;
        DecodeInstr(info, code + i.at, &words, &jumps);
        for (const auto& j : jumps)
            if (labelled(j.second)) words[j.first] = "L" + std::to_string(j.second);
        out += std::string("  ") + info.name;
        for (const std::string& word : words) out += " " + word;
        out += "\n";
    }
    for (auto [b, e] = starts.equal_range(uint32_t(size)); b != e; ++b) out += "battle " + std::to_string(b->second) + "\n";
    return out;
}

bool WriteFigTalk(const std::string& folder, const std::string& source, std::string* error) {
    std::vector<uint8_t> bytes;
    if (!AssembleFigTalk(source, &bytes, error)) return false;
    const std::string path = folder + "figtalk.dat";
    if (!WriteBytesToFile(path.c_str(), bytes)) {
        if (error) *error = "cannot write " + path;
        return false;
    }
    return true;
}
