// Inside the stage readers: tells the observer, if one is set, what a line was used for.
#pragma once
#include "formats/stage_files.h"

void ReportStageLine(const StageLine& line, const char* data, StageLineUse use,
                     StageField field = StageField::None, int part = -1);
