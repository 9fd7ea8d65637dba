// Program entry: hands the command line to the shell.
#include "shell/winmain.h"

int main(int argc, char** argv) { return GameMain(argc, argv); }
