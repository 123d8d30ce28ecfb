#include "shell/game_loop.h"

int main() {
    RunOptions options;
    return RunGame(options);
}
