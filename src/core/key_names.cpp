#include "core/key_names.h"

#include <cctype>

namespace {

struct KeyRow {
    int vk;
    const char* name;  // as written; a second row for a code is another spelling it reads
};

const KeyRow kNamedKeys[] = {
    {0x25, "Left"},      {0x27, "Right"},    {0x26, "Up"},      {0x28, "Down"},
    {0x20, "Space"},     {0x0D, "Return"},   {0x0D, "Enter"},   {0x10, "Shift"},
    {0x11, "Control"},   {0x11, "Ctrl"},     {0x12, "Alt"},     {0x1B, "Escape"},
    {0x09, "Tab"},       {0x08, "Backspace"}, {0x2D, "Insert"}, {0x2E, "Delete"},
    {0x24, "Home"},      {0x23, "End"},      {0x21, "PageUp"},  {0x22, "PageDown"},
    {0x60, "Keypad0"},   {0x61, "Keypad1"},  {0x62, "Keypad2"}, {0x63, "Keypad3"},
    {0x64, "Keypad4"},   {0x65, "Keypad5"},  {0x66, "Keypad6"}, {0x67, "Keypad7"},
    {0x68, "Keypad8"},   {0x69, "Keypad9"},
};

std::string Upper(const std::string& s) {
    std::string u = s;
    for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

}  // namespace

int KeyByName(const std::string& name) {
    const std::string u = Upper(name);
    if (u.size() == 1 && ((u[0] >= 'A' && u[0] <= 'Z') || (u[0] >= '0' && u[0] <= '9'))) return u[0];
    if (u.size() >= 2 && u.size() <= 3 && u[0] == 'F' && u[1] != '0') {
        int n = 0;
        for (size_t i = 1; i < u.size(); ++i) {
            if (!std::isdigit(static_cast<unsigned char>(u[i]))) return 0;
            n = n * 10 + (u[i] - '0');
        }
        return n >= 1 && n <= 12 ? 0x70 + n - 1 : 0;
    }
    for (const KeyRow& k : kNamedKeys)
        if (u == Upper(k.name)) return k.vk;
    return 0;
}

std::string KeyName(int vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return std::string(1, static_cast<char>(vk));
    if (vk >= 0x70 && vk <= 0x7B) return "F" + std::to_string(vk - 0x70 + 1);
    for (const KeyRow& k : kNamedKeys)
        if (k.vk == vk) return k.name;
    return "";
}
