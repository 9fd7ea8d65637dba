#include "shell/shell_hooks.h"

#include "base/input.h"
#include "battle/battle_services.h"
#include "menu/menu_services.h"
#include "draw/display.h"
#include "draw/draw_kernel.h"

ShellHooks gShellHooks;

void PresentBackBuffer() { gDisplay.Blt(gBackBuffer); }

void ReleaseShellResources() {
    FreeSurface(gBackBuffer);
    gBackBuffer = nullptr;
    gBackPixels = nullptr;
    gDisplay.ReleaseSurfaces();
    gDisplay.ReleaseDDraw();
    gInput.ReleaseDInput();
}

void ResetShellHooks() {
    gShellHooks = ShellHooks{};
    gShellHooks.loadBattleScene = LoadBattleScene;
    gShellHooks.runFightScript = RunFightScript;
    gShellHooks.menuFrame = MenuFrame;
    gShellHooks.shopFrame = ShopFrame;
    gShellHooks.saveLoadScreen = SaveLoadScreen;
    gShellHooks.render = PresentBackBuffer;
    gShellHooks.releaseGame = ReleaseShellResources;
}
