// The sample story's sources (sample/): they read, the talk and path
// scripts assemble and disassemble to the same bytes, every talk and path
// the tables name is there, every instruction of every talk decodes with
// the game's own length rule, and broken sources give one clear error.
#include "tools/sample_story.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/nick_names.h"
#include "tests/support/talk_walk.h"
#include "tests/support/temp_folder.h"
#include "tools/path_asm.h"
#include "tools/talk_asm.h"
#include "world/script/path_data.h"
#include "world/org/obj_record.h"
#include "world/script/talk_ops.h"

namespace {

using Files = std::map<uint32_t, std::vector<uint8_t>>;

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24);
}

class SampleStoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(LoadSampleStory(SampleSourceFolder(), &story_, &error)) << error;
        ASSERT_TRUE(AssembleTalkFiles(story_.talkSource, &talk_, &error)) << error;
        ASSERT_TRUE(AssemblePathDat(story_.pathSource, &paths_, &error)) << error;
    }
    // Code offset (from byte 512) of a talk's entry; the shared end when the
    // source does not name it.
    uint32_t EntryAt(uint32_t talk) const {
        return U32(talk_.at(TalkFileNumber(talk)), kTalkHeadBytes + 4 * TalkEntry(talk));
    }
    static constexpr uint32_t kSharedEnd = 4 * kTalkEntriesPerFile;

    SampleStory story_;
    Files talk_;
    std::vector<uint8_t> paths_;
};

TEST_F(SampleStoryTest, TheSourcesHoldTwoMapsAndTheirPeople) {
    ASSERT_EQ(story_.maps.size(), 2u);
    EXPECT_EQ(story_.maps[0].grid.width, 48);
    EXPECT_EQ(story_.maps[0].grid.height, 36);
    EXPECT_EQ(story_.maps[1].grid.width, 40);
    EXPECT_EQ(story_.maps[1].grid.height, 30);
    EXPECT_EQ(story_.maps[1].weather, 0x04);  // rain in the woods
    EXPECT_NE(story_.maps[0].track, story_.maps[1].track);
    // The start stands on the village's '@', roles on their letters.
    EXPECT_EQ(story_.start[0], 1);
    EXPECT_EQ(story_.maps[0].grid.At(story_.start[1], story_.start[2]), kGridStart);
    ASSERT_FALSE(story_.roleDefs.empty());
    std::set<uint16_t> guids;
    for (const RoleDef& d : story_.roleDefs) {
        SCOPED_TRACE(d.guid);
        EXPECT_TRUE(guids.insert(d.guid).second) << "GUIDs are unique";
        if (d.map == 1000) continue;  // a realm marker stands on no map until placed
        const StoryMap& m = story_.maps[d.map == 1 ? 0 : 1];
        const char c = m.grid.At(d.cellX, d.cellY);
        EXPECT_TRUE(c >= 'A' && c <= 'Z');
        const int tile = StoryGridTile(m.grid, d.cellX, d.cellY);
        EXPECT_NE(tile, kTileWall);
        EXPECT_NE(tile, kTileWater);
        EXPECT_TRUE(story_.names.count(d.guid)) << "a caption names the speaker by its GUID";
        bool figure = false;
        for (const FigureSpec& f : story_.figures) figure |= f.act == d.act[0];
        EXPECT_TRUE(figure) << "act " << d.act[0] << " is drawn";
    }
}

// The menus show an item, a creature or a magic by its id through the item
// names of "maps.dat": everything the party can carry or know has one.
TEST_F(SampleStoryTest, EverythingThePartyCarriesOrKnowsHasAName) {
    std::set<uint16_t> ids;
    for (const auto& [id, count] : story_.bag) ids.insert(id);
    for (const auto& magic : story_.learned) ids.insert(magic.begin(), magic.end());
    for (const auto& recipe : story_.recipes) ids.insert(recipe.begin(), recipe.end());
    ASSERT_FALSE(ids.empty());
    for (uint16_t id : ids) {
        const auto it = story_.itemNames.find(id);
        EXPECT_TRUE(it != story_.itemNames.end() && !it->second.empty()) << "item " << id << " has no name";
    }
}

TEST_F(SampleStoryTest, EveryTalkTheTablesNameIsInTheTalkFile) {
    ASSERT_EQ(talk_.size(), 1u);
    ASSERT_EQ(talk_.count(1), 1u);
    std::set<uint32_t> named = {100};  // the opening
    for (const RoleDef& d : story_.roleDefs)
        if (d.map != 1000) named.insert(d.talk);
    for (const StoryEvent& e : story_.events) named.insert(e.talk);
    for (uint32_t talk : named) EXPECT_NE(EntryAt(talk), kSharedEnd) << "talk " << talk;
}

