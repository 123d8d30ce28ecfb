#include "graphics/image_prefetch.h"

#include <climits>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "formats/archive.h"
#include "platform/image.h"

namespace {

enum class State { Pending, Ready, Failed, Taken };

struct Entry {
    char name[kArchiveNameMax + 1];
    State state;
    int width, height;
    uint8_t* rgba;
};

struct Prefetch {
    std::mutex lock;
    std::condition_variable changed;
    std::thread worker;
    char archive[1024] = "";
    Entry entries[kPrefetchImages] = {};
    int count = 0;
    bool stop = false;

    ~Prefetch() { Stop(); }

    void Stop() {
        {
            std::lock_guard<std::mutex> hold(lock);
            stop = true;
        }
        if (worker.joinable()) worker.join();
        for (int i = 0; i < count; ++i) {
            if (entries[i].rgba) FreeImage(entries[i].rgba);
            entries[i] = Entry{};
        }
        count = 0;
        archive[0] = '\0';
        stop = false;
    }

    void Run() {
        for (int i = 0;; ++i) {
            char name[kArchiveNameMax + 1];
            {
                std::lock_guard<std::mutex> hold(lock);
                if (stop || i >= count) return;
                std::memcpy(name, entries[i].name, sizeof name);
            }
            uint8_t* bytes = nullptr;
            uint32_t size = 0;
            int w = 0, h = 0;
            uint8_t* rgba = nullptr;
            const bool ok = ReadArchiveEntry(archive, name, &bytes, &size) && size <= uint32_t(INT_MAX) &&
                            DecodeImage(bytes, int(size), &w, &h, &rgba);
            delete[] bytes;
            {
                std::lock_guard<std::mutex> hold(lock);
                Entry& e = entries[i];
                e.state = ok ? State::Ready : State::Failed;
                e.width = w;
                e.height = h;
                e.rgba = ok ? rgba : nullptr;
            }
            changed.notify_all();
        }
    }
};

Prefetch g_prefetch;

}  // namespace

void PrefetchArchiveImages(const char* archivePath, const char* const* names, int count) {
    Prefetch& p = g_prefetch;
    p.Stop();
    if (archivePath == nullptr || std::strlen(archivePath) >= sizeof p.archive) return;
    std::strcpy(p.archive, archivePath);
    for (int i = 0; i < count && p.count < kPrefetchImages; ++i) {
        if (names[i] == nullptr || std::strlen(names[i]) > kArchiveNameMax) continue;
        Entry& e = p.entries[p.count++];
        std::strcpy(e.name, names[i]);
        e.state = State::Pending;
    }
    if (p.count > 0) p.worker = std::thread([&p] { p.Run(); });
}

bool TakePrefetchedImage(const char* archivePath, const char* name, int* width, int* height,
                         uint8_t** rgba) {
    Prefetch& p = g_prefetch;
    std::unique_lock<std::mutex> hold(p.lock);
    if (archivePath == nullptr || name == nullptr || std::strcmp(archivePath, p.archive) != 0) return false;
    for (int i = 0; i < p.count; ++i) {
        Entry& e = p.entries[i];
        if (std::strcmp(e.name, name) != 0) continue;
        p.changed.wait(hold, [&] { return e.state != State::Pending; });
        if (e.state != State::Ready) return false;
        *width = e.width;
        *height = e.height;
        *rgba = e.rgba;
        e.rgba = nullptr;
        e.state = State::Taken;
        return true;
    }
    return false;
}

void StopPrefetch() { g_prefetch.Stop(); }
