// The sample story's sources (the folder sample/ of the repository, see
// docs/sample-story.md) read into what the sample install's writer puts in
// the game's files: the two maps as text grids, the tables of maps, events,
// roles, names and objects, and the talk and path scripts in their
// assemblers' source form.
//
// Table files hold one record a line: a record word, then its fields
// (numbers, words, or texts in double quotes with "\xHH" escapes); ';'
// starts a comment. A grid file holds one line per row of cells, one
// character a cell; lines starting with ';' are comments.
#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "battle/scene/scene_file.h"
#include "tools/lmf_writer.h"
#include "tools/map_tables_writer.h"
#include "tools/maps_writer.h"
#include "tools/sample_art.h"

// Cell characters of a grid.
constexpr char kGridGrass = '.', kGridPath = '=', kGridWater = '~', kGridWall = '#', kGridFloor = '_';
constexpr char kGridStart = '@';
// Digits 1-9 are event cells (named points), letters A-Z role cells.

struct StoryGrid {
    int width = 0, height = 0;
    std::vector<std::string> rows;
    char At(int x, int y) const { return rows[size_t(y)][size_t(x)]; }
};
// False with "line N: why" when rows differ in length, a character is not
// one of the grid's or the grid is empty or larger than 255 cells a side.
bool ParseStoryGrid(const std::string& text, StoryGrid* out, std::string* error);
// The tile a cell shows (StoryTile): a role or start cell shows the tile of
// the nearest plain cell west of it (grass at the row's start).
int StoryGridTile(const StoryGrid& grid, int x, int y);
// The cell of a marker character; false when it is not in the grid.
bool FindGridCell(const StoryGrid& grid, char marker, int* x, int* y);

struct StoryMap {
    uint16_t number = 0, code = 0;
    std::string name, gridFile;
    uint16_t track = 0;
    uint8_t weather = 0, walkStep = 4;
    uint16_t battleGroup = 0;  // the battle steps' row of random fights; 0 none
    StoryGrid grid;
};

struct StoryEvent {
    uint16_t map = 0, point = 0, talk = 0, blockFlag = 0, clickFlag = 0;
    std::string name;
};

struct SampleStory {
    std::vector<StoryMap> maps;
    std::map<uint16_t, std::string> tracks;           // track number -> file in Music/
    uint16_t start[7] = {};                           // maps.dat table 4
    std::vector<std::pair<uint16_t, uint16_t>> bag;
    std::vector<uint16_t> learned[4];                 // magic each member knows at a new game
    std::vector<StoryEvent> events;
    std::vector<FightAreaRecord> fightAreas;
    std::vector<uint16_t> battleSteps;                // maps.dat table 18: 8 words a battle group
    std::map<uint16_t, std::string> names;            // namex.dat by number
    std::vector<FigureSpec> figures;
    std::vector<RoleDef> roleDefs;
    std::map<uint32_t, std::vector<uint8_t>> objects;  // mon.dat records by id
    std::map<uint32_t, std::vector<uint8_t>> actions;
    std::string talkSource, pathSource;
    // The item menu's and the book's records: item names by id (maps.dat
    // table 19), creatures the party knows at the start ("Fame.dat"), exit
    // groups (table 22) and travel entries (table 23).
    std::map<uint16_t, std::string> itemNames;
    std::vector<std::pair<int, uint16_t>> known;
    std::vector<std::vector<uint16_t>> exitGroups;   // head map, x, y, the maps
    struct Travel {
        std::string name;
        std::vector<uint16_t> words;                 // map, x, y, the maps
    };
    std::vector<Travel> travel;
    // The refining table (maps.dat table 24): result types and recipes.
    std::map<std::pair<int, int>, uint16_t> refineTypes;
    std::vector<std::array<uint16_t, 3>> recipes;
    // The fights: "battle.ffd" scenes by number (each with its variants) and
    // the battle scripts' source ("figtalk.dat", tools/fig_asm syntax).
    std::map<uint16_t, std::vector<BattleSceneRecord>> scenes;
    std::string figSource;
};

// The repository's sample/ folder, as the build knows it.
std::string SampleSourceFolder();

// The table files; each adds to *story. Grids are read by LoadSampleStory.
bool ParseStoryMaps(const std::string& text, SampleStory* story, std::string* error);
bool ParseStoryRoles(const std::string& text, SampleStory* story, std::string* error);
bool ParseStoryObjects(const std::string& text, SampleStory* story, std::string* error);
// battle.txt: "scene <number> <background>" starts a scene (a second
// record of the same number adds a variant), then "enemy <monster> <x> <y>
// [<target mark>]" (at most 20) and "sprite <act> <x> <y>" (at most 8)
// belong to it.
bool ParseStoryScenes(const std::string& text, SampleStory* story, std::string* error);

// Reads every source of the folder (ending with a separator or not): the
// tables, the grids they name, the talk and path sources. Roles and the
// start are placed from their grid cells. False with "file: line N: why".
bool LoadSampleStory(const std::string& folder, SampleStory* out, std::string* error);

// The map archive's maps, built from the grids.
std::vector<LmfMap> StoryLmfMaps(const SampleStory& story);
// The names of "namex.dat" by number (missing numbers are empty names).
std::vector<std::string> StoryNames(const SampleStory& story);
// "maps.dat": the story's tables (role definitions, start, bag, map names,
// map list, music, fight areas, role sounds) written over the caller's
// MapsDatSpec, whose other fields (the party, magic, equipment) stay as
// given; the battle steps are the story's when it has any.
std::vector<uint8_t> BuildStoryMapsDat(const SampleStory& story, MapsDatSpec spec);