TEST_F(SampleStoryTest, EveryInstructionOfEveryEntryDecodes) {
    const TalkWalk walk = WalkTalkFile(talk_.at(1));
    ASSERT_TRUE(walk.ok) << walk.error;
    // What the story has to reach.
    for (const char* name : {"dlgw", "caption", "choice", "ifflag", "setflag", "additem", "join", "placerole",
                             "gotomap", "sequence", "video", "minigame", "savegame", "fight", "setvar"})
        EXPECT_TRUE(walk.opcodes.count(FindTalkOpByName(name)->op)) << name;
}

TEST_F(SampleStoryTest, ScriptsDisassembleToTheSameBytes) {
    const std::string talkText = DisassembleTalkFiles(talk_);
    EXPECT_EQ(talkText.find("byte "), std::string::npos) << "every byte decodes";
    Files again;
    std::string error;
    ASSERT_TRUE(AssembleTalkFiles(talkText, &again, &error)) << error;
    EXPECT_EQ(again, talk_);

    const std::string pathText = DisassemblePathDat(paths_);
    std::vector<uint8_t> pathsAgain;
    ASSERT_TRUE(AssemblePathDat(pathText, &pathsAgain, &error)) << error;
    EXPECT_EQ(pathsAgain, paths_);
}

TEST_F(SampleStoryTest, EveryPathARoleRunsDecodes) {
    PathData data;
    ASSERT_TRUE(OpenPathData(&data, paths_.data(), paths_.size()));
    for (const RoleDef& d : story_.roleDefs) {
        if (d.path == 0) continue;
        PathInstr in;
        EXPECT_EQ(DecodePathInstr(data, d.path, 0, &in), kPathDecoded) << "path " << d.path;
    }
}

TEST_F(SampleStoryTest, EventCellsCarryTheirPoints) {
    const std::vector<LmfMap> maps = StoryLmfMaps(story_);
    ASSERT_EQ(maps.size(), 2u);
    for (const StoryEvent& e : story_.events) {
        SCOPED_TRACE(e.name);
        const LmfMap& m = maps[e.map == 1 ? 0 : 1];
        int x = 0, y = 0;
        ASSERT_TRUE(FindGridCell(story_.maps[e.map == 1 ? 0 : 1].grid, char('0' + e.point), &x, &y));
        EXPECT_EQ(m.cells[size_t(y) * m.width + size_t(x)] & 0xFF, e.point);
        bool point = false;
        for (const LmfPoint& p : m.points) point |= p.number == e.point && p.values[0] == e.talk;
        EXPECT_TRUE(point);
    }
}

// Every weapon of the sample names its strong-attack act, and that act is
// the sample act the magic pack holds (6001).
TEST_F(SampleStoryTest, EveryWeaponNamesItsStrongAttackAct) {
    int weapons = 0;
    for (const auto& [id, bytes] : story_.objects) {
        ObjRecord o{};
        ASSERT_TRUE(ParseObjRecord(bytes.data(), bytes.size(), &o)) << id;
        if (o.typeBits & 0x100) {
            ++weapons;
            EXPECT_EQ(o.w[kObjAltWord], 6001) << o.name;
        }
        FreeRecordText(&o);
    }
    EXPECT_GE(weapons, 3);
}

