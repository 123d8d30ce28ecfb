// F12: the presented picture as a PNG in the player's pictures folder.
#pragma once
#include <ctime>
#include <string>

// The file name for a screenshot taken at local time `t`, with `n` added
// when a shot of that second already exists ("zorbat-2026-01-31-14-05-09.png",
// then "...-09-2.png").
std::string ScreenshotName(std::time_t t, int n);
// Writes the picture of the last captured present (its view, at the size it
// was drawn, without the bars) into `folder`, created when missing; one line
// on stderr says where, or why not.
bool SaveScreenshotTo(const std::string& folder);
// Where screenshots go: zorbat/ in the desktop's pictures folder, else
// $XDG_DATA_HOME/zorbat/screenshots ("" with no home at all).
std::string ScreenshotFolder();
void SaveScreenshot();
