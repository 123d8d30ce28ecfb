#include "formats/replay_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/digest.h"
#include "core/regular_file.h"
#include "formats/stage_files.h"

namespace {

const char* const kEndNames[4] = {"clear", "gameover", "timeout", "quit"};
// The focus events in their order from ReplayFocusOut on.
const char* const kFocusNames[3] = {"out", "in", "pause"};
const char* const kButtonNames[7] = {"left", "right", "up", "down", "space", "shift", "enter"};
constexpr size_t kMaxLine = 512;

// ---- reading ----------------------------------------------------------------

struct Lines {
    const char* at;
    const char* end;
    int number = 0;
};

// The next line without its end (LF, or CR LF); false at the end of the text.
bool NextLine(Lines* in, std::string* line, std::string* error) {
    if (in->at >= in->end) return false;
    const char* nl = static_cast<const char*>(std::memchr(in->at, '\n', size_t(in->end - in->at)));
    const char* stop = nl ? nl : in->end;
    ++in->number;
    size_t n = size_t(stop - in->at);
    if (n > 0 && in->at[n - 1] == '\r') --n;
    if (n > kMaxLine) {
        *error = "line " + std::to_string(in->number) + ": longer than " + std::to_string(kMaxLine) +
                 " characters";
        return false;
    }
    line->assign(in->at, n);
    in->at = nl ? nl + 1 : in->end;
    return true;
}

// Words split at single spaces; an empty word (two spaces, a space at either
// end) makes the line malformed, as a file of ours never has one.
bool Words(const std::string& line, std::vector<std::string>* words) {
    words->clear();
    size_t start = 0;
    for (;;) {
        const size_t sp = line.find(' ', start);
        const std::string w = line.substr(start, sp == std::string::npos ? std::string::npos : sp - start);
        if (w.empty()) return false;
        words->push_back(w);
        if (sp == std::string::npos) return true;
        start = sp + 1;
    }
}

bool Decimal(const std::string& s, long long lo, long long hi, long long* out) {
    const size_t i = (s.size() > 1 && s[0] == '-') ? 1 : 0;
    // Eleven digits hold every value a replay has, and cannot overflow.
    if (i == s.size() || s.size() - i > 11) return false;
    long long v = 0;
    for (size_t k = i; k < s.size(); ++k) {
        if (s[k] < '0' || s[k] > '9') return false;
        v = v * 10 + (s[k] - '0');
    }
    if (i) v = -v;
    if (v < lo || v > hi) return false;
    *out = v;
    return true;
}

bool Int(const std::string& s, long long lo, long long hi, int* out) {
    long long v;
    if (!Decimal(s, lo, hi, &v)) return false;
    *out = int(v);
    return true;
}

bool Hex(const std::string& s, size_t digits, uint64_t* out) {
    if (s.size() != digits) return false;
    uint64_t v = 0;
    for (char c : s) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else return false;
        v = (v << 4) | uint64_t(d);
    }
    *out = v;
    return true;
}

