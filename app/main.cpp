// Entry of the zuno game: no argument plays live and records, one argument
// plays that replay file back.
#include <SDL.h>

#include <cstdlib>

#include "app/game.h"

int main(int argc, char** argv) {
    // Linux has no SDL main wrapper: start SDL's core and arrange its shutdown here.
    SDL_Init(0);
    std::atexit(SDL_Quit);
    return runGame(argc, argv);
}
