#include "shell/screenshot.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/png_writer.h"
#include "platform/render.h"
#include "platform/user_dirs.h"

std::string ScreenshotName(std::time_t t, int n) {
    std::tm local{};
    localtime_r(&t, &local);
    char name[64];
    std::strftime(name, sizeof name, "zorbat-%Y-%m-%d-%H-%M-%S", &local);
    std::string s = name;
    if (n > 1) s += "-" + std::to_string(n);
    return s + ".png";
}

bool SaveScreenshotTo(const std::string& folder) {
    const uint8_t* rgba = nullptr;
    int w = 0, h = 0;
    ViewRect v{};
    if (!RdLastPresent(&rgba, &w, &h, &v) || v.w <= 0 || v.h <= 0) {
        std::fprintf(stderr, "Zorbat U.F.O.: no picture for the screenshot\n");
        return false;
    }
    if (folder.empty() || !MakeUserDirs(folder)) {
        std::fprintf(stderr, "Zorbat U.F.O.: no folder for screenshots (%s)\n",
                     folder.empty() ? "no home folder" : folder.c_str());
        return false;
    }
    // The picture alone, at the size it was drawn.
    std::vector<uint8_t> view(static_cast<size_t>(v.w) * v.h * 4);
    for (int y = 0; y < v.h; ++y) {
        const uint8_t* from = rgba + (static_cast<size_t>(v.y + y) * w + v.x) * 4;
        std::copy(from, from + static_cast<size_t>(v.w) * 4, view.begin() + static_cast<long>(y) * v.w * 4);
    }
    const std::time_t now = std::time(nullptr);
    std::string path;
    struct stat st;
    for (int n = 1;; ++n) {
        path = folder + "/" + ScreenshotName(now, n);
        if (lstat(path.c_str(), &st) != 0) break;  // never over an existing file
    }
    if (!WritePng(path.c_str(), v.w, v.h, view.data())) {
        std::fprintf(stderr, "Zorbat U.F.O.: cannot write the screenshot %s\n", path.c_str());
        return false;
    }
    std::fprintf(stderr, "Zorbat U.F.O.: screenshot %s (%d x %d)\n", path.c_str(), v.w, v.h);
    return true;
}

std::string ScreenshotFolder() {
    const std::string pictures = XdgPicturesDir();
    if (!pictures.empty()) return pictures + "/zorbat";
    const std::string data = XdgDataHome();
    return data.empty() ? "" : data + "/zorbat/screenshots";
}

void SaveScreenshot() { SaveScreenshotTo(ScreenshotFolder()); }