// A float as the writer prints it (%.9g): finite, and within `lo`..`hi`.
bool Float(const std::string& s, float lo, float hi, float* out) {
    if (s.empty() || s.size() > 20) return false;
    for (char c : s)
        if (!((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e')) return false;
    char* end = nullptr;
    const float v = std::strtof(s.c_str(), &end);
    if (end != s.c_str() + s.size() || !std::isfinite(v) || v < lo || v > hi) return false;
    *out = v;
    return true;
}

int IndexOf(const char* const* names, int count, const std::string& s) {
    for (int i = 0; i < count; ++i)
        if (s == names[i]) return i;
    return -1;
}

class Reader {
public:
    Reader(const char* text, size_t size, Replay* out, std::string* error)
        : in_{text, text + size}, r_(out), error_(error) {}

    bool Run() {
        if (std::memchr(in_.at, '\0', size_t(in_.end - in_.at)) != nullptr) return Fail("not a text file");
        return Head() && Header() && Input() && Digests() && End();
    }

private:
    bool Fail(const std::string& why) {
        if (error_->empty()) *error_ = in_.number > 0 ? "line " + std::to_string(in_.number) + ": " + why : why;
        return false;
    }
    // The next line split into words, the first being `key` with `count` more.
    bool Line(const char* key, size_t count) {
        if (!NextLine(&in_, &line_, error_)) return error_->empty() ? Fail(std::string("ends before '") + key + "'") : false;
        if (!Words(line_, &w_) || w_[0] != key || w_.size() != count + 1)
            return Fail(std::string("expected '") + key + "' with " + std::to_string(count) + " value(s)");
        return true;
    }

    bool Head() {
        if (!NextLine(&in_, &line_, error_)) return error_->empty() ? Fail("empty file, not a replay") : false;
        if (line_.rfind("zorbat replay ", 0) != 0) return Fail("not a replay of this game");
        int version;
        if (!Int(line_.substr(14), 1, 1000000, &version)) return Fail("no format version");
        if (version != kReplayFormat) {
            *error_ = "format version " + std::to_string(version) + "; this game plays version " +
                      std::to_string(kReplayFormat);
            return false;
        }
        return true;
    }

    bool Header() {
        if (!Line("stage", 1) || !Int(w_[1], 1, 3, &r_->stage)) return Fail("stage must be 1, 2 or 3");
        if (!Line("end", 1) || (r_->end = IndexOf(kEndNames, 4, w_[1])) < 0)
            return Fail("end must be clear, gameover, timeout or quit");
        if (!Line("frames", 1) || !Int(w_[1], 1, kReplayMaxFrames, &r_->frames))
            return Fail("frames must be 1 to " + std::to_string(kReplayMaxFrames));
        long long seed;
        if (!Line("random", 1) || !Decimal(w_[1], 0, 4294967295ll, &seed)) return Fail("random must be 0 to 4294967295");
        r_->random = uint32_t(seed);
        const std::string n = std::to_string(r_->stage);
        if (!Line("data", 4) || w_[1] != "c" + n + ".pxd" || !Hex(w_[2], 16, &r_->actorData) ||
            w_[3] != "m" + n + ".pxd" || !Hex(w_[4], 16, &r_->mapData))
            return Fail("expected: data c" + n + ".pxd DIGEST m" + n + ".pxd DIGEST");
        if (!Line("latches", 7)) return false;
        for (int b = 0; b < 7; ++b)
            if (!Int(w_[size_t(b) + 1], 0, 1, &r_->carry.latches[b])) return Fail("a latch is 0 or 1");
        if (!Line("countdown", 1) || !Float(w_[1], 0.0f, 180.0f, &r_->carry.countdownFrames))
            return Fail("countdown must be 0 to 180");
        if (!Line("banner", 1) || !Int(w_[1], -1, 120, &r_->carry.startBanner)) return Fail("banner must be -1 to 120");
        if (!Line("hud", 3) || !Int(w_[1], 0, 60, &r_->carry.timeBlink) ||
            !Float(w_[2], -1.0f, 2.0f, &r_->carry.lifeFlashAlpha) || !Int(w_[3], 0, 1, &r_->carry.lifeFlashFalling))
            return Fail("expected: hud BLINK(0..60) PULSE DIRECTION(0, 1)");
        if (!Line("shown", 1) || (r_->carry.endShown = IndexOf(kEndNames, 3, w_[1])) < 0)
            return Fail("shown must be clear, gameover or timeout");
        return Line("input", 0);
    }

    bool Input() {
        r_->eventCount = 0;
        int last = 0;
        for (;;) {
            if (!NextLine(&in_, &line_, error_)) return error_->empty() ? Fail("ends before 'digests'") : false;
            if (line_ == "digests") return true;
            if (!Words(line_, &w_) || w_.size() < 2) return Fail("expected: FRAME EVENT ...");
            ReplayEvent e{};
            if (!Int(w_[0], 0, r_->frames - 1, &e.frame)) return Fail("frame outside 0.." + std::to_string(r_->frames - 1));
            if (e.frame < last) return Fail("frames must not go back");
            last = e.frame;
            const std::string& what = w_[1];
            int v;
            if ((what == "press" || what == "release") && w_.size() == 3 && (v = IndexOf(kButtonNames, 7, w_[2])) >= 0) {
                e.kind = what == "press" ? ReplayPress : ReplayRelease;
                e.code = uint8_t(v);
            } else if (what == "mouse" && w_.size() == 4 && Int(w_[2], -kReplayMaxMotion, kReplayMaxMotion, &e.dx) &&
                       Int(w_[3], -kReplayMaxMotion, kReplayMaxMotion, &e.dy)) {
                e.kind = ReplayMouse;
            } else if (what == "button" && w_.size() == 4 && Int(w_[2], 0, 2, &v) && (w_[3] == "down" || w_[3] == "up")) {
                e.kind = w_[3] == "down" ? ReplayButtonDown : ReplayButtonUp;
                e.code = uint8_t(v);
            } else if (what == "focus" && w_.size() == 3 && (v = IndexOf(kFocusNames, 3, w_[2])) >= 0) {
                e.kind = uint8_t(ReplayFocusOut + v);
            } else {
                return Fail("unknown input '" + line_ + "'");
            }
            if (r_->eventCount == kReplayMaxEvents) return Fail("more than " + std::to_string(kReplayMaxEvents) + " inputs");
            r_->events[r_->eventCount++] = e;
        }
    }

    bool Digests() {
        r_->checkCount = 0;
        int next = 0;  // the first frame the next line covers
        while (next < r_->frames) {
            if (!NextLine(&in_, &line_, error_)) return error_->empty() ? Fail("the digests end at frame " + std::to_string(next)) : false;
            int frame;
            uint64_t full;
            if (!Words(line_, &w_) || w_.size() != 3 || !Int(w_[0], next, r_->frames - 1, &frame) ||
                !IsReplayCheckFrame(frame, r_->frames) || !Hex(w_[1], 16, &full))
                return Fail("expected: FRAME DIGEST SHORT-DIGESTS, for a frame after " + std::to_string(next - 1));
            // A line covers every frame since the previous line, up to its own.
            const size_t count = size_t(frame - next + 1);
            if (frame - next + 1 > kReplayCheckEvery || w_[2].size() != 4 * count)
                return Fail("expected " + std::to_string(count) + " short digests");
            for (size_t i = 0; i < count; ++i) {
                uint64_t s;
                if (!Hex(w_[2].substr(4 * i, 4), 4, &s)) return Fail("a short digest is 4 hex digits");
                r_->frameDigest[size_t(next) + i] = uint16_t(s);
            }
            if (uint16_t(full) != r_->frameDigest[frame]) return Fail("the frame's digests disagree");
            r_->checks[r_->checkCount++] = ReplayCheck{frame, full};
            next = frame + 1;
        }
        return true;
    }

    bool End() {
        if (!Line("end", 0)) return false;
        if (in_.at != in_.end) return Fail("more after 'end'");
        return true;
    }

    Lines in_;
    Replay* r_;
    std::string* error_;
    std::string line_;
    std::vector<std::string> w_;
};

// ---- files --------------------------------------------------------------------

// A regular file, read whole, at most `limit` bytes; a FIFO or a device is
// refused before it is read.
bool ReadRegular(const char* path, size_t limit, std::vector<uint8_t>* bytes, std::string* error) {
    FileProblem problem;
    if (ReadRegularFile(path, limit, bytes, &problem)) return true;
    *error = FileProblemText(problem);
    return false;
}

void Hex16(std::string* out, uint64_t v, int digits) {
    char buf[17];
    std::snprintf(buf, sizeof buf, "%0*llx", digits, static_cast<unsigned long long>(v));
    *out += buf;
}

}  // namespace

const char* ReplayEndName(int end) { return kEndNames[(end >= 0 && end < 4) ? end : ReplayQuit]; }

bool IsReplayCheckFrame(int frame, int frames) {
    return frame == frames - 1 || (frame + 1) % kReplayCheckEvery == 0;
}

std::string FormatReplay(const Replay& r) {
    std::string t;
    t.reserve(size_t(r.eventCount) * 20 + size_t(r.frames) * 5 + 512);
    char buf[160];
    const ReplayCarry& c = r.carry;
    std::snprintf(buf, sizeof buf, "zorbat replay %d\nstage %d\nend %s\nframes %d\nrandom %u\n", kReplayFormat,
                  r.stage, ReplayEndName(r.end), r.frames, r.random);
    t += buf;
    t += "data c" + std::to_string(r.stage) + ".pxd ";
    Hex16(&t, r.actorData, 16);
    t += " m" + std::to_string(r.stage) + ".pxd ";
    Hex16(&t, r.mapData, 16);
    std::snprintf(buf, sizeof buf,
                  "\nlatches %d %d %d %d %d %d %d\ncountdown %.9g\nbanner %d\nhud %d %.9g %d\nshown %s\ninput\n",
                  c.latches[0], c.latches[1], c.latches[2], c.latches[3], c.latches[4], c.latches[5], c.latches[6],
                  double(c.countdownFrames), c.startBanner, c.timeBlink, double(c.lifeFlashAlpha), c.lifeFlashFalling,
                  kEndNames[c.endShown >= 0 && c.endShown < 3 ? c.endShown : 0]);
    t += buf;
    for (int i = 0; i < r.eventCount; ++i) {
        const ReplayEvent& e = r.events[i];
        switch (e.kind) {
            case ReplayPress:
            case ReplayRelease:
                std::snprintf(buf, sizeof buf, "%d %s %s\n", e.frame, e.kind == ReplayPress ? "press" : "release",
                              kButtonNames[e.code % 7]);
                break;
            case ReplayMouse: std::snprintf(buf, sizeof buf, "%d mouse %d %d\n", e.frame, e.dx, e.dy); break;
            case ReplayButtonDown:
            case ReplayButtonUp:
                std::snprintf(buf, sizeof buf, "%d button %d %s\n", e.frame, e.code,
                              e.kind == ReplayButtonDown ? "down" : "up");
                break;
            default:
                std::snprintf(buf, sizeof buf, "%d focus %s\n", e.frame, kFocusNames[(e.kind - ReplayFocusOut) % 3]);
                break;
        }
        t += buf;
    }
    t += "digests\n";
    int first = 0;
    for (int k = 0; k < r.checkCount; ++k) {
        const ReplayCheck& check = r.checks[k];
        t += std::to_string(check.frame) + " ";
        Hex16(&t, check.digest, 16);
        t += ' ';
        for (int f = first; f <= check.frame; ++f) Hex16(&t, r.frameDigest[f], 4);
        t += '\n';
        first = check.frame + 1;
    }
    t += "end\n";
    return t;
}

bool ParseReplay(const char* text, size_t size, Replay* out, std::string* error) {
    error->clear();
    if (size > kReplayMaxFileBytes) {
        *error = "larger than " + std::to_string(kReplayMaxFileBytes) + " bytes";
        return false;
    }
    Reader reader(text, size, out, error);
    return reader.Run();
}

bool ReadReplayFile(const char* path, Replay* out, std::string* error) {
    std::vector<uint8_t> bytes;
    if (!ReadRegular(path, kReplayMaxFileBytes, &bytes, error)) return false;
    return ParseReplay(reinterpret_cast<const char*>(bytes.data()), bytes.size(), out, error);
}

bool WriteReplayFile(const char* path, const std::string& text, std::string* error) {
    const std::string temp = std::string(path) + ".part";
    // A file of our own, never one found in the way (a link left there).
    unlink(temp.c_str());
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        *error = std::strerror(errno);
        return false;
    }
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            *error = std::strerror(errno);
            close(fd);
            unlink(temp.c_str());
            return false;
        }
        done += size_t(n);
    }
    if (close(fd) != 0 || rename(temp.c_str(), path) != 0) {
        *error = std::strerror(errno);
        unlink(temp.c_str());
        return false;
    }
    return true;
}

bool FileDigest(const std::string& path, uint64_t* digest) {
    std::vector<uint8_t> bytes;
    std::string why;
    if (!ReadRegular(path.c_str(), kStageFileMaxBytes, &bytes, &why)) return false;
    Digest d;
    d.Bytes(bytes.data(), bytes.size());
    *digest = d.value;
    return true;
}
