// The first minute of the sample story in the real program on a virtual X
// display, played with xdotool as a player would: the launcher's new game,
// the title's new game, a name typed in, the opening talk confirmed to its
// end, then the menu key, every page of the menu from the icon bar and the
// save screen scrolled down its slots, with no error box (a window of its
// own) at any step. Screenshots of the game's window (xwd) are looked
// at with `xwd_colours --near`: how many pixels of a region are near a
// colour of the sample art. Every wait polls the screen until what must be
// there is there, or gives up after its time with the step in the log.
//
// The game reads the keyboard's state once a frame (35 ms), so a key is
// held for a few frames. Without a window manager the window that has the
// keyboard is set with `xdotool windowfocus`; the game's display opens its
// own window after the launcher's, which is found and given the keyboard
// again. A missing tool skips the test, and scripts/test then fails the run.
#include "xvfb_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "sample_slot.h"
#include "tools/fig_asm.h"
#include "tools/obj_db_writer.h"
#include "tools/sample_art.h"
#include "tools/sample_story.h"
#include "tools/scene_writer.h"
#include "world/org/obj_record.h"

namespace {

// A stored 555 colour as the screen shows it, for --near: "RRGGBB".
std::string Hex(uint16_t c) {
    char text[8];
    auto channel = [c](int shift) { return ((c >> shift) & 31) * 255 / 31; };
    std::snprintf(text, sizeof text, "%02X%02X%02X", channel(10), channel(5), channel(0));
    return text;
}

// The display's 16-bit pixels come back a few steps off the art's colours.
constexpr int kTolerance = 8;

// The shell functions every story script starts with, in the install
// folder `dir`, with `colours` the xwd_colours program.
std::string StoryHelpers(const std::string& dir, const std::string& colours) {
    return
        "cd '" + dir + "' || fail 10 'enter the install folder'\n"
        "export XDG_RUNTIME_DIR='" + dir + "' SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0\n"
        // The window's picture in shot.xwd; near X Y W H COLOUR TOLERANCE counts in it.
        "window() { xdotool search --name '^KYV3$' 2>/dev/null | tail -1; }\n"
        // The window found last is grabbed again until a grab fails (a
        // search is slow on a busy machine).
        "shot() { [ -n \"$W\" ] && xwd -id \"$W\" -silent >shot.xwd 2>/dev/null && return 0\n"
        "  W=$(window); [ -n \"$W\" ] && xwd -id \"$W\" -silent >shot.xwd 2>/dev/null; }\n"
        "near() { '" + colours + "' --near \"$@\" <shot.xwd || echo 0; }\n"
        // An error box is a window of its own, named by its caption.
        "boxes() { for w in $(xdotool search --name . 2>/dev/null); do n=$(xdotool getwindowname $w 2>/dev/null);\n"
        "  [ -n \"$n\" ] && [ \"$n\" != KYV3 ] && echo \"$n\"; done; }\n"
        "nobox() { b=$(boxes); [ -z \"$b\" ] || fail 30 \"an error box during '$1': $b\"; }\n"
        "snap() { cp shot.xwd \"$1.xwd\"; }\n"
        // until SECONDS TEST: grabs the window until the test holds on a grab.
        "until_shown() { end=$((SECONDS + $1)); shift\n"
        "  while [ $SECONDS -lt $end ]; do shot && \"$@\" && return 0; sleep 0.1; done; return 1; }\n"
        "press() { xdotool keydown $1; sleep 0.15; xdotool keyup $1; sleep 0.1; }\n"
        // click_launcher DX DY: once the launcher shows its picture, eight
        // moves of (DX, DY) from the picture's centre (320, 240), where its
        // pointer starts, and a click held long enough for a frame to see it.
        // A slow start (the sanitizer build on a busy machine) shows the
        // window well before the launcher reads the pointer.
        "click_launcher() { wait_picture 60 || fail 11 'the launcher shows its picture'; shot\n"
        "  xdotool windowfocus --sync \"$W\"; sleep 1\n"
        "  for i in 1 2 3 4 5 6 7 8; do xdotool mousemove_relative -- $1 $2; sleep 0.05; done\n"
        "  sleep 0.5; xdotool mousedown 1; sleep 0.3; xdotool mouseup 1; }\n"

        "alive() { kill -0 $game 2>/dev/null || fail 19 \"the program ended during: $1\"; }\n";
}

// The game and the colour counter from the build tree, and a sample install
// in a folder of its own. A missing tool skips, and scripts/test then fails
// the run.
class StoryXvfb : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string missing = MissingTools({"xvfb-run", "xdotool", "xwd", "flock"});
        if (!missing.empty()) GTEST_SKIP() << "missing tool: " << missing << " (scripts/setup installs it)";
        const std::string tool = BuildTreeProgram("make_sample");
        for (const std::string& p : {program, tool, colours})
            ASSERT_EQ(access(p.c_str(), X_OK), 0) << "no program at " << p;
        ASSERT_EQ(std::system(("'" + tool + "' '" + folder.Path() + "' >/dev/null").c_str()), 0);
    }
    const std::string program = BuildTreeProgram("KYV102e_Simp");
    const std::string colours = BuildTreeProgram("xwd_colours");
    InstallFolder folder;
};

