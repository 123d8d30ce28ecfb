#include "gl_fixture.h"

#include <SDL.h>

#include <cstdio>

#include "platform/sdl_window.h"

// Stand-in window until the platform window lands.
namespace {
SDL_Window* g_testWindow = nullptr;
}
SDL_Window* PlatformSdlWindow() { return g_testWindow; }

bool GlTestDevice() {
    static int state = 0;  // 0 untried, 1 ready, -1 unavailable
    if (state != 0) return state > 0;
    state = -1;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "no video: %s\n", SDL_GetError());
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    g_testWindow = SDL_CreateWindow("test", 0, 0, 800, 600, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!g_testWindow || !RdCreate()) return false;
    state = 1;
    return true;
}

std::vector<uint8_t> ReadView() {
    std::vector<uint8_t> img(800 * 600 * 4);
    RdReadPixels(0, 0, 800, 600, img.data());
    return img;
}
