// For the platform layer only: the SDL window behind the game window.
#pragma once

struct SDL_Window;

SDL_Window* PlatformSdlWindow();