TEST_F(StoryXvfb, FirstMinuteShowsTheDialogTheMapAndTheMenu) {
    const std::string& dir = folder.Path();

    const std::string tol = " " + std::to_string(kTolerance);
    const std::string page = Hex(kArtMenuPage) + tol, token = Hex(kArtHeroColour) + tol;
    const std::string edge = Hex(kArtWindowEdge) + tol, fill = Hex(kArtWindowFill) + tol;
    const std::string grass = Hex(StoryTileColour(kTileGrass)) + tol, path = Hex(StoryTileColour(kTilePath)) + tol;
    const std::string wall = Hex(StoryTileColour(kTileWall)) + tol;
    const std::string panel = Hex(ArtRgb(8, 6, 14)) + tol;
    std::string script = StoryHelpers(dir, colours) +
        // What must be on the screen at each point.
        "title() { n=$(near 0 0 640 480 " + page + "); [ $n -ge 250000 ]; }\n"
        "naming() { n=$(near 0 0 640 480 " + token + "); [ $n -ge 100 ]; }\n"
        // The opening's box grows from the hero's start, above and left of it.
        "dialog() { e=$(near 64 16 256 160 " + edge + "); f=$(near 64 16 256 160 " + fill + ");\n"
        "  [ $e -ge 500 ] && [ $f -ge 4000 ]; }\n"
        "anybox() { b=$(near 0 0 640 480 " + edge + "); [ $b -ge 100 ]; }\n"
        "map() { g=$(near 0 0 640 480 " + grass + "); p=$(near 0 0 640 480 " + path + ");\n"
        "  v=$(near 0 0 640 480 " + wall + "); k=$(near 0 0 640 480 000000 0); b=$(near 0 0 640 480 " + edge + ");\n"
        "  [ $g -ge 150000 ] && [ $p -ge 8000 ] && [ $v -ge 8000 ] && [ $k -le 3072 ] && [ $b -lt 50 ]; }\n"
        "menu() { m=$(near 320 120 320 360 " + page + "); [ $m -ge 103680 ]; }\n"

        "step 'start the program'\n"
        "'" + program + "' 2>'" + dir + "stderr.txt' & game=$!\n"
        "step 'the launcher window appears'\n"
        "wait_window 90 $game || fail 11 'the launcher window appears'\n"
        // Eight moves of (-10, +17) from the centre bring the pointer onto
        // new game.
        "step 'click new game'\n"
        "click_launcher -10 17\n"
        "step 'the title screen shows its page'\n"
        "until_shown 30 title || { alive title; fail 12 \"the title screen shows its page (page colour $n)\"; }\n"
        "xdotool windowfocus --sync \"$(window)\"\n"
        "step 'new game on the title opens the name entry'\n"
        "sleep 0.3; press space\n"
        "until_shown 15 naming || { alive 'name entry'; fail 13 \"the name entry shows the typist ($n)\"; }\n"
        "step 'type a name and confirm it'\n"
        "sleep 0.5; xdotool type --delay 100 Lan; sleep 0.3; press Return\n"
        "step 'the opening talk shows its dialog box'\n"
        "until_shown 40 dialog || { alive 'opening'; fail 14 \"the dialog box of the opening talk (edge $e, fill $f)\"; }\n"
        "echo \"dialog box: edge $e, fill $f\"; cp shot.xwd dialog.xwd\n"
        // Confirm while a box shows; the talk has ended when the map shows
        // with no box on five grabs running.
        "step 'confirm the talk until the map shows'\n"
        "quiet=0; end=$((SECONDS + 40))\n"
        "while [ $quiet -lt 5 ] && [ $SECONDS -lt $end ]; do\n"
        "  shot || { sleep 0.1; continue; }\n"
        "  if anybox; then quiet=0; press space; sleep 0.2; continue; fi\n"
        "  if map; then quiet=$((quiet + 1)); else quiet=0; fi\n"
        "  sleep 0.2\n"
        "done\n"
        "[ $quiet -ge 5 ] || { alive 'the talk'; map; "
        "fail 15 \"the map's tiles fill the screen after the talk (grass $g, path $p, wall $v, black $k, box $b)\"; }\n"
        "echo \"map: grass $g, path $p, wall $v, black $k\"; cp shot.xwd map.xwd\n"
        // A tap far shorter than a frame: the key still reads as down once.
        "step 'a tap of the menu key opens the menu'\n"
        "xdotool key --delay 0 Return\n"
        "until_shown 15 menu || { alive menu; fail 16 \"the menu's page fills the right of the screen ($m)\"; }\n"
        "echo \"menu: page $m\"; cp shot.xwd menu.xwd\n"
        "press Escape; sleep 0.8; nobox 'the first menu'\n"
        // Every page of the menu: entered from the icon bar, looked at, left.
        "step 'every page of the menu'\n"
        "xdotool key --delay 0 Return; until_shown 15 menu || fail 24 'the menu opens again'\n"
        "for i in 0 1 2 3 4 5; do\n"
        "  press Return; sleep 1.5; shot; snap page$i; nobox \"page $i\"\n"
        "  l=$(near 0 80 180 400 " + panel + "); r=$(near 200 60 440 420 " + page + ")\n"
        "  echo \"page $i: panel $l, page $r\"\n"
        "  [ $r -ge 20000 ] || fail 25 \"page $i shows its ground ($r)\"\n"
        // Before the elder's talisman the refining page keeps the panel too.
        "  [ $l -ge 15000 ] || fail 25 \"page $i shows the status panel ($l)\"\n"
        "  [ $i = 5 ] && break; press Escape; sleep 0.6; press Right; sleep 0.4\n"
        "done\n"
        "step 'the save screen, scrolled'\n"
        "press Return; sleep 1.2; shot; snap save; nobox 'the save screen'\n"
        "for i in $(seq 1 12); do press Down; done; sleep 0.6; shot; snap scrolled; nobox 'scrolling'\n"
        "c=$(near 0 0 16 480 " + page + "); echo \"save screen after scrolling: left ground $c\"\n"
        "[ $c -ge 6900 ] || fail 26 \"the scrolled slots stand on a clean ground ($c)\"\n"
        "press Escape; sleep 1; press Escape; sleep 0.6; press Escape; sleep 1\n"
        "until_shown 10 map || fail 27 'the map after the menu'\n"
        "nobox 'the map'\n"
        "step 'the program ends'\n"
        "kill -TERM $game; wait $game || fail 17 'the program ends cleanly'\n"
        "step 'done'\n";
    XvfbResult r = RunOnVirtualDisplay(folder, script, 300);
    std::vector<uint8_t> err = folder.Read("stderr.txt");
    EXPECT_EQ(r.code, 0) << Explain(r) << "the program's standard error:\n" << std::string(err.begin(), err.end());
}

