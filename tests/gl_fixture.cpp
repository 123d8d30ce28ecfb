#include "gl_fixture.h"

#include <cstdio>

#include "platform/window.h"

// Other tests may run the whole game in this process and tear the device
// and window down, so both are brought back whenever they are missing.
bool GlTestDevice() {
    static bool unavailable = false;
    if (unavailable) return false;
    if (RdIsCreated()) return true;
    if (!PlatformInitVideo() || !PlatformCreateWindow("test") || !RdCreate()) {
        std::fprintf(stderr, "no OpenGL 3.3 display for the pixel tests\n");
        unavailable = true;
        return false;
    }
    return true;
}

std::vector<uint8_t> ReadView() {
    std::vector<uint8_t> img(800 * 600 * 4);
    RdReadPixels(0, 0, 800, 600, img.data());
    return img;
}
