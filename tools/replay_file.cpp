#include "tools/replay_file.h"

#include <cctype>

#include "platform/headless/headless.h"
#include "tools/asm_text.h"

namespace {

bool Fail(const AsmStatement& s, const std::string& why, std::string* error) {
    *error = "line " + std::to_string(s.line) + ": " + why;
    return false;
}

bool IsCheckName(const std::string& name) {
    if (name.empty() || name.size() > 64) return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') return false;
    return true;
}

bool Number(const AsmToken& t, long long lo, long long hi, long long* v) {
    return !t.quoted && ParseAsmNumber(t.text, lo, hi, v);
}

// One "<frame> what ..." statement.
bool ParseItem(const AsmStatement& s, ReplayItem* item, std::string* error) {
    long long frame = 0;
    if (!ParseAsmNumber(s.head, 0, 0x7FFFFFFF, &frame)) return Fail(s, "an item starts with its frame", error);
    item->frame = uint32_t(frame);
    if (s.args.empty() || s.args[0].quoted) return Fail(s, "an item names what it is", error);
    const std::string& what = s.args[0].text;
    const size_t n = s.args.size() - 1;
    if (what == "key") {
        long long code = 0;
        if (n != 2 || !Number(s.args[1], 1, 255, &code)) return Fail(s, "key <code 1-255> down|up", error);
        const std::string& edge = s.args[2].text;
        if (s.args[2].quoted || (edge != "down" && edge != "up")) return Fail(s, "key <code 1-255> down|up", error);
        item->kind = ReplayKind::kKey;
        item->code = uint8_t(code);
        item->down = edge == "down";
        return true;
    }
    if (what == "mouse") {
        long long v[4] = {};
        const long long lo[4] = {-0x40000000LL, -0x40000000LL, 0, 0}, hi[4] = {0x40000000LL, 0x40000000LL, 1, 1};
        if (n != 4) return Fail(s, "mouse <x> <y> <left 0|1> <right 0|1>", error);
        for (int i = 0; i < 4; ++i)
            if (!Number(s.args[size_t(i) + 1], lo[i], hi[i], &v[i]))
                return Fail(s, "mouse <x> <y> <left 0|1> <right 0|1>", error);
        item->kind = ReplayKind::kMouse;
        item->mouse.x = int32_t(v[0]);
        item->mouse.y = int32_t(v[1]);
        item->mouse.button[0] = v[2] ? 0x80 : 0;
        item->mouse.button[1] = v[3] ? 0x80 : 0;
        return true;
    }
    if (what == "text") {
        if (n != 1 || !s.args[1].quoted || s.args[1].text.empty()) return Fail(s, "text \"<typed text>\"", error);
        item->kind = ReplayKind::kText;
        item->text = s.args[1].text;
        return true;
    }
    if (what == "close") {
        if (n != 0) return Fail(s, "close takes nothing", error);
        item->kind = ReplayKind::kClose;
        return true;
    }
    if (what == "check") {
        if (n != 1 || s.args[1].quoted || !IsCheckName(s.args[1].text))
            return Fail(s, "check <name of letters, digits and '-'>", error);
        item->kind = ReplayKind::kCheck;
        item->text = s.args[1].text;
        return true;
    }
    return Fail(s, "no item \"" + what + "\"", error);
}

} // namespace

std::vector<std::string> ReplayScript::CheckNames() const {
    std::vector<std::string> names;
    for (const ReplayLaunch& l : launches)
        for (const ReplayItem& i : l.items)
            if (i.kind == ReplayKind::kCheck) names.push_back(i.text);
    return names;
}

uint32_t ReplayScript::LastFrame() const {
    uint32_t last = 0;
    for (const ReplayLaunch& l : launches)
        if (!l.items.empty()) last = l.items.back().frame;
    return last;
}

bool ParseReplay(const std::string& text, ReplayScript* out, std::string* error) {
    std::vector<AsmStatement> statements;
    if (!ParseAsmSource(text, &statements, error)) return false;
    ReplayScript script;
    uint32_t last = 0;
    for (const AsmStatement& s : statements) {
        if (s.head == "launch") {
            if (!s.args.empty()) return Fail(s, "launch takes nothing", error);
            script.launches.emplace_back();
            continue;
        }
        if (script.launches.empty()) return Fail(s, "an item before the first launch", error);
        ReplayItem item;
        if (!ParseItem(s, &item, error)) return false;
        if (item.frame < last) return Fail(s, "frame " + std::to_string(item.frame) + " goes back", error);
        last = item.frame;
        script.launches.back().items.push_back(item);
    }
    *out = std::move(script);
    return true;
}

std::string FormatReplay(const ReplayScript& script, const std::vector<std::string>& header) {
    std::string out;
    for (const std::string& line : header) out += "; " + line + "\n";
    for (const ReplayLaunch& l : script.launches) {
        out += "launch\n";
        for (const ReplayItem& i : l.items) {
            out += std::to_string(i.frame) + " ";
            switch (i.kind) {
            case ReplayKind::kKey: out += "key " + std::to_string(i.code) + (i.down ? " down" : " up"); break;
            case ReplayKind::kMouse:
                out += "mouse " + std::to_string(i.mouse.x) + " " + std::to_string(i.mouse.y) + " " +
                       (i.mouse.button[0] ? "1 " : "0 ") + (i.mouse.button[1] ? "1" : "0");
                break;
            case ReplayKind::kText:
                out += "text " + EscapeAsmText(reinterpret_cast<const uint8_t*>(i.text.data()), i.text.size());
                break;
            case ReplayKind::kClose: out += "close"; break;
            case ReplayKind::kCheck: out += "check " + i.text; break;
            }
            out += "\n";
        }
    }
    return out;
}

void QueueReplayItem(const ReplayItem& item) {
    switch (item.kind) {
    case ReplayKind::kKey:
        HeadlessQueueKey(item.code, item.down, item.frame);
        HeadlessQueueEvent({item.down ? kPlatEventKeyDown : kPlatEventKeyUp, item.code, 0}, item.frame);
        break;
    case ReplayKind::kMouse: HeadlessQueueMouse(item.mouse, item.frame); break;
    case ReplayKind::kText: HeadlessQueueText(item.text.c_str(), item.frame); break;
    case ReplayKind::kClose: HeadlessQueueEvent({kPlatEventQuit, 0, 0}, item.frame); break;
    case ReplayKind::kCheck: break;
    }
}

void QueueReplayInputs(const ReplayLaunch& launch) {
    for (const ReplayItem& item : launch.items) QueueReplayItem(item);
}
