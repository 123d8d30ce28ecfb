#include "formats/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cctype>
#include <cstddef>
#include <cstring>
#include <sstream>
#include <vector>

#include "core/key_names.h"

namespace {

enum class Kind { Flag, Whole, Real, Keys };

struct SettingRow {
    const char* section;
    const char* key;
    Kind kind;
    double min, max;  // Whole and Real
    size_t offset;    // of the field in PlayerSettings; for Keys, the button
    const char* help;
};

#define FIELD(f) offsetof(PlayerSettings, f)

// One row per key, in the order the printed file lists them.
const SettingRow kRows[] = {
    {"display", "fullscreen", Kind::Flag, 0, 0, FIELD(fullscreen),
     "the whole screen, not a window (F11 or Alt+Enter switch)"},
    {"display", "scale", Kind::Whole, 1, 4, FIELD(scale), "the window's size: 800 x 600 times 1 to 4"},
    {"display", "vsync", Kind::Flag, 0, 0, FIELD(vsync), "each picture waits for the display's refresh"},
    {"display", "integer_scaling", Kind::Flag, 0, 0, FIELD(integerScaling),
     "grow by whole multiples only (even pixels, wider bars)"},
    {"keys", "left", Kind::Keys, 0, 0, ButtonLeft, "strafe left; menus: previous page"},
    {"keys", "right", Kind::Keys, 0, 0, ButtonRight, "strafe right; menus: next page"},
    {"keys", "up", Kind::Keys, 0, 0, ButtonUp, "thrust forward; menus: cursor up"},
    {"keys", "down", Kind::Keys, 0, 0, ButtonDown, "thrust back; menus: cursor down"},
    {"keys", "space", Kind::Keys, 0, 0, ButtonSpace, "climb; menus: select"},
    {"keys", "shift", Kind::Keys, 0, 0, ButtonShift, "dive; menus: back"},
    {"keys", "enter", Kind::Keys, 0, 0, ButtonEnter, "pause; menus: confirm"},
    {"mouse", "sensitivity", Kind::Real, 0.1, 10, FIELD(mouseSensitivity), "turning speed, 0.1 to 10"},
    {"mouse", "invert_pitch", Kind::Flag, 0, 0, FIELD(invertPitch),
     "mouse or right stick forward lifts the nose"},
    {"gamepad", "sensitivity", Kind::Real, 0.1, 10, FIELD(padSensitivity),
     "the right stick's turning speed, 0.1 to 10"},
    {"gamepad", "dead_zone", Kind::Whole, 0, 90, FIELD(padDeadZone),
     "percent of stick travel ignored at the centre, 0 to 90"},
    {"sound", "music_volume", Kind::Whole, 0, 100, FIELD(musicVolume), "0 (silent) to 100"},
    {"sound", "effects_volume", Kind::Whole, 0, 100, FIELD(effectsVolume), "0 (silent) to 100"},
    {"sound", "mute", Kind::Flag, 0, 0, FIELD(mute), "no sound at all"},
    {"focus", "pause_on_focus_loss", Kind::Flag, 0, 0, FIELD(pauseOnFocusLoss),
     "another window in front pauses the countdown and play"},
    {"replays", "kept", Kind::Whole, 0, 1000, FIELD(replaysKept),
     "replays kept besides the hiscore table's, 0 to 1000 (the oldest go first)"},
};

#undef FIELD

constexpr size_t kMaxLine = 512;
// The keys that are the game's own: Escape quits, F11 and F12 are the
// display's and the screenshots'.
constexpr int kReservedKeys[] = {0x1B, 0x7A, 0x7B};

template <typename T>
T& Field(PlayerSettings* s, const SettingRow& row) {
    return *reinterpret_cast<T*>(reinterpret_cast<char*>(s) + row.offset);
}
template <typename T>
const T& Field(const PlayerSettings& s, const SettingRow& row) {
    return *reinterpret_cast<const T*>(reinterpret_cast<const char*>(&s) + row.offset);
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t')) ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r')) --b;
    return s.substr(a, b - a);
}

bool SectionKnown(const std::string& section) {
    for (const SettingRow& r : kRows)
        if (section == r.section) return true;
    return false;
}

