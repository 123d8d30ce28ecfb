// The map-file readers on arbitrary text. The first byte picks the call: the
// camera setup and stage settings, the stage objects into tables kept from
// input to input, or one stage object, possibly far into the file.
// fuzz-sources: src/formats/stage_files.cpp src/formats/stage_text.cpp src/core/regular_file.cpp
// fuzz-sources: src/core/collision.cpp src/core/math3d.cpp
// fuzz-args: -max_len=1024
#include <cstdlib>

#include "formats/stage_files.h"
#include "fuzz_stream.h"

namespace {
StageObject g_objects[128];
Collider g_colliders[128];

void CheckCollider(const Collider& c) {
    if (c.shape.partCount < 0 || c.shape.partCount > kMaxColliderParts) std::abort();
    if ((c.shape.partCount == 0) != (c.shape.parts == nullptr)) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzStream stream(data, size);
    const int pick = size > 0 ? data[0] : 0;
    if (pick % 3 == 0) {
        CameraSetup camera{};
        StageSettings settings{};
        if (!ReadCameraSetupFrom(stream.File(), &camera) || !ReadStageSettingsFrom(stream.File(), &settings)) std::abort();
        volatile uint8_t colour = ClearColourByte(settings.clearColour.x) ^
                                  ClearColourByte(settings.clearColour.y) ^
                                  ClearColourByte(settings.clearColour.z);
        (void)colour;
    } else if (pick % 3 == 1) {
        const int capacity = 1 + pick / 3 % 4;
        const int count = ReadStageObjectFileFrom(stream.File(), g_objects, g_colliders, capacity);
        if (count < 0 || count > capacity) std::abort();
        for (int i = 0; i < capacity; ++i) CheckCollider(g_colliders[i]);
        for (int i = 0; i < count; ++i)
            if (g_objects[i].collider != &g_colliders[i] || g_objects[i].name[7] != '\0') std::abort();
    } else {
        StageObject object{};
        Collider collider{};
        if (ReadStageObjectBlockFrom(stream.File(), pick / 3 % 130, &object, &collider)) CheckCollider(collider);
        ReleaseStageObject(&object, &collider);
    }
    return 0;
}
