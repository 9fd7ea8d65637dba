#include "shell/winmain.h"

int GameMain(int argc, char** argv) { return 0; }
