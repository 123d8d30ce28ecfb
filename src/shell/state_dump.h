// The game state as one JSON object, for scripted runs and checks outside the game.
#pragma once

bool WriteStateJson(const char* path, int frame);