// From a saved game in the woods: continue on the launcher, the rain over
// the woods, a walk north onto the shrine's cell, its video, its mini-game
// climbed and given up, and the talk to its end, with no error box at any
// step.
TEST_F(StoryXvfb, TheWoodsInTheRainAndTheShrineFromASavedGame) {
    const std::string& dir = folder.Path();
    // Two cells south of the shrine's cell, on the grass beside the path.
    folder.MakeFolder("save");
    folder.Write("save/0.sav", SampleReadySlot({2, "Woods", 30, 10, 1, {8}}));

    const std::string tol = " " + std::to_string(kTolerance);
    const std::string edge = Hex(kArtWindowEdge) + tol;
    const std::string grass = Hex(StoryTileColour(kTileGrass)) + tol, floor = Hex(StoryTileColour(kTileFloor)) + tol;
    // The water moves between its two tiles.
    const std::string water = Hex(StoryTileColour(kTileWater)) + tol, waterB = Hex(StoryTileColour(kTileWaterB)) + tol;
    // The mini-game's drifting ground and the climber.
    const std::string ground = Hex(ArtRgb(6, 10, 22)) + tol, climber = Hex(ArtRgb(6, 14, 28)) + tol;
    // A frame of the video is one colour over the whole screen (the sample's
    // clip), where the map, the talk and the mini-game show dozens.
    const std::string video = "video() { c=$('" + colours + "' <shot.xwd); [ \"$c\" -le 4 ] && "
                              "[ $(near 0 0 640 480 000000 8) -lt 100000 ]; }\n";
    std::string script = StoryHelpers(dir, colours) + video +
        "anybox() { b=$(near 0 0 640 480 " + edge + "); [ $b -ge 100 ]; }\n"
        "loadscreen() { l=$(near 0 0 640 480 " + Hex(kArtMenuPage) + tol + "); [ $l -ge 100000 ]; }\n"
        "woods() { g=$(near 0 0 640 480 " + grass + "); w=$(( $(near 0 0 640 480 " + water + ") + $(near 0 0 640 480 " + waterB + ") ));\n"
        "  f=$(near 0 0 640 480 " + floor + "); k=$(near 0 0 640 480 000000 0);\n"
        "  [ $g -ge 150000 ] && [ $w -ge 8000 ] && [ $f -ge 4000 ] && [ $k -le 3072 ]; }\n"
        // The woods show about two dozen colours; a streak brightens the
        // ground it crosses step by step, each step a colour of its own.
        "rain() { r=$('" + colours + "' <shot.xwd); [ \"$r\" -ge 50 ]; }\n"
        "minigame() { d=$(near 0 0 640 480 " + ground + "); o=$(near 0 0 640 480 " + climber + ");\n"
        "  [ $d -ge 40000 ] && [ $o -ge 400 ]; }\n"

        "step 'start the program'\n"
        "'" + program + "' 2>'" + dir + "stderr.txt' & game=$!\n"
        "step 'the launcher window appears'\n"
        "wait_window 90 $game || fail 11 'the launcher window appears'\n"
        // From the centre of the picture (320, 240) onto continue.
        "step 'click continue'\n"
        "click_launcher -10 12\n"
        "step 'the load screen loads the saved game in the woods'\n"
        "sleep 2; xdotool windowfocus --sync \"$(window)\"\n"
        // The load screen opens on the newest slot: one confirm loads it.
        "until_shown 20 loadscreen || fail 21 \"the load screen shows the saved slot ($l)\"\n"
        "press Return\n"
        "until_shown 30 woods\n"
        "woods || fail 12 \"the woods fill the screen (grass $g, water $w, floor $f, black $k)\"\n"
        "snap woods; nobox 'the woods'\n"
        "step 'the rain over the woods'\n"
        "until_shown 20 rain || fail 13 \"rain streaks over the woods ($r colours)\"\n"
        "echo \"rain: $r colours\"; snap rain\n"
        "step 'north onto the shrine'\n"
        "xdotool keydown Up\n"
        "until_shown 15 anybox; shown=$?; xdotool keyup Up\n"
        "[ $shown = 0 ] || fail 14 \"the shrine's talk opens its box ($b)\"\n"
        "snap shrine; nobox 'the shrine'\n"
        // Confirm through the talk; the video shows on the way, then the
        // mini-game.
        "step 'the shrine video, then the mini-game'\n"
        "seen=0; end=$((SECONDS + 40)); while [ $SECONDS -lt $end ]; do\n"
        "  shot || { sleep 0.05; continue; }\n"
        "  if video; then seen=$((seen + 1)); snap video; continue; fi\n"
        "  minigame && break\n"
        "  anybox && press space\n"
        "  alive 'the shrine'; nobox 'the shrine talk'\n"
        "done\n"
        "[ $seen -ge 1 ] || fail 15 'the shrine video fills the screen'\n"
        "echo \"video: $seen grabs\"\n"
        "minigame || fail 16 \"the mini-game shows its ground and climber (ground $d, climber $o)\"\n"
        "snap minigame\n"
        "step 'climb, then give up'\n"
        "for i in 1 2 3 4 5 6; do press Up; done; shot; nobox 'the climb'\n"
        "minigame || fail 17 \"the mini-game goes on while climbing (ground $d, climber $o)\"\n"
        "press Escape\n"
        "step 'the talk ends on the woods'\n"
        "quiet=0; end=$((SECONDS + 40))\n"
        "while [ $quiet -lt 5 ] && [ $SECONDS -lt $end ]; do\n"
        "  shot || { sleep 0.1; continue; }\n"
        "  if anybox; then quiet=0; press space; sleep 0.2; continue; fi\n"
        "  if woods; then quiet=$((quiet + 1)); else quiet=0; fi\n"
        "  sleep 0.2\n"
        "done\n"
        "[ $quiet -ge 5 ] || { alive 'the end of the talk'; woods; fail 18 \"the woods after the shrine (grass $g, water $w, floor $f, black $k)\"; }\n"
        "nobox 'the woods after the shrine'\n"
        "step 'the program ends'\n"
        "kill -TERM $game; wait $game || fail 20 'the program ends cleanly'\n"
        "step 'done'\n";
    XvfbResult r = RunOnVirtualDisplay(folder, script, 300);
    std::vector<uint8_t> err = folder.Read("stderr.txt");
    EXPECT_EQ(r.code, 0) << Explain(r) << "the program's standard error:\n" << std::string(err.begin(), err.end());
}