std::string KeysOf(const std::string& section) {
    std::string list;
    for (const SettingRow& r : kRows) {
        if (section != r.section) continue;
        list += (list.empty() ? "" : ", ") + std::string(r.key);
    }
    return list;
}

std::string RealText(float v) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    std::string s(buf, res.ptr);
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    return s;
}

std::string KeysText(const uint8_t keys[kKeysPerButton]) {
    std::string s;
    for (int k = 0; k < kKeysPerButton; ++k) {
        if (keys[k] == 0) continue;
        s += (s.empty() ? "" : " ") + KeyName(keys[k]);
    }
    return s;
}

std::string ValueText(const PlayerSettings& s, const SettingRow& row) {
    switch (row.kind) {
        case Kind::Flag: return Field<bool>(s, row) ? "yes" : "no";
        case Kind::Whole: return std::to_string(Field<int>(s, row));
        case Kind::Real: return RealText(Field<float>(s, row));
        case Kind::Keys: return KeysText(s.keys.keys[row.offset]);
    }
    return "";
}

std::string Range(const SettingRow& row) {
    std::ostringstream r;
    r << row.min << " to " << row.max;
    return r.str();
}

// Sets one value; "" when it was taken, else what is wrong with it.
std::string Apply(const SettingRow& row, const std::string& value, PlayerSettings* s) {
    const std::string v = Lower(value);
    const char* first = value.data();
    const char* last = value.data() + value.size();
    switch (row.kind) {
        case Kind::Flag:
            if (v == "yes" || v == "true" || v == "on" || v == "1") {
                Field<bool>(s, row) = true;
            } else if (v == "no" || v == "false" || v == "off" || v == "0") {
                Field<bool>(s, row) = false;
            } else {
                return std::string(row.key) + " must be yes or no, not \"" + value + "\"";
            }
            return "";
        case Kind::Whole: {
            int n = 0;
            const auto res = std::from_chars(first, last, n);
            if (res.ec != std::errc() || res.ptr != last || n < row.min || n > row.max)
                return std::string(row.key) + " must be a whole number from " + Range(row) + ", not \"" + value + "\"";
            Field<int>(s, row) = n;
            return "";
        }
        case Kind::Real: {
            float x = 0.0f;
            const auto res = std::from_chars(first, last, x);
            if (res.ec != std::errc() || res.ptr != last || !(x >= row.min && x <= row.max))
                return std::string(row.key) + " must be a number from " + Range(row) + ", not \"" + value + "\"";
            Field<float>(s, row) = x;
            return "";
        }
        case Kind::Keys: {
            std::istringstream words(value);
            std::vector<std::string> names;
            for (std::string w; words >> w;) names.push_back(w);
            if (names.empty() || names.size() > kKeysPerButton)
                return std::string(row.key) + " takes one or two key names, separated by a space";
            uint8_t keys[kKeysPerButton] = {};
            for (size_t i = 0; i < names.size(); ++i) {
                const int vk = KeyByName(names[i]);
                if (vk == 0)
                    return "\"" + names[i] + "\" is not a key name (A to Z, 0 to 9, F1 to F10, Left, "
                           "Right, Up, Down, Space, Return, Shift, Control, Alt, Tab, Backspace, "
                           "Insert, Delete, Home, End, PageUp, PageDown, Keypad0 to Keypad9)";
                for (int reserved : kReservedKeys) {
                    if (vk == reserved)
                        return KeyName(vk) + " cannot hold a button: Escape quits, F11 and Alt+Enter "
                               "switch fullscreen, F12 takes a screenshot";
                }
                keys[i] = static_cast<uint8_t>(vk);
            }
            std::memcpy(s->keys.keys[row.offset], keys, sizeof keys);
            return "";
        }
    }
    return "unreadable";
}

}  // namespace

