// The text layer of the stage files: lines as the game's 32-byte buffer sees
// them, tab trimming, comments and number reading.
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "formats/stage_files.h"
#include "formats/stage_observer.h"

namespace {
StageObserver g_observer = nullptr;
void* g_observerContext = nullptr;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

void SetStageObserver(StageObserver observer, void* context) {
    g_observer = observer;
    g_observerContext = context;
}

void ReportStageLine(const StageLine& line, const char* data, StageLineUse use, StageField field,
                     int part) {
    if (!g_observer) return;
    g_observer(StageLineEvent{&line, data, use, field, part}, g_observerContext);
}

void BeginStageLines(StageLineCursor* cursor, std::FILE* file) {
    cursor->file = file;
    cursor->number = 1;
    cursor->midLine = false;
}

bool NextStageLine(StageLineCursor* cursor, StageLine* line) {
    // What a text-mode read of at most 31 characters gives: CR LF counts as
    // one line end, a longer line is cut after 31 characters and its rest
    // comes back as the next piece.
    int n = 0;
    bool ended = false;
    while (n < 31) {
        int c = getc_unlocked(cursor->file);
        if (c == EOF) break;
        if (c == '\r') {
            const int next = getc_unlocked(cursor->file);
            if (next == '\n') {
                c = '\n';
            } else if (next != EOF) {
                std::ungetc(next, cursor->file);
            }
        }
        line->text[n++] = char(c);
        if (c == '\n') {
            ended = true;
            break;
        }
    }
    if (n == 0) return false;
    line->text[n] = '\0';
    line->number = cursor->number;
    line->continued = cursor->midLine;
    line->split = false;
    if (ended) {
        ++cursor->number;
        cursor->midLine = false;
    } else {
        // Cut at 31 characters, or the file ends without a line end.
        const int c = getc_unlocked(cursor->file);
        if (c != EOF) {
            std::ungetc(c, cursor->file);
            line->split = true;
        }
        cursor->midLine = line->split;
    }
    return true;
}

char* TrimLine(char* line) {
    size_t skip = 0;
    while (line[skip] == '\t') ++skip;
    if (line[skip] == '/' && line[skip + 1] == '/') return nullptr;
    if (skip > 0) std::memmove(line, line + skip, std::strlen(line + skip) + 1);
    return line;
}

float ParseStageFloat(const char* text, const char** end) {
    // Scan the decimal form first: the C library's own reader would also take
    // hexadecimal, "inf" and "nan", which the files never meant.
    const char* p = text;
    while (IsSpace(*p)) ++p;
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    int digits = 0;
    while (IsDigit(*p)) ++p, ++digits;
    if (*p == '.') {
        ++p;
        while (IsDigit(*p)) ++p, ++digits;
    }
    if (digits == 0) {
        if (end) *end = text;
        return 0.0f;
    }
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        if (IsDigit(*q)) {
            while (IsDigit(*q)) ++q;
            p = q;
        }
    }
    if (end) *end = p;
    char buffer[64];
    const size_t length = size_t(p - start);
    double value;
    if (length < sizeof buffer) {
        std::memcpy(buffer, start, length);
        buffer[length] = '\0';
        value = std::strtod(buffer, nullptr);
    } else {
        // Only a very long run of digits gets here; the C reader stops where
        // ours did unless the text is hexadecimal, which this length rules out.
        value = std::strtod(start, nullptr);
    }
    if (std::fabs(value) > double(FLT_MAX)) return value > 0 ? HUGE_VALF : -HUGE_VALF;
    return float(value);
}

int ParseStageInt(const char* text, const char** end) {
    const char* p = text;
    while (IsSpace(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (!IsDigit(*p)) {
        if (end) *end = text;
        return 0;
    }
    long long value = 0;
    while (IsDigit(*p)) {
        if (value <= INT_MAX) value = value * 10 + (*p - '0');
        ++p;
    }
    if (end) *end = p;
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return int(value);
}

void ParseStageFloats(const char* line, float* out, int count) {
    const char* p = line;
    for (int i = 0; i < count; ++i) {
        if (!p) {
            out[i] = 0.0f;  // the line has run out of fields
            continue;
        }
        out[i] = ParseStageFloat(p, nullptr);
        p = std::strchr(p, ',');
        if (p) ++p;
    }
}

void ParseVec3(const char* line, Vec3* out) {
    float v[3];
    ParseStageFloats(line, v, 3);
    *out = Vec3{v[0], v[1], v[2]};
}

uint8_t ClearColourByte(float value) {
    if (!(value > -2147483648.0f && value < 2147483648.0f)) return 0;
    return uint8_t(uint32_t(int32_t(value)) & 0xFF);
}

const char* StageFieldName(StageField field) {
    switch (field) {
        case StageField::None: return "nothing";
        case StageField::Tag: return "tag";
        case StageField::Emissive: return "emissive";
        case StageField::Rotation: return "rotation";
        case StageField::Position: return "position";
        case StageField::Scale: return "scale";
        case StageField::PartCount: return "part count";
        case StageField::MainCentre: return "main box centre";
        case StageField::MainAngles: return "main box angles";
        case StageField::MainHalfExtent: return "main box half extents";
        case StageField::PartOffset: return "part offset";
        case StageField::PartHalfExtent: return "part half extents";
        case StageField::Radius: return "radius";
        case StageField::HitPoints: return "hit points";
        case StageField::CameraOffset: return "camera offset";
        case StageField::CameraAngles: return "camera angles";
        case StageField::TargetOffset: return "target offset";
        case StageField::ClearColour: return "clear colour";
        case StageField::BoundsMin: return "bounds minimum";
        case StageField::BoundsMax: return "bounds maximum";
        case StageField::LightDirection: return "light direction";
        case StageField::LightColour: return "light colour";
    }
    return "?";
}