// The training fight's records in the install folder `folder`, until the
// sample writes its own: the dummy (a monster of sprite set 1001, 40 life)
// alone in scene 1 on the training yard, its script (the opening, eight
// turns, then the win forced, so the fight ends however the turns go) and,
// in "mon.dat", the hero's Fire Charm made castable in battle with the fire
// effect as its hit act (the object's id word). False with the reason in
// *error.
bool WriteTrainingFight(const InstallFolder& folder, std::string* error) {
    if (!folder.Exists("battle.ffd")) {
        SampleStory story;
        if (!LoadSampleStory(SampleSourceFolder(), &story, error)) return false;
        const std::string fireAct = std::to_string(kSampleFireAct);
        const std::string extra =
            "monster 1001 \"Straw Dummy\" 1 4 2 2 40 exp=5 silver=5 action=170 sprite=1001 \"Straw on a pole.\"\n"
            "object 201 \"Fire Charm\" 0x10 w11=0x10 w13=3 w14=0x8005 w20=" + fireAct + " kind=17 \"Burns one foe.\"\n";
        if (!ParseStoryObjects(extra, &story, error)) return false;
        folder.Write("mon.dat", BuildMonDat(story.objects, story.actions));
        BattleSceneRecord r{};
        r.background = 1;
        r.enemyCount = 1;
        r.monsterId[0] = 1001;
        r.homeX[0] = 170;
        r.homeY[0] = 250;
        folder.Write("battle.ffd", BuildBattleFfd({{1, {r}}}));
    }
    if (!folder.Exists("figtalk.dat") &&
        !WriteFigTalk(folder.Path(), "battle 1\n  opening 0\n  fight 8\n  forcewin\n  fight 100\n  end\n", error))
        return false;
    return true;
}