// The action writer writes every field the battle reads, and the reader
// finds each where the record table puts it.
TEST(StoryTables, ActionFieldsReadBackWhereTheTablePutsThem) {
    SampleStory story;
    std::string error;
    ASSERT_TRUE(ParseStoryObjects("action 7 70000 3 0x40 flags=0x100089 mask=0x10 followup=9 kind=0x31 second=5 "
                                  "rate=120 resist=4 effect=6001 preset=12 steal=6 pointx=-20 pointy=300 "
                                  "duration=3 defeat=2\n",
                                  &story, &error))
        << error;
    const std::vector<uint8_t>& bytes = story.actions.at(7);
    ActionRecord a{};
    ASSERT_TRUE(ParseActionRecord(bytes.data(), bytes.size(), &a));
    EXPECT_EQ(a.value, 70000u);
    EXPECT_EQ(ActionValue(a), 0xFFFF);  // read saturated
    EXPECT_EQ(a.element, 3);
    EXPECT_EQ(a.followUp, 9);
    EXPECT_EQ(a.flags, 0x100089u);
    EXPECT_EQ(a.mask, 0x10u);
    EXPECT_EQ(ActionKind(a), 0x31);
    EXPECT_EQ(ActionTargetByte(a), 0x31);
    EXPECT_EQ(ActionSecondWord(a), 5);
    EXPECT_EQ(ActionRate(a), 120);
    EXPECT_EQ(a.ailment, 0x40);
    EXPECT_EQ(ActionResistElement(a), 4);
    EXPECT_EQ(ActionEffectId(a), 6001);
    EXPECT_EQ(a.word32, 0x800C);  // the preset word keeps bit 15
    EXPECT_EQ(ActionStealChance(a), 6);
    EXPECT_EQ(int16_t(a.word38), -20);
    EXPECT_EQ(a.word40, 300);
    EXPECT_EQ(a.duration, 3);
    EXPECT_EQ(a.defeatEffect, 2);
}

TEST(StoryGrid, CellsTakeTheirTilesAndMarkersTheTileWestOfThem) {
    StoryGrid g;
    std::string error;
    ASSERT_TRUE(ParseStoryGrid("; a comment\n#=A~\n_@1.\n", &g, &error)) << error;
    EXPECT_EQ(g.width, 4);
    EXPECT_EQ(g.height, 2);
    EXPECT_EQ(StoryGridTile(g, 0, 0), kTileWall);
    EXPECT_EQ(StoryGridTile(g, 2, 0), kTilePath);  // A stands on the path
    EXPECT_EQ(StoryGridTile(g, 3, 0), kTileWater);
    EXPECT_EQ(StoryGridTile(g, 1, 1), kTileFloor);  // @ on the floor
    EXPECT_EQ(StoryGridTile(g, 2, 1), kTileEvent);
    int x = 0, y = 0;
    ASSERT_TRUE(FindGridCell(g, 'A', &x, &y));
    EXPECT_EQ(x, 2);
    EXPECT_EQ(y, 0);
    EXPECT_FALSE(FindGridCell(g, 'B', &x, &y));
}

TEST(StoryGrid, BrokenGridsGiveTheirLine) {
    const struct {
        std::string text;
        const char* error;
    } cases[] = {
        {"..\n...\n", "line 2: a row of 3 cells in a grid 2 wide"},
        {"..\n.?\n", "line 2: unknown cell '?'"},
        {"; only a comment\n", "the grid has no rows"},
        {"", "the grid has no rows"},
        {std::string(256, '.'), "line 1: a grid is at most 255 cells a side"},
    };
    for (const auto& c : cases) {
        StoryGrid g;
        std::string error;
        EXPECT_FALSE(ParseStoryGrid(c.text, &g, &error));
        EXPECT_EQ(error, c.error);
    }
}

