// For the platform layer only: game controllers through SDL's controller API.
// Every controller plugged in is opened, whenever it arrives; their buttons
// and axes come out as the events of window.h.
#pragma once

union SDL_Event;
struct PlatformEvent;

// Starts the controller subsystem (its absence only means no controllers).
void PadInit();
// Turns a controller event into one of ours; false for everything else and
// for the arrival of a controller (it is opened here and reports nothing).
bool PadTranslate(const SDL_Event& e, PlatformEvent* out);
