// Generated art of the sample install: every picture is drawn here from
// plain shapes and labelled with the bitmap font, so what it stands for can
// be read on screen (no noise, nothing taken from elsewhere).
//
// - map tiles: grass, path, water (two frames), wall, floor and the event
//   pad, 16 x 16 each, with a small letter in a darker shade of the tile;
// - figures for the character pack: a labelled person in eight directions,
//   standing and in two walking poses, and its act (qq 0 stand, 8 walk,
//   16 run; the stream is qq + direction);
// - the system pack: the framed windows and dialog pieces, the number
//   digits, the dialog buttons, the mouse cursors (act 9001 qq 0..15), the
//   mini-game's pieces (act 9010 qq 0..11), the menu's sheet (act 9002), the
//   title entries (act 9003 qq 44..47), the framed box (act 9019), the
//   frame of the battle's message banner (act 9110) and the battle HUD's
//   pictures and acts (bars, digits, icons, markers, gauges, the coin).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/act_writer.h"
#include "tools/tsw_writer.h"

// Stored (555) colours; kArtKey is see-through, kArtShadow a shadow run.
constexpr uint16_t kArtKey = 0x026B;
constexpr uint16_t kArtShadow = 0x319F;
constexpr uint16_t ArtRgb(int r, int g, int b) { return uint16_t((r << 10) | (g << 5) | b); }

// Colours the screen tests look for: the talk window's edge and fill (its
// edge is a checker of the edge colour and a dark one), and the menu pages'
// background.
constexpr uint16_t kArtWindowEdge = ArtRgb(24, 20, 10);
constexpr uint16_t kArtWindowFill = ArtRgb(3, 4, 10);
constexpr uint16_t kArtMenuPage = ArtRgb(4, 6, 12);
// The hero's body colour (roles.txt: figure 1), which the title's typist shows.
constexpr uint16_t kArtHeroColour = ArtRgb(6, 14, 28);

// The message dialog's next-page and end buttons (act 9001 qq 20 and 21).
// Not 9080 and 9081: those are the battle HUD's life digits.
constexpr uint16_t kDialogNextPicture = 9160;
constexpr uint16_t kDialogEndPicture = 9161;

// Map tiles, in the order of the archive's pixel layer; the second frame of
// water is the last tile of the layer.
enum StoryTile : int { kTileGrass, kTilePath, kTileWater, kTileWall, kTileFloor, kTileEvent, kStoryTileCount };
constexpr int kTileWaterB = kStoryTileCount;
constexpr int kStoryLayerTiles = kStoryTileCount + 1;

// 16 x 16 stored pixels of a layer tile (0 .. kStoryLayerTiles - 1).
std::vector<uint16_t> StoryTilePixels(int tile);
// The whole pixel layer, 512 bytes a tile.
std::vector<uint8_t> StoryTileLayer();
// The ground colour of a tile: its pixel at (1, 1).
uint16_t StoryTileColour(int tile);

// A figure of the character pack: picture and act number `act`, labelled,
// in one body colour.
struct FigureSpec {
    uint16_t act = 0;
    std::string label;
    uint16_t colour = 0;
};
constexpr int kFigureWidth = 32, kFigureHeight = 48;
constexpr int kFigurePoses = 3;  // standing, left foot, right foot
// Frame dir x 3 + pose of the figure's picture (index = act).
TswEntryData FigurePicture(const FigureSpec& figure);
// Streams 0..23: standing, walking and running in the eight directions;
// 24..79 standing (facing stream % 8). The act shows picture `act`.
std::vector<uint8_t> FigureAct(uint16_t act);
// The same streams, before they are packed.
std::vector<ActStreamData> FigureStreams(uint16_t act);

// Picture 1 of pack n (n x 3000 + 1): four labelled 64 x 64 frames, and the
// act that plays them (the same in streams 0..79).
// The round token of each pack's frames is in the pack's colour (the
// character pack's, pack 0, is the title's typing figure).
constexpr uint16_t kArtPackTokens[6] = {ArtRgb(26, 10, 8), ArtRgb(8, 20, 10), ArtRgb(16, 8, 26),
                                        ArtRgb(8, 14, 26), ArtRgb(18, 18, 6), ArtRgb(6, 20, 20)};
constexpr int kSampleActStreams = 80;
constexpr uint16_t kTitleTypistAct = 1001; // the title's typing figure, in the character pack
TswEntryData SamplePicture(int pack);
std::vector<uint8_t> SampleAct(int pack);
// The same frames played once, the hit on the third: the magic pack's act
// 6001 is every sample weapon's strong-attack act, which the battle plays
// on the target and waits for.
std::vector<uint8_t> SampleHitAct(int pack);

// Everything of the system pack (pack 3): pictures and acts.
std::vector<TswEntryData> SystemPictures();
std::vector<PackEntryData> SystemActs();