TEST(StoryTables, BrokenRecordsGiveTheirLine) {
    using Parser = bool (*)(const std::string&, SampleStory*, std::string*);
    const struct {
        Parser parse;
        const char* text;
        const char* error;
    } cases[] = {
        {ParseStoryMaps, "; maps\nmapp 1 1 \"X\" x.txt 1 none 4\n", "line 2: unknown record \"mapp\""},
        {ParseStoryMaps, "map 1 1 \"X\" x.txt 1 none\n", "line 1: \"map\" takes 7 fields, not 6"},
        {ParseStoryMaps, "map 1 1 \"X\" x.txt 1 snow 4\n", "line 1: unknown weather \"snow\""},
        {ParseStoryMaps, "map 1 1 X x.txt 1 none 4\n", "line 1: \"X\" is not a text in quotes"},
        {ParseStoryMaps, "bag 70000 1\n", "line 1: \"70000\" is not a number in 0..65535"},
        {ParseStoryMaps, "event 1 10 140 0 1 \"gate\"\n", "line 1: \"10\" is not a number in 1..9"},
        {ParseStoryMaps, "fightarea 2 1 1 38\n", "line 1: \"fightarea\" takes 6 or more fields, not 4"},
        {ParseStoryRoles, "role AB 10 3 1 110 0 0x8800\n", "line 1: a role's cell is a letter A-Z"},
        {ParseStoryRoles, "figure 2 \"HERO\" 6 14 40\n", "line 1: \"40\" is not a number in 0..31"},
        {ParseStoryRoles, "name 1000 \"x\"\n", "line 1: name numbers stop at 999"},
        {ParseStoryObjects, "object 1 \"Herb\" 0 w21=5 \"x\"\n", "line 1: \"w21=5\" is not wN=value (N 0..20)"},
        {ParseStoryObjects, "object 1 \"Herb\" 0 w8=50\n", "line 1: an object ends with its description"},
        {ParseStoryObjects, "object 1 \"Herb\" 0 price=70000 \"x\"\n", "line 1: \"price=70000\" is not price=0..65535"},
        {ParseStoryObjects, "action 1 50 1\n", "line 1: \"action\" takes 4 or more fields, not 3"},
        {ParseStoryObjects, "action 1 50 1 0 speed=3\n", "line 1: \"speed=3\" is not an action field (name=value)"},
        {ParseStoryObjects, "action 1 50 1 0 duration=300\n", "line 1: \"duration=300\" is not an action field (name=value)"},
        {ParseStoryObjects, "monster 301 \"Slime\" 3 20 8 6 120 \"soft\n",
         "line 1: text without its closing quote"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        SampleStory story;
        std::string error;
        EXPECT_FALSE(c.parse(c.text, &story, &error));
        EXPECT_EQ(error, c.error);
    }
}

// A copy of the sources with one edit: what LoadSampleStory says about it.
TEST(StoryTables, SourcesThatDoNotFitTogetherAreRefused) {
    const struct {
        const char* file;
        std::string from, to;
        const char* error;
    } cases[] = {
        {"village.txt", "#...====B====", "#...=========", "roles.txt/maps.txt: role cell B is on no map"},
        {"woods.txt", "~~..F..", "~~..A..", "roles.txt/maps.txt: role cell A is on two maps"},
        {"village.txt", "=@=", "===", "roles.txt/maps.txt: the start map has no '@' cell"},
        {"woods.txt", "___2__", "______", "roles.txt/maps.txt: event 2 of map 2 has no cell"},
        {"woods.txt", "~~..F..", "~~..F?.", "woods.txt: line 26: unknown cell '?'"},
        {"maps.txt", "woods.txt", "forest.txt", "forest.txt: cannot be read"},
        {"roles.txt", "figure 1", "figur 1", "roles.txt: line 23: unknown record \"figur\""},
    };
    const std::string source = SampleSourceFolder() + "/";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        TempFolder folder("story");
        for (const char* name : {"maps.txt", "roles.txt", "objects.txt", "talk.txt", "paths.txt", "village.txt",
                                 "woods.txt", "battle.txt", "figtalk.txt"}) {
            std::ifstream in(source + name, std::ios::binary);
            std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (c.file == std::string(name)) {
                const size_t at = text.find(c.from);
                ASSERT_NE(at, std::string::npos);
                text.replace(at, c.from.size(), c.to);
            }
            std::ofstream(folder.Path() + name, std::ios::binary) << text;
        }
        SampleStory story;
        std::string error;
        EXPECT_FALSE(LoadSampleStory(folder.Path(), &story, &error));
        EXPECT_EQ(error, c.error);
    }
}

TEST(StoryTables, AMissingSourceIsNamed) {
    SampleStory story;
    std::string error;
    EXPECT_FALSE(LoadSampleStory("/nonexistent-sample-folder", &story, &error));
    EXPECT_EQ(error, "maps.txt: cannot be read");
}

// A role that joins the party is named in the menus (its member's family
// and given name of the party name table) as the map names it (its name
// text): the sample's companion is one person, not two.
TEST_F(SampleStoryTest, AJoiningRoleIsNamedInTheMenusAsOnTheMap) {
    InitNickNames();
    std::istringstream in(story_.talkSource);
    std::string line;
    uint32_t talk = 0;
    int joins = 0;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        uint32_t n = 0;
        if (word == "talk" && words >> n) talk = n;
        if (word != "join" || !(words >> n)) continue;
        ASSERT_TRUE(n >= 1 && n <= 4) << line;
        ++joins;
        // The role whose talk this is joins as member n.
        for (const RoleDef& def : story_.roleDefs) {
            if (def.talk != talk) continue;
            const std::string menus = std::string(NickName(int(n) - 1, 0)) + NickName(int(n) - 1, 1);
            EXPECT_EQ(story_.names[def.guid], menus)
                << "talk " << talk << ": role " << def.guid << " joins as member " << n
                << "; its name text (sample/roles.txt) and the member's default name (base/nick_names.cpp) differ";
        }
    }
    EXPECT_GT(joins, 0);
    ResetNickNames();
}

} // namespace
