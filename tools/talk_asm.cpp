#include "tools/talk_asm.h"

#include <cctype>
#include <cstring>
#include <set>

#include "base/bytes.h"
#include "tools/asm_text.h"
#include "tools/file_writer.h"
#include "world/script/talk_ops.h"

namespace {

// Code starts after the offset table with a shared end instruction that
// every entry the source does not name points at.
constexpr uint32_t kStubOffset = 4 * kTalkEntriesPerFile;
constexpr uint32_t kCodeStart = kStubOffset + 2;
constexpr uint32_t kMaxFile = 1000;


using EntryKey = std::pair<uint32_t, uint32_t>; // file, entry

struct Label {
    EntryKey entry;
    uint32_t at = 0; // byte in the entry's code
};

const struct {
    const char* name;
    uint16_t guid;
} kGuidNames[] = {{"player", kTalkGuidPlayer}, {"starter", kTalkGuidStarter}, {"none", kTalkGuidNone}};

bool IsLabel(const AsmStatement& s) { return s.head.size() > 1 && s.head.back() == ':' && s.args.empty(); }

// Fixed operands a signature takes (lists and counted groups aside).
size_t FixedCount(const char* sig) {
    size_t n = 0;
    for (; *sig && *sig != '*'; ++sig)
        if (!std::strchr("fvzl", *sig)) ++n;
    return n;
}

struct Assembler {
    std::vector<AsmStatement> statements;
    std::map<std::string, Label> labels;
    std::map<EntryKey, std::vector<uint8_t>> code;
    std::map<EntryKey, uint32_t> starts; // filled after pass 1
    bool resolve = false;                // pass 2: labels are known
    std::string* error = nullptr;

    bool Fail(int line, const std::string& why) {
        *error = "line " + std::to_string(line) + ": " + why;
        return false;
    }

    bool Parse(const std::string& source) { return ParseAsmSource(source, &statements, error); }

    bool Number(const AsmStatement& s, const AsmToken& t, long long lo, long long hi, long long* v) {
        if (!t.quoted) {
            for (const auto& g : kGuidNames)
                if (t.text == g.name && g.guid <= hi) {
                    *v = g.guid;
                    return true;
                }
            if (ParseAsmNumber(t.text, lo, hi, v)) return true;
        }
        return Fail(s.line, "bad number " + t.text);
    }

    bool Word(const AsmStatement& s, const AsmToken& t, ByteWriter* w, uint16_t banned, const char* why) {
        long long v = 0;
        if (!Number(s, t, -32768, 65535, &v)) return false;
        if (uint16_t(v) == banned && why) return Fail(s.line, why);
        w->u16(uint16_t(v));
        return true;
    }

    bool Target(const AsmStatement& s, const AsmToken& t, const EntryKey& here, ByteWriter* w) {
        if (t.quoted) return Fail(s.line, "bad target");
        const auto it = labels.find(t.text);
        uint32_t target = 0; // placeholder in pass 1 for labels further on
        long long v = 0;
        if (it != labels.end()) {
            if (it->second.entry.first != here.first)
                return Fail(s.line, "label " + t.text + " is in file " + std::to_string(it->second.entry.first));
            if (resolve) target = starts.at(it->second.entry) + it->second.at;
        } else if (ParseAsmNumber(t.text, 0, 0xFFFFFFFFll, &v)) {
            target = uint32_t(v);
        } else if (resolve) {
            return Fail(s.line, "undefined label " + t.text);
        }
        if (target == kTalkTargetListEnd) return Fail(s.line, "target 0xFF00FF00 would end the list");
        w->u32(target);
        return true;
    }

    // One fixed operand of kind c.
    bool Operand(const AsmStatement& s, const TalkOpInfo& info, char c, const AsmToken& t, const EntryKey& here,
                 ByteWriter* w) {
        switch (c) {
        case 't':
            return Target(s, t, here, w);
        case 'd': {
            long long v = 0;
            if (!Number(s, t, -2147483648ll, 0xFFFFFFFFll, &v)) return false;
            w->u32(uint32_t(v));
            return true;
        }
        case 's': {
            if (!t.quoted) return Fail(s.line, std::string(info.name) + " wants a text in quotes");
            if (t.text.find("%Q") != std::string::npos) return Fail(s.line, "text holds the end marker %Q");
            if (t.text.size() > info.maxText)
                return Fail(s.line, "text too long (" + std::to_string(t.text.size()) + " bytes, at most " +
                                        std::to_string(info.maxText) + ")");
            w->bytes(t.text.data(), t.text.size());
            w->u16(kTalkTextEnd);
            return true;
        }
        default:
            return Word(s, t, w, 0, nullptr);
        }
    }

