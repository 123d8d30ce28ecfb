// Shared between the parts of the stage-file checker.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "formats/stage_files.h"

// One line event as the readers reported it, kept after the reader returns.
struct SeenLine {
    StageLineUse use;
    StageField field;
    int part;
    int number;
    bool continued;
    bool split;
    std::string raw;   // as read, line end included
    std::string data;  // what the reader used (tabs dropped), if anything
    bool hasData;
};

struct CheckReport {
    std::FILE* out;
    const char* file;
    int errors;
    int warnings;
};

void ReportError(CheckReport* report, int line, const std::string& text);
void ReportWarning(CheckReport* report, int line, const std::string& text);
// "1 box part", "2 box parts".
std::string Counted(int count, const char* one, const char* many);
void ReportInfo(CheckReport* report, const std::string& text);

// Records every line event while a reader runs.
class LineRecorder {
public:
    LineRecorder();
    ~LineRecorder();
    LineRecorder(const LineRecorder&) = delete;
    LineRecorder& operator=(const LineRecorder&) = delete;
    std::vector<SeenLine> lines;
};

// Reports what is odd about one data field: blank, not numeric, trailing
// text, missing numbers, long tags. Returns true when it found an error.
bool CheckField(CheckReport* report, const SeenLine& line);
// A line's text without its line end, quoted for messages.
std::string Quoted(const std::string& text);
bool IsBlank(const std::string& text);

// Lines longer than 30 characters anywhere in the file.
void CheckLongLines(CheckReport* report, const char* path);
