#include "tools/replay_run.h"

#include <climits>
#include <unistd.h>

#include "base/errorbox.h"
#include "draw/act_pack.h"
#include "draw/frame_window.h"
#include "draw/tsw_pack.h"
#include "media/sound_bank.h"
#include "menu/frame/menu_frame.h"
#include "menu/frame/menu_lists.h"
#include "menu/frame/menu_widgets.h"
#include "menu/system/system_menu.h"
#include "menu/title/title_screen.h"
#include "shell/game_start.h"
#include "shell/winmain.h"
#include "world/role/role_helpers.h"
#include "world/script/path_run.h"
#include "world/script/talk_machine.h"
#include "world/spirit/spirit.h"
#include "world/story_flags.h"
#include "world/talk_state.h"
#include "world/walk/key_cole.h"
#include "world/walk/key_state.h"
#include "world/walk/player_walk.h"
#include "world/world_reset.h"

void ResetProgramState() {
    ReleaseGameAndShell();
    ResetWorld();
    ResetPathScripts();
    ResetKeyCole();
    ResetKeyStates();
    ResetPlayerWalk();
    ResetTalkState();
    ResetSpirit();
    ResetTalkMachine();
    ResetRoleHelpers();
    ResetStoryFlags();
    ResetFrameWindow();
    ResetTitleScreen();
    ResetSystemMenu();
    ResetMenuFrame();
    ResetMenuWidgets();
    ResetMenuLists();
    ResetTswPacks();
    ResetActPacks();
    ResetSoundBank();
    ResetErrorBoxes();
    ResetShell();
}

int RunProgramLaunches(const ProgramRun& run) {
    char home[PATH_MAX];
    if (getcwd(home, sizeof home) == nullptr || chdir(run.folder.c_str()) != 0) return -1;
    int launches = 0;
    while (launches < run.maxLaunches && (!run.beforeLaunch || run.beforeLaunch(launches))) {
        ResetProgramState();
        HeadlessSetPresentHook(run.onPresent);
        WinMain("");
        HeadlessSetPresentHook(nullptr);
        ++launches;
    }
    ResetProgramState();
    if (chdir(home) != 0) return -1;
    return launches;
}
