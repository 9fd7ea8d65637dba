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

// Everything of the system pack (pack 3): pictures and acts.
std::vector<TswEntryData> SystemPictures();
std::vector<PackEntryData> SystemActs();
