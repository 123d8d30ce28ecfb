// Names of the keys the game knows, for the settings file and the harness
// scripts: letters A to Z, digits 0 to 9, F1 to F12, and the named keys of
// the table in key_names.cpp. Case does not matter when reading a name.
#pragma once
#include <string>

// The virtual-key code of a key name, 0 for a name the game does not know.
int KeyByName(const std::string& name);
// The name a key is written with ("A", "Left", "Return"), "" for a code without one.
std::string KeyName(int vk);
