// Shared between the parts of the stage-file checker.
#pragma once
#include <cstdio>
#include <functional>
#include <map>
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

// Hands every line event to `onLine` while a reader runs. Nothing is kept:
// the checker looks at each line as it comes, so a file of any length costs
// the same memory.
class LineWatch {
public:
    explicit LineWatch(std::function<void(const SeenLine&)> onLine);
    ~LineWatch();
    LineWatch(const LineWatch&) = delete;
    LineWatch& operator=(const LineWatch&) = delete;
    const std::function<void(const SeenLine&)> onLine;
    SeenLine line;  // the line being handed over
};

// What the readers did with the pieces of the lines that were split: a long
// line changes what the game reads unless every reader skipped all its
// pieces (or took them as comments).
class SplitLines {
public:
    void Note(const SeenLine& line);
    // Whether some reader saw the line's pieces, and whether any used one.
    bool Seen(int number) const;
    bool Used(int number) const;

private:
    std::map<int, unsigned> flags_;
};

// Reports what is odd about one data field: blank, not numeric, trailing
// text, missing numbers, long tags. Returns true when it found an error.
bool CheckField(CheckReport* report, const SeenLine& line);
// A line's text without its line end, quoted for messages.
std::string Quoted(const std::string& text);
bool IsBlank(const std::string& text);

// Lines longer than 30 characters anywhere in the file: an error where the
// split changes what the game reads, a warning where the whole line is
// ignored anyway (a long comment outside any block).
void CheckLongLines(CheckReport* report, const char* path, const SplitLines& splits);
