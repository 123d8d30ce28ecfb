// The checker's line-level findings: long lines and the contents of fields.
#include <cstring>

#include "formats/stage_check_internal.h"

namespace {

void Forward(const StageLineEvent& event, void* context) {
    auto* watch = static_cast<LineWatch*>(context);
    // One record, filled again for every line: its strings keep their room,
    // so a reader going through a long file costs no allocation per line.
    SeenLine& seen = watch->line;
    seen.use = event.use;
    seen.field = event.field;
    seen.part = event.part;
    seen.number = event.line->number;
    seen.continued = event.line->continued;
    seen.split = event.line->split;
    seen.raw.assign(event.line->text);
    seen.hasData = event.data != nullptr;
    seen.data.assign(event.data ? event.data : "");
    watch->onLine(seen);
}

std::string WithoutLineEnd(const std::string& text) {
    const size_t end = text.find('\n');
    return end == std::string::npos ? text : text.substr(0, end);
}

bool OnlySpaces(const char* p) {
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
    return *p == '\0';
}

int NumbersIn(StageField field) {
    switch (field) {
        case StageField::Tag: return 0;
        case StageField::Emissive:
        case StageField::PartCount:
        case StageField::Radius:
        case StageField::HitPoints: return 1;
        case StageField::LightColour: return 4;
        default: return 3;
    }
}

bool IsInteger(StageField field) {
    return field == StageField::PartCount || field == StageField::HitPoints;
}

}  // namespace

LineWatch::LineWatch(std::function<void(const SeenLine&)> onLine) : onLine(std::move(onLine)) {
    SetStageObserver(Forward, this);
}
LineWatch::~LineWatch() { SetStageObserver(nullptr, nullptr); }

namespace {
constexpr unsigned kSeen = 1, kUsed = 2;
}  // namespace

void SplitLines::Note(const SeenLine& line) {
    if (!line.continued && !line.split) return;
    const bool used = line.use != StageLineUse::Skipped && line.use != StageLineUse::Comment;
    flags_[line.number] |= kSeen | (used ? kUsed : 0);
}

bool SplitLines::Seen(int number) const {
    const auto it = flags_.find(number);
    return it != flags_.end() && (it->second & kSeen);
}

bool SplitLines::Used(int number) const {
    const auto it = flags_.find(number);
    return it != flags_.end() && (it->second & kUsed);
}

namespace {
// "file:line: kind: text", or "file: kind: text" for the file as a whole (line 0).
void Report(CheckReport* report, int line, const char* kind, const std::string& text) {
    if (line > 0)
        std::fprintf(report->out, "%s:%d: %s: %s\n", report->file, line, kind, text.c_str());
    else
        std::fprintf(report->out, "%s: %s: %s\n", report->file, kind, text.c_str());
}
}  // namespace

void ReportError(CheckReport* report, int line, const std::string& text) {
    Report(report, line, "error", text);
    ++report->errors;
}

void ReportWarning(CheckReport* report, int line, const std::string& text) {
    Report(report, line, "warning", text);
    ++report->warnings;
}

std::string Counted(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

void ReportInfo(CheckReport* report, const std::string& text) {
    std::fprintf(report->out, "%s: %s\n", report->file, text.c_str());
}

std::string Quoted(const std::string& text) { return "\"" + WithoutLineEnd(text) + "\""; }

bool IsBlank(const std::string& text) { return OnlySpaces(text.c_str()); }

bool CheckField(CheckReport* report, const SeenLine& line) {
    const std::string name = StageFieldName(line.field);
    const std::string part = line.part >= 0 ? " of part " + std::to_string(line.part) : "";
    const int errorsBefore = report->errors;
    if (IsBlank(line.data)) {
        ReportError(report, line.number,
                    "blank line read as the " + name + part +
                        (line.field == StageField::Tag ? " (an empty tag)" : " (as 0)") +
                        "; every later line of the block moves down one field");
        return true;
    }
    const std::string text = WithoutLineEnd(line.data);
    if (line.field == StageField::Tag) {
        if (text.size() > size_t(kMaxTagLength))
            ReportError(report, line.number,
                        "tag " + Quoted(text) + " is longer than 7 characters; the game keeps " +
                            Quoted(text.substr(0, kMaxTagLength)));
        return report->errors > errorsBefore;
    }
    const int wanted = NumbersIn(line.field);
    const char* p = text.c_str();
    for (int i = 0; i < wanted; ++i) {
        const char* end = nullptr;
        const std::string which = wanted > 1 ? "number " + std::to_string(i + 1) + " of the " : "the ";
        if (IsInteger(line.field)) {
            ParseStageInt(p, &end);
        } else {
            ParseStageFloat(p, &end);
        }
        const char* comma = std::strchr(p, ',');
        const std::string field = comma ? std::string(p, comma) : std::string(p);
        if (end == p) {
            ReportError(report, line.number,
                        which + name + part + " is " + Quoted(field) + ", not a number (reads as 0)");
        } else {
            const char* rest = end;
            while (*rest == ' ' || *rest == '\t') ++rest;
            if (*rest != '\0' && *rest != ',')
                ReportError(report, line.number,
                            which + name + part + " " + Quoted(field) + " is read only up to " +
                                Quoted(std::string(p, end)) + (IsInteger(line.field) ? " (a whole number)" : ""));
        }
        if (i + 1 == wanted) {
            if (wanted == 1 && comma && !OnlySpaces(comma + 1))
                ReportError(report, line.number,
                            "the " + name + part + " is one number; " + Quoted(text) + " is read as " +
                                Quoted(std::string(p, end)));
            else if (wanted > 1 && comma && !OnlySpaces(comma + 1))
                ReportWarning(report, line.number,
                              "the " + name + part + " takes " + std::to_string(wanted) +
                                  " numbers; " + Quoted(comma + 1) + " is ignored");
            break;
        }
        if (!comma) {
            ReportError(report, line.number,
                        "the " + name + part + " has only " + std::to_string(i + 1) + " of its " +
                            std::to_string(wanted) + " numbers; the rest read as 0");
            break;
        }
        p = comma + 1;
    }
    return report->errors > errorsBefore;
}

void CheckLongLines(CheckReport* report, const char* path, const SplitLines& splits) {
    std::vector<uint8_t> bytes;
    std::FILE* f = OpenStageFile(path, &bytes);
    if (!f) return;
    StageLineCursor cursor;
    BeginStageLines(&cursor, f);
    StageLine line;
    size_t length = 0;
    bool endsWithNewline = false;
    while (NextStageLine(&cursor, &line)) {
        const size_t n = std::strlen(line.text);
        endsWithNewline = n > 0 && line.text[n - 1] == '\n';
        length += endsWithNewline ? n - 1 : n;
        if (line.split) continue;
        // A line of exactly 31 characters comes out whole, but its line end
        // then reads as a blank line of its own. Lines no reader got to
        // (past the blocks checked) count as used.
        const std::string said = "line is " + std::to_string(length) +
                                 " characters long; the game reads at most 30 and takes the rest as the "
                                 "next line";
        if (length > 30 && (splits.Used(line.number) || !splits.Seen(line.number)))
            ReportError(report, line.number, said);
        else if (length > 30)
            ReportWarning(report, line.number, said + ", ignored here as the whole line is");
        length = 0;
    }
    std::fclose(f);
}
