#include "shell/command_line.h"

#include <cstring>
#include <string>

#include "formats/settings_file.h"
#include "shell/data_places.h"

#ifndef ZORBAT_VERSION
#define ZORBAT_VERSION "unknown"
#endif

namespace {

struct OptionRow {
    const char* name;
    const char* value;  // the value's name in --help, null for a flag
    const char* help;
    // Null when taken, else what is wrong with the value.
    const char* (*apply)(CommandLine* line, const char* value);
};

const OptionRow kOptions[] = {
    {"--help", nullptr, "show this help and exit",
     [](CommandLine* l, const char*) -> const char* { l->help = true; return nullptr; }},
    {"--version", nullptr, "show the version and exit",
     [](CommandLine* l, const char*) -> const char* { l->version = true; return nullptr; }},
    {"--fullscreen", nullptr, "play on the whole screen (F11 or Alt+Enter switch)",
     [](CommandLine* l, const char*) -> const char* { l->fullscreen = 1; return nullptr; }},
    {"--window", nullptr, "play in a window",
     [](CommandLine* l, const char*) -> const char* { l->fullscreen = 0; return nullptr; }},
    {"--scale", "N", "a window of 800 x 600 times N (1 to 4)",
     [](CommandLine* l, const char* v) -> const char* {
         if (std::strlen(v) != 1 || v[0] < '1' || v[0] > '4') return "a whole number from 1 to 4";
         l->scale = v[0] - '0';
         return nullptr;
     }},
    {"--print-settings", nullptr, "print a settings file with every default and exit",
     [](CommandLine* l, const char*) -> const char* { l->printSettings = true; return nullptr; }},
    {"--replay", "FILE", "watch a recorded stage attempt (Space: double speed, Escape: stop)",
     [](CommandLine* l, const char* v) -> const char* { l->replay = v; return nullptr; }},
};

const OptionRow* FindOption(const char* name) {
    for (const OptionRow& o : kOptions)
        if (std::strcmp(o.name, name) == 0) return &o;
    return nullptr;
}

}  // namespace

int ParseCommandLine(int argc, char** argv, CommandLine* out) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        std::string name = arg;
        const char* value = nullptr;
        const size_t eq = name.find('=');
        if (name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg + eq + 1;
            name.resize(eq);
        }
        const OptionRow* o = FindOption(name.c_str());
        if (o == nullptr) {
            std::fprintf(stderr, "zorbat: unknown argument '%s' (zorbat --help lists the options)\n", arg);
            return 2;
        }
        if (o->value && value == nullptr) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "zorbat: %s needs a value (%s)\n", o->name, o->value);
                return 2;
            }
            value = argv[++i];
        } else if (!o->value && value != nullptr) {
            std::fprintf(stderr, "zorbat: %s takes no value\n", o->name);
            return 2;
        }
        if (const char* why = o->apply(out, value)) {
            std::fprintf(stderr, "zorbat: %s takes %s, not '%s'\n", o->name, why, value);
            return 2;
        }
    }
    if (out->help || out->version || out->printSettings) return 0;
    return -1;
}

void PrintHelp(std::FILE* to) {
    std::fprintf(to, "Usage: zorbat [OPTION]...\n"
                     "Zorbat U.F.O., a 3D flying shooter: clear each stage of its enemies\n"
                     "before the timer runs out.\n\nOptions:\n");
    for (const OptionRow& o : kOptions) {
        std::string left = o.name;
        if (o.value) left += std::string(" ") + o.value;
        std::fprintf(to, "  %-20s %s\n", left.c_str(), o.help);
    }
    std::fprintf(to, "\nThe game's data is read from the first of these that holds it:\n%s",
                 DataPlacesHelp().c_str());
    std::fprintf(to, "\nThe hiscore table is kept in bin/hiscore.pxd of the data folder when that\n"
                     "folder is writable, otherwise in $XDG_DATA_HOME/zorbat/hiscore.pxd\n"
                     "(~/.local/share/zorbat/hiscore.pxd when XDG_DATA_HOME is not set).\n"
                     "\nSettings are read from $XDG_CONFIG_HOME/zorbat/settings.ini\n"
                     "(~/.config/zorbat/settings.ini); every key is optional, the game never\n"
                     "writes the file, and --print-settings prints one to start from.\n"
                     "The keys, with their defaults:\n");
    PrintSettingsHelp(to);
    std::fprintf(to, "A key of [keys] takes one or two key names: A to Z, 0 to 9, F1 to F10, Left,\n"
                     "Right, Up, Down, Space, Return, Shift, Control, Alt, Tab, Backspace, Insert,\n"
                     "Delete, Home, End, PageUp, PageDown, Keypad0 to Keypad9.\n"
                     "\nEvery stage attempt is recorded as a replay in $XDG_DATA_HOME/zorbat/replays/\n"
                     "(as many as [replays] kept says, and those of the hiscore table's runs in\n"
                     "its hiscore/ folder).\n"
                     "\nF11 or Alt+Enter switch fullscreen; F12 saves a screenshot in the pictures\n"
                     "folder ($XDG_PICTURES_DIR/zorbat, else $XDG_DATA_HOME/zorbat/screenshots).\n"
                     "\nEnvironment:\n"
                     "  ZORBAT_DATA_DIR      a folder holding the game's data\n"
                     "  ZORBAT_SOUNDFONT     the General MIDI soundfont (.sf2) the music plays with\n"
                     "  XDG_DATA_HOME        where the replays go, and the hiscore when the data folder is read-only\n"
                     "  XDG_CONFIG_HOME      where zorbat/settings.ini is looked for\n"
                     "\nSee zorbat(6) for the controls.\n");
}

void PrintVersion(std::FILE* to) {
    std::fprintf(to, "zorbat %s\n"
                     "Copyright (C) 2026 the Zorbat U.F.O. developers\n"
                     "License GPLv2+: GNU GPL version 2 or later <https://gnu.org/licenses/gpl.html>.\n"
                     "The game's pictures, models, sounds and music: CC BY-SA 4.0.\n"
                     "This is free software: you are free to change and redistribute it.\n"
                     "There is NO WARRANTY, to the extent permitted by law.\n",
                 ZORBAT_VERSION);
}
