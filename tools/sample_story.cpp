#include "tools/sample_story.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "base/bytes.h"
#include "tools/asm_text.h"
#include "tools/mon_writer.h"
#include "tools/obj_db_writer.h"
#include "tools/refine_writer.h"

#ifndef KYV_SAMPLE_DIR
#define KYV_SAMPLE_DIR "sample"
#endif

namespace {

constexpr uint32_t kCellWall = 0x40000000;
constexpr int kGridMaxSide = 255;

std::string LineError(int line, const std::string& why) { return "line " + std::to_string(line) + ": " + why; }

bool IsMarker(char c) { return c == kGridStart || (c >= 'A' && c <= 'Z'); }
bool IsEvent(char c) { return c >= '1' && c <= '9'; }

int PlainTile(char c) {
    switch (c) {
    case kGridGrass: return kTileGrass;
    case kGridPath: return kTilePath;
    case kGridWater: return kTileWater;
    case kGridWall: return kTileWall;
    case kGridFloor: return kTileFloor;
    default: return IsEvent(c) ? kTileEvent : -1;
    }
}

// The fields of one record, read in order with one error for the record.
class Fields {
public:
    Fields(const AsmStatement& s, std::string* error) : s_(s), error_(error) {}
    bool Count(size_t n, bool orMore = false) {
        const size_t given = s_.args.size();
        if (given == n || (orMore && given > n)) return true;
        return Fail("\"" + s_.head + "\" takes " + std::to_string(n) + (orMore ? " or more" : "") + " fields, not " +
                    std::to_string(given));
    }
    bool Number(long long lo, long long hi, long long* v) {
        const AsmToken& t = Next();
        if (!t.quoted && ParseAsmNumber(t.text, lo, hi, v)) return true;
        return Fail("\"" + t.text + "\" is not a number in " + std::to_string(lo) + ".." + std::to_string(hi));
    }
    bool U16(uint16_t* v) {
        long long n = 0;
        if (!Number(0, 0xFFFF, &n)) return false;
        *v = uint16_t(n);
        return true;
    }
    bool Text(std::string* v) {
        const AsmToken& t = Next();
        if (t.quoted) {
            *v = t.text;
            return true;
        }
        return Fail("\"" + t.text + "\" is not a text in quotes");
    }
    bool Word(std::string* v) {
        *v = Next().text;
        return true;
    }
    bool More() const { return at_ < s_.args.size(); }
    size_t Given() const { return s_.args.size(); }
    const AsmToken& Peek() const { return s_.args[at_]; }
    bool Fail(const std::string& why) {
        *error_ = LineError(s_.line, why);
        return false;
    }

private:
    // Past the last field: an empty word, which no field accepts.
    const AsmToken& Next() { return at_ < s_.args.size() ? s_.args[at_++] : missing_; }
    const AsmStatement& s_;
    std::string* error_;
    size_t at_ = 0;
    const AsmToken missing_{};
};

// Runs `record` on every statement; an unknown record word is an error.
template <typename Record>
bool ForEachRecord(const std::string& text, std::string* error, Record record) {
    std::vector<AsmStatement> statements;
    if (!ParseAsmSource(text, &statements, error)) return false;
    for (const AsmStatement& s : statements) {
        Fields f(s, error);
        if (!record(s.head, f)) {
            if (error->empty()) *error = LineError(s.line, "unknown record \"" + s.head + "\"");
            return false;
        }
    }
    return true;
}

bool ParseWeather(const std::string& word, uint8_t* out) {
    static const std::pair<const char*, uint8_t> kNames[] = {{"none", 0}, {"rain", 0x04}, {"clouds", 0x40}, {"sparkles", 0x01}};
    for (const auto& [name, value] : kNames)
        if (word == name) return (*out = value), true;
    long long v = 0;
    if (!ParseAsmNumber(word, 0, 255, &v)) return false;
    *out = uint8_t(v);
    return true;
}

bool MapRecord(Fields& f, SampleStory* story) {
    StoryMap m;
    std::string weather;
    long long step = 0;
    if ((f.Given() != 8 && !f.Count(7)) || !f.U16(&m.number) || !f.U16(&m.code) || !f.Text(&m.name) || !f.Word(&m.gridFile) ||
        !f.U16(&m.track) || !f.Word(&weather))
        return false;
    if (!ParseWeather(weather, &m.weather)) return f.Fail("unknown weather \"" + weather + "\"");
    if (!f.Number(1, 16, &step)) return false;
    m.walkStep = uint8_t(step);
    if (f.More() && !f.U16(&m.battleGroup)) return false;
    story->maps.push_back(m);
    return true;
}

bool EventRecord(Fields& f, SampleStory* story) {
    StoryEvent e;
    long long point = 0;
    if (!f.Count(6) || !f.U16(&e.map) || !f.Number(1, 9, &point) || !f.U16(&e.talk) || !f.U16(&e.blockFlag) ||
        !f.U16(&e.clickFlag) || !f.Text(&e.name))
        return false;
    if (e.name.size() > 31) return f.Fail("a point's name is at most 31 bytes");
    e.point = uint16_t(point);
    story->events.push_back(e);
    return true;
}

bool FightAreaRecord_(Fields& f, SampleStory* story) {
    FightAreaRecord a{};
    if (!f.Count(6, true) || !f.U16(&a.map) || !f.U16(&a.left) || !f.U16(&a.top) || !f.U16(&a.right) ||
        !f.U16(&a.bottom))
        return false;
    while (f.More()) {
        uint16_t fight = 0;
        if (!f.U16(&fight)) return false;
        a.fights.push_back(fight);
    }
    story->fightAreas.push_back(a);
    return true;
}

// The object table's index of an id: ids 3000..3400 and 6001 on are mapped
// as the readers map them.
uint32_t ObjectTableIndex(uint32_t id) {
    if (id >= 3000 && id <= 3400) return id - 2500;
    if (id >= 6001) return id - 5100;
    return id;
}

// The item names the menus show by id: an object kept at a place of 901 or
// more is a magic numbered 5100 higher, and is named by that number too.
void NameObject(SampleStory* story, uint32_t id, const std::string& name) {
    story->itemNames[uint16_t(id)] = name;
    if (id >= 901 && id < 3000) story->itemNames[uint16_t(id + 5100)] = name;
}

// "wN=value" of an object record.
bool ObjectWord(const std::string& token, std::map<int, uint16_t>* words) {
    const size_t eq = token.find('=');
    long long word = 0, value = 0;
    if (token.size() < 4 || token[0] != 'w' || eq == std::string::npos) return false;
    if (!ParseAsmNumber(token.substr(1, eq - 1), 0, 20, &word) ||
        !ParseAsmNumber(token.substr(eq + 1), 0, 0xFFFF, &value))
        return false;
    (*words)[int(word)] = uint16_t(value);
    return true;
}

// "kind=value" (the magic type), "next=id" (a treasure's successor, word
// 150) or "eN=value" (element byte N, signed) of an object record; false
// when the token is none of them.
bool ObjectFixedField(const std::string& token, ObjFixedFields* fixed, bool* bad) {
    const size_t eq = token.find('=');
    if (eq == std::string::npos) return false;
    const std::string key = token.substr(0, eq), value = token.substr(eq + 1);
    long long v = 0;
    if (key == "kind") {
        *bad = !ParseAsmNumber(value, 0, 0xFFFF, &v);
        fixed->kind = uint16_t(v);
        return true;
    }
    if (key == "next") {
        *bad = !ParseAsmNumber(value, 0, 0xFFFF, &v);
        fixed->successor = uint16_t(v);
        return true;
    }
    if (key.size() == 2 && key[0] == 'e' && key[1] >= '0' && key[1] <= '4') {
        *bad = !ParseAsmNumber(value, -128, 127, &v);
        fixed->element[key[1] - '0'] = int8_t(v);
        return true;
    }
    return false;
}

bool ObjectRecord(Fields& f, SampleStory* story) {
    uint16_t id = 0;
    long long type = 0;
    std::string name, description;
    std::map<int, uint16_t> words;
    ObjFixedFields fixed{};
    bool hasFixed = false;
    long long price = 0;
    if (!f.Count(4, true) || !f.U16(&id) || !f.Text(&name) || !f.Number(0, 0xFFFFFFFFll, &type)) return false;
    while (f.More() && !f.Peek().quoted) {
        std::string token;
        f.Word(&token);
        if (token.rfind("price=", 0) == 0) {
            if (!ParseAsmNumber(token.substr(6), 0, 0xFFFF, &price)) return f.Fail("\"" + token + "\" is not price=0..65535");
            continue;
        }
        bool bad = false;
        if (ObjectFixedField(token, &fixed, &bad)) {
            if (bad) return f.Fail("\"" + token + "\" is out of range");
            hasFixed = true;
            continue;
        }
        if (!ObjectWord(token, &words)) return f.Fail("\"" + token + "\" is not wN=value (N 0..20)");
    }
    if (!f.Text(&description) || f.More()) return f.Fail("an object ends with its description");
    story->objects[ObjectTableIndex(id)] =
        hasFixed ? ObjectRecordBytes(name, uint32_t(type), words, fixed, description, uint16_t(price))
                 : ObjectRecordBytes(name, uint32_t(type), words, description, uint16_t(price));
    NameObject(story, id, name);
    return true;
}

// A monster carries its battle block (tag 1): 79 bytes laid over record
// bytes 84..162 (tools/mon_writer.h). The level, attack, defence, agility
// and life come in order, then any other field as name=value (exp, silver,
// wisdom, action, threshold, class, sprite, type, drop, dropchance, steal,
// stealchance, trigger, reaction, block, escape, switch, spellchance,
// specialchance, leave, tint, e0..e4, slot0..slot6=id:count).
bool MonsterField(const std::string& token, MonsterSpec* m) {
    const size_t eq = token.find('=');
    if (eq == std::string::npos) return false;
    const std::string key = token.substr(0, eq), text = token.substr(eq + 1);
    long long v = 0;
    auto u16 = [&](uint16_t* to) { return ParseAsmNumber(text, 0, 0xFFFF, &v) && ((*to = uint16_t(v)), true); };
    auto u8 = [&](uint8_t* to) { return ParseAsmNumber(text, 0, 0xFF, &v) && ((*to = uint8_t(v)), true); };
    if (key == "type") return ParseAsmNumber(text, 0, 0xFFFFFFFFll, &v) && ((m->typeBits = uint32_t(v)), true);
    if (key == "sprite") return u16(&m->spriteSet);
    if (key == "use") return u16(&m->useWord);
    if (key == "class") return u16(&m->monClass);
    if (key == "wisdom") return u16(&m->wisdom);
    if (key == "action") return u16(&m->attackAction);
    if (key == "threshold") return u16(&m->ailmentThreshold);
    if (key == "exp") return u16(&m->experience);
    if (key == "silver") return u16(&m->silver);
    if (key == "drop") return u16(&m->dropObject);
    if (key == "dropchance") return u8(&m->dropChance);
    if (key == "steal") return u16(&m->stealObject);
    if (key == "stealchance") return u8(&m->stealChance);
    if (key == "trigger") return u16(&m->trigger);
    if (key == "reaction") return u16(&m->reaction);
    if (key == "block") return u8(&m->blockChance);
    if (key == "escape") return u8(&m->escapeChance);
    if (key == "switch") return u8(&m->specialSwitch);
    if (key == "spellchance") return u8(&m->spellChance);
    if (key == "specialchance") return u8(&m->specialChance);
    if (key == "leave") return u8(&m->leaveMark);
    if (key == "tint") return u8(&m->tint);
    if (key.size() == 2 && key[0] == 'e' && key[1] >= '0' && key[1] <= '4')
        return ParseAsmNumber(text, -128, 127, &v) && ((m->element[key[1] - '0'] = int8_t(v)), true);
    if (key.size() == 5 && key.compare(0, 4, "slot") == 0 && key[4] >= '0' && key[4] <= '6') {
        const size_t colon = text.find(':');
        long long id = 0, count = 0;
        if (colon == std::string::npos || !ParseAsmNumber(text.substr(0, colon), 0, 0xFFFF, &id) ||
            !ParseAsmNumber(text.substr(colon + 1), 0, 0xFFFF, &count))
            return false;
        m->slotId[key[4] - '0'] = uint16_t(id);
        m->slotCount[key[4] - '0'] = uint16_t(count);
        return true;
    }
    return false;
}

bool MonsterRecord(Fields& f, SampleStory* story) {
    uint16_t id = 0;
    long long life = 0;
    MonsterSpec m;
    std::string name, description;
    if (!f.Count(8, true) || !f.U16(&id) || !f.Text(&name) || !f.U16(&m.level) || !f.U16(&m.attack) ||
        !f.U16(&m.defence) || !f.U16(&m.agility) || !f.Number(0, 0xFFFFFFFFll, &life))
        return false;
    m.life = uint32_t(life);
    while (f.More() && !f.Peek().quoted) {
        std::string token;
        f.Word(&token);
        if (!MonsterField(token, &m)) return f.Fail("\"" + token + "\" is not a monster field (name=value)");
    }
    if (!f.Text(&description) || f.More()) return f.Fail("a monster ends with its description");
    story->objects[id] = MonsterRecordBytes(name, m, description);
    // A captured creature or a guard in the bag is named as the item.
    NameObject(story, id, name);
    return true;
}

// An object with words of its fixed block: "bN=value" sets the u16 at byte
// N (84..161: 84 picture, 86 type, 88 level, 108..132 skills, 161 the
// no-result byte).
bool BlockObjectRecord(Fields& f, SampleStory* story) {
    uint16_t id = 0;
    long long type = 0;
    std::string name, description;
    std::map<int, uint16_t> words;
    if (!f.Count(4, true) || !f.U16(&id) || !f.Text(&name) || !f.Number(0, 0xFFFFFFFFll, &type)) return false;
    while (f.More() && !f.Peek().quoted) {
        std::string token;
        f.Word(&token);
        const size_t eq = token.find('=');
        long long at = 0, value = 0;
        if (token.size() < 4 || token[0] != 'b' || eq == std::string::npos ||
            !ParseAsmNumber(token.substr(1, eq - 1), 84, 161, &at) ||
            !ParseAsmNumber(token.substr(eq + 1), 0, 0xFFFF, &value))
            return f.Fail("\"" + token + "\" is not bN=value (N 84..161)");
        words[int(at)] = uint16_t(value);
    }
    if (!f.Text(&description) || f.More()) return f.Fail("an object ends with its description");
    story->objects[id] = BlockObjectBytes(name, uint32_t(type), words, description);
    NameObject(story, id, name);
    return true;
}

// One named field of an action record ("rate=120"); false for an unknown
// name or a value out of its range.
bool ActionField(const std::string& token, ActionSpec* a) {
    const size_t eq = token.find('=');
    if (eq == std::string::npos) return false;
    const std::string key = token.substr(0, eq), text = token.substr(eq + 1);
    long long v = 0;
    auto u16 = [&](uint16_t* to) { return ParseAsmNumber(text, 0, 0xFFFF, &v) && ((*to = uint16_t(v)), true); };
    auto i16 = [&](int16_t* to) { return ParseAsmNumber(text, -32768, 32767, &v) && ((*to = int16_t(v)), true); };
    auto u8 = [&](uint8_t* to) { return ParseAsmNumber(text, 0, 0xFF, &v) && ((*to = uint8_t(v)), true); };
    if (key == "flags") return ParseAsmNumber(text, 0, 0xFFFFFFFFll, &v) && ((a->flags = uint32_t(v)), true);
    if (key == "mask") return ParseAsmNumber(text, 0, 0xFFFFFFFFll, &v) && ((a->mask = uint32_t(v)), true);
    if (key == "followup") return u16(&a->followUp);
    if (key == "kind") return u16(&a->kind);
    if (key == "second") return u16(&a->second);
    if (key == "rate") return u16(&a->rate);
    if (key == "resist") return u16(&a->resistElement);
    if (key == "effect") return u16(&a->effectId);
    if (key == "preset") return u16(&a->preset);
    if (key == "summon") return u16(&a->summonWord);
    if (key == "steal") return u16(&a->stealChance);
    if (key == "pointx") return (a->hasPoint = true) && i16(&a->pointX);
    if (key == "pointy") return (a->hasPoint = true) && i16(&a->pointY);
    if (key == "duration") return u8(&a->duration);
    if (key == "defeat") return u8(&a->defeatEffect);
    return false;
}

bool ActionRecord(Fields& f, SampleStory* story) {
    uint16_t id = 0;
    long long value = 0;
    ActionSpec spec;
    if (!f.Count(4, true) || !f.U16(&id) || !f.Number(0, 0xFFFFFFFFll, &value) || !f.U16(&spec.element) ||
        !f.U16(&spec.ailment))
        return false;
    spec.value = uint32_t(value);
    while (f.More()) {
        std::string token;
        f.Word(&token);
        if (!ActionField(token, &spec)) return f.Fail("\"" + token + "\" is not an action field (name=value)");
    }
    story->actions[id] = ActionRecordBytes(spec);
    return true;
}

// A creature for the book: its type, level, battle numbers, picture (act
// pack 59) and up to three skill ids (object words 108, 112, 116).
bool CreatureRecord(Fields& f, SampleStory* story) {
    uint16_t id = 0, type = 0, level = 0, attack = 0, defence = 0, agility = 0, life = 0, picture = 0;
    std::string name, description;
    if (!f.Count(10, true) || !f.U16(&id) || !f.Text(&name) || !f.U16(&type) || !f.U16(&level) || !f.U16(&attack) ||
        !f.U16(&defence) || !f.U16(&agility) || !f.U16(&life) || !f.U16(&picture))
        return false;
    std::vector<uint16_t> skills;
    while (f.More() && !f.Peek().quoted && skills.size() < 3) {
        uint16_t skill = 0;
        if (!f.U16(&skill)) return false;
        skills.push_back(skill);
    }
    if (!f.Text(&description) || f.More()) return f.Fail("a creature ends with its description");
    std::vector<uint8_t> block(79, 0);
    auto put16 = [&](size_t at, uint16_t v) {
        block[at - 84] = uint8_t(v);
        block[at - 83] = uint8_t(v >> 8);
    };
    put16(84, picture);
    put16(86, type);
    put16(88, level);
    put16(90, attack);
    put16(92, defence);
    put16(94, agility);
    put16(104, life);
    for (size_t i = 0; i < skills.size(); ++i) put16(108 + 4 * i, skills[i]);
    TagStream creature;
    creature.Tag(1000).Text(name).Tag(25).U16(0).U32(0x800).Tag(1).Raw(block).Tag(30).Text(description);
    story->objects[ObjectTableIndex(id)] = creature.End();
    NameObject(story, id, name);
    return true;
}

bool KnownRecord(Fields& f, SampleStory* story) {
    uint16_t id = 0, count = 0;
    if (!f.Count(2) || !f.U16(&id) || !f.U16(&count)) return false;
    if (id < 1 || id > 500 || count > 20) return f.Fail("a known creature is 1..500, its count 0..20");
    story->known.push_back({int(id), count});
    return true;
}

// "exitgroup <head map> <x> <y> <map>..." and "travel "<name>" <map> <x>
// <y> <map>...": the words as the tables store them, at least `least` of
// them.
bool WordsRecord(Fields& f, std::vector<uint16_t>* words, size_t least) {
    while (f.More()) {
        uint16_t w = 0;
        if (!f.U16(&w)) return false;
        words->push_back(w);
    }
    return words->size() >= least || f.Fail("too few numbers");
}

// A role's cell letter is kept in its kept word until the grids are read.
bool RoleRecord_(Fields& f, SampleStory* story) {
    std::string cell;
    RoleDef d{};
    long long flags = 0;
    if (!f.Count(7) || !f.Word(&cell) || !f.U16(&d.guid) || !f.U16(&d.act[0]) || !f.U16(&d.act[2]) ||
        !f.U16(&d.talk) || !f.U16(&d.path) || !f.Number(0, 0xFFFF, &flags))
        return false;
    if (cell.size() != 1 || cell[0] < 'A' || cell[0] > 'Z') return f.Fail("a role's cell is a letter A-Z");
    d.flags = uint16_t(flags);
    d.kept = uint16_t(cell[0]);
    story->roleDefs.push_back(d);
    return true;
}

bool FigureRecord(Fields& f, SampleStory* story) {
    FigureSpec fig;
    long long rgb[3] = {};
    if (!f.Count(5) || !f.U16(&fig.act) || !f.Text(&fig.label)) return false;
    for (long long& c : rgb)
        if (!f.Number(0, 31, &c)) return false;
    fig.colour = ArtRgb(int(rgb[0]), int(rgb[1]), int(rgb[2]));
    story->figures.push_back(fig);
    return true;
}

std::string ReadText(const std::string& path, bool* ok) {
    std::ifstream in(path, std::ios::binary);
    *ok = bool(in);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const StoryMap* FindMap(const SampleStory& story, uint16_t number) {
    for (const StoryMap& m : story.maps)
        if (m.number == number) return &m;
    return nullptr;
}

// Places the roles and the start on their grid cells.
bool PlaceOnGrids(SampleStory* story, std::string* error) {
    for (RoleDef& d : story->roleDefs) {
        if (d.map == 1000) continue;  // a realm marker: on no map
        const char letter = char(d.kept);
        d.kept = 0;
        bool found = false;
        for (const StoryMap& m : story->maps) {
            int x = 0, y = 0;
            if (!FindGridCell(m.grid, letter, &x, &y)) continue;
            if (found) return (*error = std::string("role cell ") + letter + " is on two maps"), false;
            found = true;
            d.map = m.number;
            d.cellX = uint16_t(x);
            d.cellY = uint16_t(y);
        }
        if (!found) return (*error = std::string("role cell ") + letter + " is on no map"), false;
    }
    const StoryMap* startMap = FindMap(*story, story->start[0]);
    int x = 0, y = 0;
    if (startMap == nullptr || !FindGridCell(startMap->grid, kGridStart, &x, &y))
        return (*error = "the start map has no '@' cell"), false;
    story->start[1] = uint16_t(x);
    story->start[2] = uint16_t(y);
    for (const StoryEvent& e : story->events) {
        const StoryMap* m = FindMap(*story, e.map);
        if (m == nullptr || !FindGridCell(m->grid, char('0' + e.point), &x, &y))
            return (*error = "event " + std::to_string(e.point) + " of map " + std::to_string(e.map) +
                             " has no cell"),
                   false;
    }
    return true;
}

} // namespace

bool ParseStoryGrid(const std::string& text, StoryGrid* out, std::string* error) {
    *out = StoryGrid{};
    std::istringstream in(text);
    std::string row;
    for (int line = 1; std::getline(in, row); ++line) {
        if (!row.empty() && row.back() == '\r') row.pop_back();
        if (row.empty() || row[0] == ';') continue;
        if (out->width == 0) out->width = int(row.size());
        if (int(row.size()) != out->width)
            return (*error = LineError(line, "a row of " + std::to_string(row.size()) + " cells in a grid " +
                                                 std::to_string(out->width) + " wide")),
                   false;
        for (char c : row)
            if (PlainTile(c) < 0 && !IsMarker(c))
                return (*error = LineError(line, std::string("unknown cell '") + c + "'")), false;
        out->rows.push_back(row);
        if (out->rows.size() > size_t(kGridMaxSide) || out->width > kGridMaxSide)
            return (*error = LineError(line, "a grid is at most 255 cells a side")), false;
    }
    out->height = int(out->rows.size());
    if (out->height == 0) return (*error = "the grid has no rows"), false;
    return true;
}

int StoryGridTile(const StoryGrid& grid, int x, int y) {
    for (int at = x; at >= 0; --at) {
        const char c = grid.At(at, y);
        if (!IsMarker(c)) return IsEvent(c) && at != x ? kTilePath : PlainTile(c);
    }
    return kTileGrass;
}

bool FindGridCell(const StoryGrid& grid, char marker, int* x, int* y) {
    for (int row = 0; row < grid.height; ++row) {
        const size_t at = grid.rows[size_t(row)].find(marker);
        if (at != std::string::npos) {
            *x = int(at);
            *y = row;
            return true;
        }
    }
    return false;
}

std::string SampleSourceFolder() { return KYV_SAMPLE_DIR; }

bool ParseStoryMaps(const std::string& text, SampleStory* story, std::string* error) {
    return ForEachRecord(text, error, [&](const std::string& head, Fields& f) {
        if (head == "map") return MapRecord(f, story);
        if (head == "event") return EventRecord(f, story);
        if (head == "fightarea") return FightAreaRecord_(f, story);
        if (head == "battlegroup") {
            // One row of the battle steps: four (steps, percent) pairs.
            if (!f.Count(8)) return false;
            for (int i = 0; i < 8; ++i) {
                uint16_t v = 0;
                if (!f.U16(&v)) return false;
                if (v == 0xFFFF) return f.Fail("65535 ends the battle steps; a row cannot hold it");
                story->battleSteps.push_back(v);
            }
            return true;
        }
        if (head == "track") {
            uint16_t n = 0;
            std::string file;
            if (!f.Count(2) || !f.U16(&n) || !f.Text(&file)) return false;
            story->tracks[n] = file;
            return true;
        }
        if (head == "start") {
            if (!f.Count(5)) return false;
            for (int i : {0, 3, 4, 5, 6})
                if (!f.U16(&story->start[i])) return false;
            return true;
        }
        if (head == "exitgroup") {
            story->exitGroups.emplace_back();
            return f.Count(4, true) && WordsRecord(f, &story->exitGroups.back(), 4);
        }
        if (head == "travel") {
            SampleStory::Travel t;
            if (!f.Count(5, true) || !f.Text(&t.name) || !WordsRecord(f, &t.words, 4)) return false;
            story->travel.push_back(t);
            return true;
        }
        if (head == "learn") {
            uint16_t member = 0, id = 0;
            if (!f.Count(2) || !f.U16(&member) || !f.U16(&id)) return false;
            if (member > 3) return f.Fail("members are 0..3");
            story->learned[member].push_back(id);
            return true;
        }
        if (head == "refinetype" || head == "recipe") {
            uint16_t a = 0, b = 0, result = 0;
            if (!f.Count(3) || !f.U16(&a) || !f.U16(&b) || !f.U16(&result)) return false;
            if (head == "recipe") {
                story->recipes.push_back({a, b, result});
                return true;
            }
            if (a > 15 || b > 15) return f.Fail("refining types are 0..15");
            story->refineTypes[{a, b}] = result;
            return true;
        }
        if (head == "bag") {
            uint16_t id = 0, count = 0;
            if (!f.Count(2) || !f.U16(&id) || !f.U16(&count)) return false;
            story->bag.push_back({id, count});
            return true;
        }
        return false;
    });
}

bool ParseStoryRoles(const std::string& text, SampleStory* story, std::string* error) {
    return ForEachRecord(text, error, [&](const std::string& head, Fields& f) {
        if (head == "role") return RoleRecord_(f, story);
        if (head == "figure") return FigureRecord(f, story);
        if (head == "marker") {
            // A realm marker's definition: on no map (1000) until placed.
            RoleDef d{};
            if (!f.Count(1) || !f.U16(&d.guid)) return false;
            d.map = 1000;
            d.act[0] = 641;
            d.flags = 0x8000;
            story->roleDefs.push_back(d);
            return true;
        }
        if (head == "name") {
            uint16_t n = 0;
            std::string name;
            if (!f.Count(2) || !f.U16(&n) || !f.Text(&name)) return false;
            if (n > 999) return f.Fail("name numbers stop at 999");
            story->names[n] = name;
            return true;
        }
        return false;
    });
}

bool ParseStoryObjects(const std::string& text, SampleStory* story, std::string* error) {
    return ForEachRecord(text, error, [&](const std::string& head, Fields& f) {
        if (head == "object") return ObjectRecord(f, story);
        if (head == "monster") return MonsterRecord(f, story);
        if (head == "action") return ActionRecord(f, story);
        if (head == "creature") return CreatureRecord(f, story);
        if (head == "known") return KnownRecord(f, story);
        if (head == "blockobject") return BlockObjectRecord(f, story);
        return false;
    });
}

bool ParseStoryScenes(const std::string& text, SampleStory* story, std::string* error) {
    BattleSceneRecord* scene = nullptr;
    return ForEachRecord(text, error, [&](const std::string& head, Fields& f) {
        if (head == "scene") {
            long long number = 0, background = 0;
            if (!f.Count(2) || !f.Number(1, kSceneCount - 1, &number) || !f.Number(0, 0xFFFF, &background))
                return false;
            std::vector<BattleSceneRecord>& variants = story->scenes[uint16_t(number)];
            if (variants.size() >= 127) return f.Fail("a scene has at most 127 variants");
            variants.push_back(BattleSceneRecord{});
            scene = &variants.back();
            scene->background = uint32_t(background);
            return true;
        }
        if (head != "enemy" && head != "sprite") return false;
        if (scene == nullptr) return f.Fail("\"" + head + "\" comes after a scene");
        if (head == "enemy") {
            uint16_t id = 0, x = 0, y = 0, mark = 0;
            if (!f.Count(3, true) || !f.U16(&id) || !f.U16(&x) || !f.U16(&y) || (f.More() && !f.U16(&mark)))
                return false;
            if (f.More()) return f.Fail("an enemy takes 3 or 4 fields");
            if (id == 0) return f.Fail("an enemy names a monster");
            if (scene->enemyCount >= kSceneEnemies) return f.Fail("a scene holds at most 20 enemies");
            const int i = scene->enemyCount++;
            scene->monsterId[i] = id;
            scene->homeX[i] = x;
            scene->homeY[i] = y;
            scene->targetMark[i] = mark;
            return true;
        }
        uint16_t act = 0;
        long long x = 0, y = 0;
        if (!f.Count(3) || !f.U16(&act) || !f.Number(-640, 1280, &x) || !f.Number(-480, 960, &y)) return false;
        if (scene->spriteCount >= kSceneSprites) return f.Fail("a scene holds at most 8 sprites");
        const int i = scene->spriteCount++;
        scene->spriteAct[i] = act;
        scene->spriteX[i] = int32_t(x);
        scene->spriteY[i] = int32_t(y);
        return true;
    });
}

bool LoadSampleStory(const std::string& folder, SampleStory* out, std::string* error) {
    *out = SampleStory{};
    const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    auto read = [&](const std::string& name, std::string* text) {
        bool ok = false;
        *text = ReadText(base + name, &ok);
        if (!ok) *error = name + ": cannot be read";
        return ok;
    };
    auto parse = [&](const std::string& name, bool (*parser)(const std::string&, SampleStory*, std::string*)) {
        std::string text;
        if (!read(name, &text)) return false;
        if (parser(text, out, error)) return true;
        *error = name + ": " + *error;
        return false;
    };
    if (!parse("maps.txt", ParseStoryMaps) || !parse("roles.txt", ParseStoryRoles) ||
        !parse("objects.txt", ParseStoryObjects) || !read("talk.txt", &out->talkSource) ||
        !read("paths.txt", &out->pathSource))
        return false;
    for (StoryMap& m : out->maps) {
        std::string text;
        if (!read(m.gridFile, &text)) return false;
        if (!ParseStoryGrid(text, &m.grid, error)) return (*error = m.gridFile + ": " + *error), false;
    }
    if (!PlaceOnGrids(out, error)) return (*error = "roles.txt/maps.txt: " + *error), false;
    return parse("battle.txt", ParseStoryScenes) && read("figtalk.txt", &out->figSource);
}

std::vector<LmfMap> StoryLmfMaps(const SampleStory& story) {
    std::vector<LmfMap> maps;
    const std::vector<uint8_t> layer = StoryTileLayer();
    for (const StoryMap& s : story.maps) {
        LmfMap m;
        m.code = s.code;
        m.width = uint16_t(s.grid.width);
        m.height = uint16_t(s.grid.height);
        m.frames = 2;  // water moves between its two tiles
        const size_t cells = size_t(m.width) * m.height;
        m.cells.assign(cells, 0);
        m.tiles.assign(cells * 2, 0);
        for (int y = 0; y < s.grid.height; ++y)
            for (int x = 0; x < s.grid.width; ++x) {
                const size_t i = size_t(y) * m.width + size_t(x);
                const int tile = StoryGridTile(s.grid, x, y);
                const char c = s.grid.At(x, y);
                if (tile == kTileWall || tile == kTileWater) m.cells[i] = kCellWall;
                if (IsEvent(c)) m.cells[i] |= uint32_t(c - '0');
                m.tiles[i] = uint32_t(tile);
                m.tiles[cells + i] = uint32_t(tile == kTileWater ? kTileWaterB : tile);
            }
        m.pixels = layer;
        for (const StoryEvent& e : story.events)
            if (e.map == s.number) m.points.push_back({e.point, {e.talk, e.blockFlag, e.clickFlag}, e.name});
        maps.push_back(std::move(m));
    }
    return maps;
}

std::vector<std::string> StoryNames(const SampleStory& story) {
    std::vector<std::string> names(story.names.empty() ? 0 : size_t(story.names.rbegin()->first) + 1);
    for (const auto& [n, name] : story.names) names[n] = name;
    return names;
}

namespace {

void PutLe16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

// Table 19: a u32 offset (from the image's start) for every id up to the
// highest named one, then the names, each ended by "%Q"; ids without a name
// point at an empty text.
std::vector<uint8_t> ItemNameTable(uint32_t at, const std::map<uint16_t, std::string>& names) {
    const size_t slots = names.empty() ? 0 : size_t(names.rbegin()->first) + 1;
    std::vector<uint8_t> t(slots * 4, 0);
    auto text = [&](const std::string& name) {
        const uint32_t offset = at + uint32_t(t.size());
        t.insert(t.end(), name.begin(), name.end());
        t.push_back('%');
        t.push_back('Q');
        return offset;
    };
    const uint32_t empty = text("");
    for (size_t id = 0; id < slots; ++id) {
        const auto it = names.find(uint16_t(id));
        const uint32_t offset = it == names.end() ? empty : text(it->second);
        for (int b = 0; b < 4; ++b) t[id * 4 + size_t(b)] = uint8_t(offset >> (8 * b));
    }
    return t;
}

std::vector<uint8_t> ExitGroupTable(const std::vector<std::vector<uint16_t>>& groups) {
    std::vector<uint8_t> t;
    for (const auto& g : groups) {
        for (uint16_t w : g) PutLe16(t, w);
        PutLe16(t, 0xFFFF);
    }
    PutLe16(t, 0xFFFF);
    return t;
}

std::vector<uint8_t> TravelTable(const std::vector<SampleStory::Travel>& entries) {
    std::vector<uint8_t> t;
    for (const auto& e : entries) {
        t.insert(t.end(), e.name.begin(), e.name.end());
        t.push_back('%');
        t.push_back('Q');
        for (uint16_t w : e.words) PutLe16(t, w);
        PutLe16(t, 0xFFFF);
    }
    PutLe16(t, 0xFFFF);
    return t;
}

MapsTables StoryTables(const SampleStory& story, uint32_t musicAt, uint32_t fightsAt) {
    MapsTables t;
    std::vector<MapListRecord> records;
    std::vector<std::vector<uint16_t>> music;
    for (const StoryMap& m : story.maps) {
        MapListRecord r;
        r.map = m.number;
        r.code = m.code;
        r.weather = m.weather;
        r.walkStep = m.walkStep;
        r.battleGroup = m.battleGroup;
        r.tilePeriod = 8;
        records.push_back(r);
        music.push_back({m.number, m.track, m.track, 1});
    }
    std::vector<std::string> tracks = {"none"};
    for (const auto& [n, file] : story.tracks) {
        if (tracks.size() <= n) tracks.resize(size_t(n) + 1, "none");
        tracks[n] = file;
    }
    t[3] = MapListTable(records);
    t[2] = MusicTable(musicAt, tracks, music);
    t[7] = FightAreaTable(fightsAt, story.fightAreas);
    t[21] = WordTable({0});
    if (!story.exitGroups.empty()) t[22] = ExitGroupTable(story.exitGroups);
    if (!story.travel.empty()) t[23] = TravelTable(story.travel);
    return t;
}

} // namespace

std::vector<uint8_t> BuildStoryMapsDat(const SampleStory& story, MapsDatSpec spec) {
    spec.roleDefs = story.roleDefs;
    std::copy(std::begin(story.start), std::end(story.start), spec.start);
    spec.bag = story.bag;
    if (!story.battleSteps.empty()) spec.battleSteps = story.battleSteps;
    for (int m = 0; m < 4; ++m) spec.magic[m].insert(spec.magic[m].end(), story.learned[m].begin(), story.learned[m].end());
    if (!story.refineTypes.empty() || !story.recipes.empty())
        spec.raw[24] = RefineTableBytes(story.refineTypes, story.recipes);
    spec.mapNames.clear();
    for (const StoryMap& m : story.maps) spec.mapNames.push_back({m.number, m.name});
    // The music and fight tables hold offsets from the image's start: build
    // once to learn where they lie (their size does not depend on it), then
    // again with the offsets.
    uint32_t musicAt = 0, fightsAt = 0, namesAt = 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (auto& [n, bytes] : StoryTables(story, musicAt, fightsAt)) spec.raw[n] = bytes;
        spec.raw[19] = ItemNameTable(namesAt, story.itemNames);
        const std::vector<uint8_t> image = BuildMapsImage(spec);
        ByteReader r(image.data(), image.size());
        r.seek(4 * 2);
        musicAt = r.u32();
        r.seek(4 * 7);
        fightsAt = r.u32();
        r.seek(4 * 19);
        namesAt = r.u32();
    }
    return BuildMapsDat(spec);
}