    bool Instruction(const AsmStatement& s, const TalkOpInfo& info, const EntryKey& here, ByteWriter* w) {
        const char* sig = info.operands;
        const size_t fixed = FixedCount(sig);
        const char* list = std::strpbrk(sig, "fvzl*");
        const auto& args = s.args;
        const std::string wrong = "wrong operand count for " + std::string(info.name);
        if (!list ? args.size() != fixed : args.size() < fixed + (*list == '*' ? 1 : 0)) return Fail(s.line, wrong);
        w->u16(info.op);
        size_t a = 0;
        for (; *sig; ++sig) {
            const char c = *sig;
            if (c == '*') {
                const size_t group = std::strlen(sig + 1);
                long long count = 0;
                if (!Number(s, args[a++], 0, 65535, &count)) return false;
                const size_t left = args.size() - a;
                if (left % group || left / group != size_t(count & kTalkCountMask))
                    return Fail(s.line, wrong + ": the count word says " + std::to_string(count & kTalkCountMask) +
                                            " groups of " + std::to_string(group));
                w->u16(uint16_t(count));
                while (a < args.size())
                    for (const char* g = sig + 1; *g; ++g)
                        if (!Operand(s, info, *g, args[a++], here, w)) return false;
                return true;
            }
            if (std::strchr("fvzl", c)) {
                const size_t items = args.size() - fixed; // every other operand is fixed
                if (c == 'l' && items == 0) return Fail(s.line, std::string(info.name) + " needs at least one target");
                for (size_t k = 0; k < items; ++k, ++a) {
                    if (c == 'l') {
                        if (!Target(s, args[a], here, w)) return false;
                    } else if (!Word(s, args[a], w, c == 'z' ? 0 : kTalkListEnd,
                                     c == 'z' ? "0 would end the list" : "0xFF00 would end the list")) {
                        return false;
                    }
                }
                if (c == 'l')
                    w->u32(kTalkTargetListEnd);
                else
                    w->u16(c == 'z' ? 0 : kTalkListEnd);
                continue;
            }
            if (!Operand(s, info, c, args[a++], here, w)) return false;
        }
        return true;
    }