// ---- The battle's art (docs/sample-story.md, "The battle's art") ----
//
// Colours of the battle HUD that a look at the screen tells apart: the base
// strip along the bottom (picture 9077) and its edge, and the damage digits
// floating over a hit role (picture 9097).
constexpr uint16_t kArtHudStrip = ArtRgb(3, 3, 6);
constexpr uint16_t kArtHudStripEdge = ArtRgb(16, 14, 8);
constexpr uint16_t kArtDamageDigits = ArtRgb(26, 6, 4);
//
// A sprite set is an act of the character pack whose streams 36..58 are the
// battle's poses (wait, hurt, run-up, strike, block, cast, ...); streams
// 80..99 (an act parameter + 40, the dashes of multi-hit skills) strike too.
// The party's sets are the members' figures (member + 1): their picture
// holds the 24 map frames and then two frames a pose. The monsters' sets are
// 1001..1006 and the weakened form's 250, each its own picture.
constexpr int kBattlePoseFirst = 36, kBattlePoseLast = 58;
constexpr int kBattleDashFirst = 80, kBattleStreams = 100;
constexpr int kBattleFigureWidth = 64, kBattleFigureHeight = 80;
// A battle figure: its sprite set (act and picture number), its label, its
// body colour, whether the battle draws it mirrored (the party's side: its
// pictures face right like every battle picture and the party faces left,
// so its labels are written mirrored to read right on the field) and its
// size.
struct BattleFigureSpec {
    uint16_t set = 0;
    std::string label;
    uint16_t colour = 0;
    bool drawnMirrored = false;
    int width = kBattleFigureWidth, height = kBattleFigureHeight;
};
// What a pose is called on its frames ("WAIT", "HURT", "STRIKE", ...).
const char* BattlePoseName(int qq);
// Appends the battle poses to a figure's picture (frames first.. on).
void AddBattlePoseFrames(TswEntryData* picture, const BattleFigureSpec& figure);
// Puts the battle streams of picture `picture` (poses from frame
// `firstFrame`) over streams 36..58 and 80..99 of `streams`.
void AddBattlePoseStreams(std::vector<ActStreamData>* streams, const BattleFigureSpec& figure, int firstFrame);
// The party's battle figures are the story's figures 1..4 (roles.txt),
// drawn mirrored. The monsters' sets 1001..1006, the weakened form (250)
// and the sample's slime (301):
std::vector<BattleFigureSpec> MonsterBattleFigures();
// The talisman spirits' sets in battle (90 + the spirit's slot: 91 metal,
// 92 wood, 93 water, 94 fire, 95 earth), on the party's side.
std::vector<BattleFigureSpec> SpiritBattleFigures();
// A monster's picture and act (the act is 100 streams; only the poses show).
TswEntryData MonsterPicture(const BattleFigureSpec& figure);
std::vector<uint8_t> MonsterAct(const BattleFigureSpec& figure);

// The battle's effect acts in the magic pack (picture = act, four labelled
// frames; every stream plays them once, with the hit on the third): the
// fixed ones the battle names and the sample fights' hit, follow-up, scene
// and head acts (kSample* below).
constexpr uint16_t kSampleSlashAct = 6002;     // the plain attack's hit
constexpr uint16_t kSampleSmashAct = 6003;     // the strong attack's hit
constexpr uint16_t kSampleFireAct = 6004;      // a spell on one target
constexpr uint16_t kSampleRainAct = 6005;      // a spell on all
constexpr uint16_t kSampleHerbAct = 6006;      // an item used
constexpr uint16_t kSampleVenomAct = 6007;     // a poisoning
constexpr uint16_t kSampleNetAct = 6008;       // a capture
constexpr uint16_t kSampleGrabAct = 6009;      // a theft
constexpr uint16_t kSampleFollowAct = 6010;    // a follow-up
constexpr uint16_t kSampleSummonAct = 6011;    // the guard summoned
constexpr uint16_t kSampleClawAct = 6012;      // a monster's attack
constexpr uint16_t kSampleHexAct = 6013;       // enemy magic
constexpr uint16_t kSampleRageAct = 6014;      // an enemy special
constexpr uint16_t kSampleTriggerAct = 6015;   // a trigger act
constexpr uint16_t kSampleLanternAct = 6016;   // a scene sprite (one stream, looping)
constexpr uint16_t kSampleHeadAct = 6017;      // the sliding heads (qq 0..7)
struct EffectActSpec {
    uint16_t act;
    const char* label;
    uint16_t colour;
};
const std::vector<EffectActSpec>& BattleEffectActs();
// The magic pack's battle pictures and acts (effects, the scene sprite, the
// heads).
std::vector<TswEntryData> BattleEffectPictures();
std::vector<PackEntryData> BattleEffectActData();

// The battle backgrounds: picture 15000 + n of the second map pack, one
// 640 x 480 run-length frame (1 the training yard, 2 the woods, 3 the
// shrine).
constexpr int kSampleBackgroundCount = 3;
TswEntryData BattleBackground(int n);

// The battle's sound ids, each a short generated tone in "all.snd": what the
// battle code plays by number, and the sample acts' own (kSampleActSounds).
const std::vector<int>& BattleSoundIds();
constexpr int kSampleStrikeSound = 11, kSampleCastSound = 12, kSampleHurtSound = 13;
