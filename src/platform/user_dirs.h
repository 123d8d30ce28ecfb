// Where a desktop user's own files go (the XDG base directories) and where
// the running program lies. Each XDG folder falls back to its usual default
// when its variable is unset, empty or not an absolute path, as the XDG rules
// ask; later folders (pictures, state) are added here the same way.
#pragma once
#include <string>

// $HOME, else the home folder of the user database, else "".
std::string HomeDir();
// $XDG_DATA_HOME, else ~/.local/share ("" with no home at all).
std::string XdgDataHome();
// $XDG_CONFIG_HOME, else ~/.config ("" with no home at all).
std::string XdgConfigHome();
// The desktop's pictures folder: $XDG_PICTURES_DIR, else the XDG_PICTURES_DIR
// line of $XDG_CONFIG_HOME/user-dirs.dirs (written by xdg-user-dirs-update);
// "" when neither names one, or it names the home folder itself (which
// means that the desktop has no pictures folder).
std::string XdgPicturesDir();
// The same from the text of a user-dirs.dirs file and the home folder.
std::string PicturesDirFromUserDirs(const std::string& text, const std::string& home);
// The folder holding the running executable, "" when the system cannot say.
std::string ExecutableDir();
// Creates `path` and any missing parents with mode 0700; true when it is a
// folder afterwards.
bool MakeUserDirs(const std::string& path);
// True when `path` is a folder this process may create files in.
bool DirWritable(const std::string& path);