    // One pass over the statements; pass 1 measures (targets written as 0),
    // pass 2 writes the final bytes.
    bool Pass() {
        code.clear();
        uint32_t file = 1;
        bool inEntry = false;
        EntryKey here{0, 0};
        for (const AsmStatement& s : statements) {
            long long n = 0;
            if (s.head == "file" || s.head == "entry" || s.head == "talk") {
                if (s.args.size() != 1) return Fail(s.line, "wrong operand count for " + s.head);
                if (s.head == "file") {
                    if (!ParseAsmNumber(s.args[0].text, 1, kMaxFile, &n)) return Fail(s.line, "bad file number");
                    file = uint32_t(n);
                    inEntry = false;
                    continue;
                }
                if (s.head == "entry") {
                    if (!ParseAsmNumber(s.args[0].text, 0, kTalkEntriesPerFile - 1, &n))
                        return Fail(s.line, "bad entry number");
                    here = {file, uint32_t(n)};
                } else {
                    if (!ParseAsmNumber(s.args[0].text, 0, kMaxFile * kTalkEntriesPerFile - 1, &n))
                        return Fail(s.line, "bad talk number");
                    file = TalkFileNumber(uint32_t(n));
                    here = {file, TalkEntry(uint32_t(n))};
                }
                if (code.count(here)) return Fail(s.line, "talk given twice");
                code[here];
                inEntry = true;
                continue;
            }
            if (!inEntry) return Fail(s.line, "statement before the first entry");
            std::vector<uint8_t>& out = code[here];
            ByteWriter w(out);
            if (IsLabel(s)) {
                const std::string name = s.head.substr(0, s.head.size() - 1);
                if (!std::isalpha(uint8_t(name[0])) && name[0] != '_') return Fail(s.line, "label " + name + " does not start with a letter");
                for (const auto& g : kGuidNames)
                    if (name == g.name) return Fail(s.line, "label " + name + " names a GUID");
                if (!resolve && !labels.emplace(name, Label{here, uint32_t(out.size())}).second)
                    return Fail(s.line, "label " + name + " given twice");
                continue;
            }
            if (s.head == "byte" || s.head == "word") {
                for (const AsmToken& t : s.args) {
                    if (s.head == "word") {
                        if (!Word(s, t, &w, 0, nullptr)) return false;
                    } else if (!Number(s, t, 0, 255, &n)) {
                        return false;
                    } else {
                        w.u8(uint8_t(n));
                    }
                }
                continue;
            }
            const TalkOpInfo* info = FindTalkOpByName(s.head.c_str());
            if (!info) return Fail(s.line, "unknown instruction " + s.head);
            if (!Instruction(s, *info, here, &w)) return false;
        }
        return true;
    }
};

// Operand text of one decoded instruction, walking its signature; the
// instruction is known to fit (TalkInstrLength).
struct Decoded {
    std::vector<std::string> words;
    std::vector<std::pair<size_t, uint32_t>> targets; // operand index, target
};

uint32_t U16At(const uint8_t* p) { return uint32_t(p[0] | p[1] << 8); }
uint32_t U32At(const uint8_t* p) { return U16At(p) | U16At(p + 2) << 16; }

std::string GuidText(uint32_t v) {
    for (const auto& g : kGuidNames)
        if (g.guid == v) return g.name;
    return std::to_string(v);
}

void DecodeOperand(char c, const uint8_t* p, size_t* at, Decoded* d) {
    switch (c) {
    case 'w': d->words.push_back(std::to_string(U16At(p + *at))); *at += 2; break;
    case 'i': d->words.push_back(std::to_string(int16_t(U16At(p + *at)))); *at += 2; break;
    case 'g': d->words.push_back(GuidText(U16At(p + *at))); *at += 2; break;
    case 'd': d->words.push_back(std::to_string(U32At(p + *at))); *at += 4; break;
    case 't':
        d->targets.emplace_back(d->words.size(), U32At(p + *at));
        d->words.push_back(std::to_string(U32At(p + *at)));
        *at += 4;
        break;
    default: { // 's'
        size_t n = 0;
        while (!(p[*at + n] == '%' && p[*at + n + 1] == 'Q')) ++n;
        d->words.push_back(EscapeAsmText(p + *at, n));
        *at += n + 2;
    }
    }
}

void DecodeInstr(const TalkOpInfo& info, const uint8_t* p, Decoded* d) {
    size_t at = 2;
    for (const char* sig = info.operands; *sig; ++sig) {
        const char c = *sig;
        if (c == '*') {
            const uint32_t n = U16At(p + at);
            d->words.push_back(std::to_string(n));
            at += 2;
            for (uint32_t k = 0; k < (n & kTalkCountMask); ++k)
                for (const char* g = sig + 1; *g; ++g) DecodeOperand(*g, p, &at, d);
            return;
        }
        if (c == 'l') {
            while (U32At(p + at) != kTalkTargetListEnd) DecodeOperand('t', p, &at, d);
            at += 4;
        } else if (std::strchr("fvz", c)) {
            const uint32_t stop = c == 'z' ? 0 : kTalkListEnd;
            while (U16At(p + at) != stop) DecodeOperand(c == 'v' ? 'i' : 'w', p, &at, d);
            at += 2;
        } else {
            DecodeOperand(c, p, &at, d);
        }
    }
}

} // namespace

bool AssembleTalkFiles(const std::string& source, std::map<uint32_t, std::vector<uint8_t>>* files,
                       std::string* error) {
    std::string scratch;
    Assembler a;
    a.error = error ? error : &scratch;
    if (!a.Parse(source) || !a.Pass()) return false;
    // Layout: each file's entries in ascending order after the shared end.
    std::map<uint32_t, uint32_t> fileEnd;
    for (const auto& [key, bytes] : a.code) {
        uint32_t& end = fileEnd.try_emplace(key.first, kCodeStart).first->second;
        a.starts[key] = end;
        end += uint32_t(bytes.size());
    }
    a.resolve = true;
    if (!a.Pass()) return false;
    files->clear();
    for (const auto& entry : fileEnd) {
        const uint32_t file = entry.first;
        std::vector<uint8_t>& out = (*files)[file];
        ByteWriter w(out);
        w.padding(kTalkHeadBytes);
        for (uint32_t e = 0; e < kTalkEntriesPerFile; ++e) {
            const auto it = a.starts.find({file, e});
            w.u32(it == a.starts.end() ? kStubOffset : it->second);
        }
        w.u16(kTalkOpEnd);
        for (auto it = a.code.lower_bound({file, 0}); it != a.code.end() && it->first.first == file; ++it)
            w.bytes(it->second.data(), it->second.size());
    }
    return true;
}

