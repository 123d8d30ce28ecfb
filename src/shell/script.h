// Scripted input for the harness: one event per line, "F EVENT ARGS".
#pragma once
#include <string>
#include <vector>

#include "platform/window.h"

struct ScriptEvent {
    int frame;            // delivered before this frame runs
    PlatformEvent event;  // window message or mouse report
    int focus;            // -1 none, 0 focus out, 1 focus in
    int line;             // the script line it came from
};

// Virtual-key code for a key name without its prefix ("A", "LEFT", "RETURN"), or 0.
int VirtualKeyByName(const std::string& name);
// Parses a whole script. On a malformed line, or on a frame given more events than the
// input queue holds, returns false with the 1-based line number and a reason.
bool ParseScript(const std::string& text, std::vector<ScriptEvent>* out, int* errorLine,
                 std::string* reason);