int ReadSettings(const std::string& text, const std::string& name, PlayerSettings* settings,
                 SettingsReport report, void* user) {
    int bad = 0;
    int number = 0;
    std::string section;
    bool sectionKnown = false;
    size_t at = 0;
    // A byte-order mark before the first line is not part of it.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) at = 3;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string raw = text.substr(at, end - at);
        at = end + 1;
        ++number;
        auto fail = [&](const std::string& why) {
            ++bad;
            if (report) report(name + ":" + std::to_string(number) + ": " + why, user);
        };
        if (raw.size() > kMaxLine) {
            fail("the line is longer than " + std::to_string(kMaxLine) + " characters; it is skipped");
            continue;
        }
        if (raw.find('\0') != std::string::npos) {
            fail("the line holds a NUL byte; it is skipped");
            continue;
        }
        std::string line = raw;
        const size_t hash = line.find_first_of("#;");
        if (hash != std::string::npos) line.erase(hash);
        line = Trim(line);
        if (line.empty()) continue;
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) {
                fail("expected a section name in brackets, such as [display]");
                section.clear();
                sectionKnown = false;
                continue;
            }
            section = Lower(Trim(line.substr(1, line.size() - 2)));
            sectionKnown = SectionKnown(section);
            if (!sectionKnown)
                fail("there is no section [" + section + "] (there are [display], [keys], [mouse], "
                     "[gamepad], [sound] and [focus]); its keys are skipped");
            continue;
        }
        // Keys of a section already reported are skipped without a word more.
        if (!section.empty() && !sectionKnown) continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            fail("expected \"key = value\"");
            continue;
        }
        const std::string key = Lower(Trim(line.substr(0, eq)));
        const std::string value = Trim(line.substr(eq + 1));
        if (section.empty()) {
            fail("\"" + key + "\" comes before any [section]");
            continue;
        }
        const SettingRow* row = nullptr;
        for (const SettingRow& r : kRows)
            if (section == r.section && key == r.key) row = &r;
        if (row == nullptr) {
            fail("[" + section + "] has no key \"" + key + "\" (its keys: " + KeysOf(section) + ")");
            continue;
        }
        const std::string why = Apply(*row, value, settings);
        if (!why.empty()) fail(why + "; the line is skipped");
    }
    return bad;
}

int LoadSettingsFile(const std::string& path, PlayerSettings* settings) {
    // Non-blocking, so that a FIFO put in the file's place cannot hold the
    // game up before it is found out.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return 0;  // no settings: the defaults
        std::fprintf(stderr, "zorbat: %s cannot be read (%s); the default settings apply\n", path.c_str(),
                     std::strerror(errno));
        return 1;
    }
    struct stat st;
    const char* refused = nullptr;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) refused = "is not a plain file";
    else if (st.st_size > kSettingsMaxBytes) refused = "is larger than 64 KB";
    std::string text;
    if (refused == nullptr) {
        char buf[4096];
        ssize_t n;
        while ((n = read(fd, buf, sizeof buf)) > 0 && text.size() <= size_t(kSettingsMaxBytes))
            text.append(buf, size_t(n));
        if (n < 0) refused = "cannot be read";
        else if (text.size() > size_t(kSettingsMaxBytes)) refused = "is larger than 64 KB";
    }
    close(fd);
    if (refused) {
        std::fprintf(stderr, "zorbat: %s %s; it is not read and the default settings apply\n", path.c_str(),
                     refused);
        return 1;
    }
    return ReadSettings(text, path, settings,
                        [](const std::string& m, void*) { std::fprintf(stderr, "zorbat: %s\n", m.c_str()); },
                        nullptr);
}

void PrintSettings(std::FILE* to, const PlayerSettings& settings) {
    std::fprintf(to,
                 "# Zorbat U.F.O. settings: $XDG_CONFIG_HOME/zorbat/settings.ini\n"
                 "# (~/.config/zorbat/settings.ini). Every key is optional; a key left out\n"
                 "# keeps its default, shown here. The game only reads this file.\n"
                 "# [keys]: one or two key names per button, separated by a space.\n");
    const char* section = "";
    for (const SettingRow& r : kRows) {
        if (std::strcmp(section, r.section) != 0) {
            section = r.section;
            std::fprintf(to, "\n[%s]\n", section);
        }
        std::fprintf(to, "# %s\n%s = %s\n", r.help, r.key, ValueText(settings, r).c_str());
    }
}

void PrintSettingsHelp(std::FILE* to) {
    const PlayerSettings defaults;
    for (const SettingRow& r : kRows) {
        const std::string left = std::string("[") + r.section + "] " + r.key + " = " + ValueText(defaults, r);
        std::fprintf(to, "  %-34s %s\n", left.c_str(), r.help);
    }
}