// From a game saved beside the village's straw dummy: continue on the
// launcher, face the dummy, confirm its question and the first answer, and
// in the training fight command the party with the keys (the digit of an
// icon, a list row, a target): the hero's spell, then plain attacks to the
// victory pages and back to the village. The screen shows the battle HUD, a
// damage number over a hit role and the spell's effect; no error box at any
// step.
TEST_F(StoryXvfb, TheTrainingFightOnScreen) {
    const std::string& dir = folder.Path();
    std::string error;
    ASSERT_TRUE(WriteTrainingFight(folder, &error)) << error;
    // One cell north of the dummy (cell 6, 28 of the village), facing it: a
    // saved player faces south.
    folder.MakeFolder("save");
    folder.Write("save/0.sav", SampleReadySlot({1, "Village", 6, 27, 1, {}}));

    const std::string tol = " " + std::to_string(kTolerance);
    const std::string edge = Hex(kArtWindowEdge) + tol;
    const std::string grass = Hex(StoryTileColour(kTileGrass)) + tol, path = Hex(StoryTileColour(kTilePath)) + tol;
    const std::string wall = Hex(StoryTileColour(kTileWall)) + tol;
    uint16_t fireColour = 0;
    for (const EffectActSpec& e : BattleEffectActs())
        if (e.act == kSampleFireAct) fireColour = e.colour;
    ASSERT_NE(fireColour, 0);
    const std::string fire = Hex(fireColour) + tol, damage = Hex(kArtDamageDigits) + tol;
    const std::string strip = Hex(kArtHudStrip) + tol, stripEdge = Hex(kArtHudStripEdge) + tol;
    const char* shots = std::getenv("KYV_XVFB_SHOTS");
    std::string script = StoryHelpers(dir, colours) +
        // KYV_XVFB_SHOTS names a folder that keeps every snapped grab.
        "snap() { cp shot.xwd \"$1.xwd\"; [ -z '" + std::string(shots ? shots : "") + "' ] || cp shot.xwd '" +
        std::string(shots ? shots : "") + "'/\"$1.xwd\"; }\n"
        "anybox() { b=$(near 0 0 640 480 " + edge + "); [ $b -ge 100 ]; }\n"
        "loadscreen() { l=$(near 0 0 640 480 " + Hex(kArtMenuPage) + tol + "); [ $l -ge 100000 ]; }\n"
        "village() { g=$(near 0 0 640 480 " + grass + "); p=$(near 0 0 640 480 " + path + ");\n"
        "  v=$(near 0 0 640 480 " + wall + "); k=$(near 0 0 640 480 000000 0); b=$(near 0 0 640 480 " + edge + ");\n"
        "  [ $g -ge 150000 ] && [ $p -ge 8000 ] && [ $v -ge 8000 ] && [ $k -le 3072 ] && [ $b -lt 50 ]; }\n"
        // The HUD's base strip along the bottom of the screen.
        "hud() { h=$(near 0 384 640 96 " + strip + "); e=$(near 0 384 640 96 " + stripEdge + ");\n"
        "  [ $h -ge 20000 ] && [ $e -ge 600 ]; }\n"
        // Above the HUD: the damage digits over a role, the fire effect's
        // colour on the field.
        "damage() { d=$(near 0 0 640 384 " + damage + "); [ $d -ge 40 ]; }\n"
        "fire() { f=$(near 0 0 640 384 " + fire + "); [ $f -ge 40 ]; }\n"
        // Looks at grabs for SECONDS, one colour count at a time (the fire
        // shows for half a second): notes the fire and the damage digits;
        // true as soon as the village shows.
        "watch() { until=$((SECONDS + $1)); while [ $SECONDS -lt $until ]; do shot || { sleep 0.05; continue; }\n"
        "  [ $sawfire = 0 ] && fire && { sawfire=1; snap fire; echo \"fire: $f\"; }\n"
        "  [ $sawdamage = 0 ] && damage && { sawdamage=1; snap damage; echo \"damage: $d\"; }\n"
        "  hud || { village && return 0; }; done; return 1; }\n"
        "step 'start the program'\n"
        "'" + program + "' 2>'" + dir + "stderr.txt' & game=$!\n"
        "step 'the launcher window appears'\n"
        "wait_window 90 $game || fail 11 'the launcher window appears'\n"
        "step 'click continue'\n"
        "click_launcher -10 12\n"
        "step 'the load screen loads the game saved by the dummy'\n"
        "sleep 2; xdotool windowfocus --sync \"$(window)\"\n"
        "until_shown 20 loadscreen || fail 21 \"the load screen shows the saved slot ($l)\"\n"
        "press Return\n"
        "until_shown 30 village || fail 12 \"the village fills the screen (grass $g, path $p, wall $v, black $k, box $b)\"\n"
        "snap village; nobox 'the village'\n"
        "step 'speak to the dummy'\n"
        "shown=1; for i in 1 2 3 4 5; do press space; until_shown 4 anybox && { shown=0; break; }; snap try$i; done\n"
        "[ $shown = 0 ] || fail 13 \"the dummy's question opens its box ($b)\"\n"
        "snap question; nobox 'the question'\n"
        // The question, then its first answer: the fight starts.
        "step 'confirm the question and its first answer'\n"
        "end=$((SECONDS + 40)); while [ $SECONDS -lt $end ]; do\n"
        "  shot || { sleep 0.1; continue; }; hud && break\n"
        "  anybox && press space; alive 'the question'; sleep 0.3\n"
        "done\n"
        "hud || fail 14 \"the battle HUD along the bottom (strip $h, edge $e)\"\n"
        "echo \"hud: strip $h, edge $e\"; snap hud; nobox 'the start of the fight'\n"
        // A member whose gauge is full takes the digit of an icon: 2 the
        // magic list, whose first row the confirm key takes, then the target
        // the list chose; a member with no spell leaves the list with the
        // back key and lets its turn pass (5), so the dummy stands until the
        // spell.
        "step 'a member casts the Fire Charm'\n"
        "sawfire=0; sawdamage=0; end=$((SECONDS + 150))\n"
        "while [ $sawfire = 0 ] && [ $SECONDS -lt $end ]; do\n"
        "  press 2; press Return; press Return; watch 1 && fail 22 'the fight ended before the spell'\n"
        "  [ $sawfire = 1 ] && break\n"
        "  press Escape; press 5; watch 1 && fail 22 'the fight ended before the spell'\n"
        "  alive 'the commands'; nobox 'the commands'\n"
        "done\n"
        "[ $sawfire = 1 ] || fail 15 \"the Fire Charm's effect over the dummy ($f)\"\n"
        // Plain attacks while the HUD shows (1, then the target the menu
        // chose), the confirm key on the victory pages; the menu key opens
        // the game's menu on the map, which the back key closes.
        "step 'attack to the end of the fight'\n"
        "end=$((SECONDS + 180)); quiet=0; n=0\n"
        "while [ $quiet -lt 5 ] && [ $SECONDS -lt $end ]; do\n"
        "  shot || { sleep 0.1; continue; }\n"
        "  if village; then quiet=$((quiet + 1)); sleep 0.2; continue; fi; quiet=0\n"
        "  if loadscreen; then press Escape\n"
        "  elif hud; then press 1; press Return; watch 1 >/dev/null\n"
        "  else press Return; sleep 0.3; fi\n"
        "  n=$((n + 1)); [ $((n % 8)) = 0 ] && snap b$n\n"
        "  alive 'the fight'; nobox 'the fight'\n"
        "done\n"
        "[ $sawdamage = 1 ] || fail 16 \"a damage number over a hit role ($d)\"\n"
        "[ $quiet -ge 5 ] || { snap lastfight; fail 17 \"the fight ends on the village (grass $g, path $p, wall $v, black $k, box $b)\"; }\n"
        "snap after; nobox 'the village after the fight'\n"
        "step 'the program ends'\n"
        "kill -TERM $game; wait $game || fail 20 'the program ends cleanly'\n"
        "step 'done'\n";
    XvfbResult r = RunOnVirtualDisplay(folder, script, 480);
    std::vector<uint8_t> err = folder.Read("stderr.txt");
    EXPECT_EQ(r.code, 0) << Explain(r) << "the program's standard error:\n" << std::string(err.begin(), err.end());
}

} // namespace
