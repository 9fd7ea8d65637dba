// The program's start: single instance, installer call, window, loop.
#pragma once

int GameMain(int argc, char** argv);
