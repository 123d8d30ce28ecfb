#include "shell/script.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "core/key_names.h"

namespace {

bool ParseInt(const std::string& s, long min, long max, int* out) {
    if (s.empty()) return false;
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0' || v < min || v > max) return false;
    *out = static_cast<int>(v);
    return true;
}

ScriptEvent Make(int frame, int type, int code, int down) {
    ScriptEvent e;
    std::memset(&e, 0, sizeof e);
    e.frame = frame;
    e.event.type = type;
    e.event.code = code;
    e.event.down = down;
    e.focus = -1;
    return e;
}

// Controller buttons and axes by the names the controller API gives them.
const char* const kPadButtonNames[kPadButtonCount] = {
    "a", "b", "x", "y", "back", "start", "leftshoulder", "rightshoulder",
    "dpup", "dpdown", "dpleft", "dpright"};
const char* const kPadAxisNames[kPadAxisCount] = {"leftx",  "lefty",       "rightx",
                                                  "righty", "lefttrigger", "righttrigger"};

int IndexOf(const char* const* names, int count, const std::string& name) {
    for (int i = 0; i < count; ++i)
        if (name == names[i]) return i;
    return -1;
}

// "pad BUTTON down|up", "pad AXIS VALUE" or "pad unplug".
bool ParsePad(int frame, const std::vector<std::string>& w, ScriptEvent* e) {
    if (w.size() == 3 && w[2] == "unplug") {
        *e = Make(frame, EvPadRemoved, 0, 0);
        return true;
    }
    if (w.size() != 4) return false;
    const int button = IndexOf(kPadButtonNames, kPadButtonCount, w[2]);
    if (button >= 0) {
        if (w[3] != "down" && w[3] != "up") return false;
        *e = Make(frame, EvPadButton, button, w[3] == "down");
        return true;
    }
    const int axis = IndexOf(kPadAxisNames, kPadAxisCount, w[2]);
    int value;
    const bool trigger = axis == PadLeftTrigger || axis == PadRightTrigger;
    if (axis < 0 || !ParseInt(w[3], trigger ? 0 : -32768, 32767, &value)) return false;
    *e = Make(frame, EvPadAxis, axis, 0);
    e->event.dx = value;
    return true;
}

}  // namespace

int VirtualKeyByName(const std::string& name) { return KeyByName(name); }

bool ParseScript(const std::string& text, std::vector<ScriptEvent>* out, int* errorLine,
                 std::string* reason) {
    out->clear();
    std::istringstream in(text);
    std::string line;
    int number = 0;
    auto fail = [&](const char* why) {
        *errorLine = number;
        *reason = why;
        return false;
    };
    while (std::getline(in, line)) {
        ++number;
        const size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string s; words >> s;) w.push_back(s);
        if (w.empty()) continue;
        const size_t first = out->size();
        int frame;
        if (!ParseInt(w[0], 1, 1000000000, &frame)) return fail("frame must be a number from 1");
        if (w.size() < 2) return fail("missing event");
        const std::string& ev = w[1];
        if (ev == "down" || ev == "up" || ev == "tap") {
            if (w.size() != 3) return fail("expected: F down|up|tap KEY");
            const int vk = VirtualKeyByName(w[2]);
            if (vk == 0) return fail("unknown key");
            if (ev == "down" || ev == "tap") out->push_back(Make(frame, EvKeyDown, vk, 1));
            if (ev == "up") out->push_back(Make(frame, EvKeyUp, vk, 0));
            if (ev == "tap") out->push_back(Make(frame + 1, EvKeyUp, vk, 0));
        } else if (ev == "mouse") {
            int dx, dy;
            if (w.size() != 4 || !ParseInt(w[2], -100000, 100000, &dx) ||
                !ParseInt(w[3], -100000, 100000, &dy))
                return fail("expected: F mouse DX DY");
            ScriptEvent e = Make(frame, EvMouseMotion, 0, 0);
            e.event.dx = dx;
            e.event.dy = dy;
            out->push_back(e);
        } else if (ev == "button") {
            int b;
            if (w.size() != 4 || !ParseInt(w[2], 0, 2, &b) || (w[3] != "down" && w[3] != "up"))
                return fail("expected: F button 0|1|2 down|up");
            out->push_back(Make(frame, EvMouseButton, b, w[3] == "down"));
        } else if (ev == "pad") {
            ScriptEvent e;
            if (!ParsePad(frame, w, &e))
                return fail("expected: F pad BUTTON down|up, F pad AXIS VALUE or F pad unplug");
            out->push_back(e);
        } else if (ev == "focus") {
            if (w.size() != 3 || (w[2] != "out" && w[2] != "in"))
                return fail("expected: F focus out|in");
            const bool in = w[2] == "in";
            ScriptEvent e = Make(frame, in ? EvFocusIn : EvFocusOut, 0, 0);
            e.focus = in;
            out->push_back(e);
        } else {
            return fail("unknown event");
        }
        for (size_t i = first; i < out->size(); ++i) (*out)[i].line = number;
    }
    std::stable_sort(out->begin(), out->end(),
                     [](const ScriptEvent& a, const ScriptEvent& b) { return a.frame < b.frame; });
    // Every event of a frame waits in the input queue until the frame runs;
    // more than it holds would be lost without a word, so such a script is refused.
    for (size_t i = 0; i + kPlatformInjectCapacity < out->size(); ++i) {
        const ScriptEvent& over = (*out)[i + kPlatformInjectCapacity];
        if (over.frame == (*out)[i].frame) {
            number = over.line;
            return fail("too many events for one frame");
        }
    }
    return true;
}
