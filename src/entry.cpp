// Process entry. SDL 1.2 has no entry shim on this platform, so do what it
// does elsewhere: start SDL (and so its tick counter) before SDL_main, which
// counts its first frame-rate interval from that base.
#include "SDL.h"

#include "main.h"

int main(int argc, char** argv) {
    SDL_Init(SDL_INIT_NOPARACHUTE);
    return SDL_main(argc, argv);
}
