// The yardstick of scripts/startup: a bare SDL2 program, linked with SDL2
// alone, that opens a 640x480 window with a renderer, shows one cleared
// frame and waits for its end (a quit event, or the seconds of its first
// argument, 60 by default). Its start-up time and resident memory are what
// the game's are measured against.
#include <SDL.h>

#include <cstdlib>

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
    SDL_Window* window = SDL_CreateWindow("bare", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640, 480, 0);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, 0) : nullptr;
    if (!renderer) return 1;
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    const Uint32 end = SDL_GetTicks() + Uint32(seconds) * 1000;
    for (bool quit = false; !quit && SDL_GetTicks() < end;) {
        SDL_Event event;
        while (SDL_PollEvent(&event))
            if (event.type == SDL_QUIT) quit = true;
        SDL_RenderPresent(renderer);
        SDL_Delay(35);
    }
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