std::string DisassembleTalkFile(uint32_t fileNumber, const std::vector<uint8_t>& bytes) {
    std::string out = "file " + std::to_string(fileNumber) + "\n";
    if (bytes.size() < kTalkHeadBytes + kStubOffset) return out + "; too short for a talk file\n";
    const uint8_t* code = bytes.data() + kTalkHeadBytes;
    const size_t size = bytes.size() - kTalkHeadBytes;
    const bool stub = size >= kCodeStart && U16At(code + kStubOffset) == kTalkOpEnd;
    // Entries by offset; an entry's code runs to the next larger offset.
    std::set<std::pair<uint32_t, uint32_t>> entries; // offset, entry
    std::set<uint32_t> offsets;
    for (uint32_t e = 0; e < kTalkEntriesPerFile; ++e) {
        const uint32_t offset = U32At(code + 4 * e);
        if (stub && offset == kStubOffset) continue;
        entries.emplace(offset, e);
        offsets.insert(offset);
    }
    auto walk = [&](auto&& each) {
        for (auto it = entries.begin(); it != entries.end(); ++it) {
            const auto next = std::next(it);
            const bool last = next == entries.end() || next->first != it->first;
            each(it->second, -1, 0u, 0u);
            if (!last) continue;
            uint32_t at = it->first;
            if (at < kCodeStart || at > size) {
                each(it->second, 1, at, 0u); // out of the code area
                continue;
            }
            const auto up = offsets.upper_bound(at);
            const uint32_t end = up == offsets.end() ? uint32_t(size) : *up;
            while (at < end) {
                uint32_t len = TalkInstrLength(code, end, at);
                const bool plain = len && !(U16At(code + at) & ~kTalkOpMask);
                if (!plain) len = end - at >= 2 ? 2 : 1;
                each(it->second, plain ? 0 : 2, at, len);
                at += len;
            }
        }
    };
    std::set<uint32_t> starts, targets;
    walk([&](uint32_t, int kind, uint32_t at, uint32_t) {
        if (kind < 0 || kind == 1) return;
        starts.insert(at);
        if (kind != 0) return;
        Decoded d;
        DecodeInstr(*FindTalkOp(uint16_t(U16At(code + at))), code + at, &d);
        for (const auto& t : d.targets) targets.insert(t.second);
    });
    walk([&](uint32_t entry, int kind, uint32_t at, uint32_t len) {
        if (kind < 0) {
            out += "entry " + std::to_string(entry) + "\n";
            return;
        }
        if (kind == 1) {
            out += "; code offset " + std::to_string(at) + " lies outside the file\n";
            return;
        }
        if (targets.count(at) && starts.count(at)) out += "L" + std::to_string(at) + ":\n";
        if (kind == 2) {
            out += "  byte";
            for (uint32_t k = 0; k < len; ++k) out += " " + std::to_string(code[at + k]);
            out += "\n";
            return;
        }
        const TalkOpInfo& info = *FindTalkOp(uint16_t(U16At(code + at)));
        Decoded d;
        DecodeInstr(info, code + at, &d);
        for (const auto& t : d.targets)
            if (targets.count(t.second) && starts.count(t.second)) d.words[t.first] = "L" + std::to_string(t.second);
        out += std::string("  ") + info.name;
        for (const std::string& word : d.words) out += " " + word;
        out += "\n";
    });
    return out;
}

std::string DisassembleTalkFiles(const std::map<uint32_t, std::vector<uint8_t>>& files) {
    std::string out;
    for (const auto& [number, bytes] : files) out += DisassembleTalkFile(number, bytes);
    return out;
}

bool WriteTalkFiles(const std::string& folder, const std::string& source, std::string* error) {
    std::map<uint32_t, std::vector<uint8_t>> files;
    if (!AssembleTalkFiles(source, &files, error)) return false;
    for (const auto& [number, bytes] : files) {
        const std::string path = folder + "Talk" + std::to_string(number) + ".dat";
        if (!WriteBytesToFile(path.c_str(), bytes)) {
            if (error) *error = "cannot write " + path;
            return false;
        }
    }
    return true;
}
