#include "report.h"

#include <algorithm>

#include "formats/hiscore.h"
#include "game/stage_setup.h"
#include "pilots.h"

namespace {

constexpr double kFramesPerSecond = 60.0;

double Median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

// Nearest rank: the value that a tenth of the runs do not exceed.
double Percentile10(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    size_t rank = (v.size() + 9) / 10;
    return v[rank - 1];
}

int BestDefaultHiscore(int stage) {
    HiscoreEntry table[kHiscoreEntries];
    HiscoreDefaultTable(table);
    if (stage < 1 || stage > 3) return 0;
    return table[3 * (stage - 1)].score;
}

const char* EndName(int reason) {
    return reason == 0 ? "clear" : (reason == 1 ? "game over" : "time out");
}

// Damage per run by enemy kind 2..5, summed over the weapons of that kind.
double KindDamage(const Summary& s, int kind) {
    double sum = 0;
    for (int k = 0; k < kDamageSources; ++k)
        if (DamageSourceKind(k) == kind) sum += s.damagePerRun[k];
    return sum;
}

// {"gunship bullet":..., ...}: life lost to each weapon.
void WriteDamage(std::FILE* f, const double (&damage)[kDamageSources], int decimals) {
    std::fputc('{', f);
    for (int k = 0; k < kDamageSources; ++k)
        std::fprintf(f, "%s\"%s\":%.*f", k ? "," : "", DamageSourceName(k), decimals, damage[k]);
    std::fputc('}', f);
}

void Cell(std::FILE* out, double v, const char* format, int width) {
    if (v < 0)
        std::fprintf(out, "%*s", width, "-");
    else
        std::fprintf(out, format, width, v);
}

}  // namespace

std::vector<Summary> Summarise(const std::vector<RunResult>& runs) {
    std::vector<Summary> rows;
    std::vector<std::vector<const RunResult*>> groups;
    for (const RunResult& r : runs) {
        size_t g = 0;
        while (g < rows.size() && !(rows[g].stage == r.plan.stage && rows[g].pilot == r.plan.pilot)) ++g;
        if (g == rows.size()) {
            Summary s;
            s.stage = r.plan.stage;
            s.pilot = r.plan.pilot;
            s.bestDefault = BestDefaultHiscore(r.plan.stage);
            rows.push_back(s);
            groups.emplace_back();
        }
        groups[g].push_back(&r);
    }
    for (size_t g = 0; g < rows.size(); ++g) {
        Summary& s = rows[g];
        std::vector<double> alive, left, score, killed;
        for (const RunResult* r : groups[g]) {
            ++s.runs;
            alive.push_back(r->frames / kFramesPerSecond);
            killed.push_back(r->enemies > 0 ? static_cast<double>(r->killed) / r->enemies : 1.0);
            if (r->endReason == 0) {
                ++s.clears;
                left.push_back(r->timeLeft / kFramesPerSecond);
                score.push_back(r->score);
                if (r->score > s.bestDefault) ++s.clearsAbove;
            } else if (r->endReason == 1) {
                ++s.deaths;
            } else {
                ++s.timeouts;
            }
            for (int k = 0; k < kDamageSources; ++k) s.damagePerRun[k] += r->damage[k];
        }
        for (double& d : s.damagePerRun) d /= s.runs;
        s.aliveMedian = Median(alive);
        s.aliveP10 = Percentile10(alive);
        s.leftMedian = Median(left);
        s.scoreMedian = Median(score);
        s.killedMedian = Median(killed);
    }
    return rows;
}

void PrintTable(std::FILE* out, const std::vector<Summary>& rows) {
    std::fprintf(out,
                 "                      cleared  alive (s)     left  score   best    beat  killed"
                 "  damage per run by\n"
                 "stage pilot    runs   (lost)  median  p10  (s)    median  hiscore  it           "
                 "gunship charger tank aircraft\n");
    for (const Summary& s : rows) {
        std::fprintf(out, "%-5d %-8s %4d  %3.0f%% (%2d)", s.stage, PilotName(s.pilot), s.runs,
                     100.0 * s.clears / s.runs, s.deaths);
        Cell(out, s.aliveMedian, "%*.1f", 8);
        Cell(out, s.aliveP10, "%*.1f", 6);
        Cell(out, s.leftMedian, "%*.1f", 6);
        Cell(out, s.scoreMedian, "%*.0f", 8);
        std::fprintf(out, "  %6d  %3d/%-3d %4.0f%%   ", s.bestDefault, s.clearsAbove, s.clears,
                     100.0 * s.killedMedian);
        std::fprintf(out, "%7.1f %7.1f %4.1f %8.1f\n", KindDamage(s, 2), KindDamage(s, 3), KindDamage(s, 4),
                     KindDamage(s, 5));
    }
}

bool WriteJson(const char* path, const std::vector<Summary>& rows, const std::vector<RunResult>& runs) {
    std::FILE* f = std::fopen(path, "w");
    if (f == nullptr) return false;
    std::fputs("{\"rows\":[", f);
    for (size_t i = 0; i < rows.size(); ++i) {
        const Summary& s = rows[i];
        std::fprintf(f,
                     "%s\n{\"stage\":%d,\"pilot\":\"%s\",\"runs\":%d,\"timeLimit\":%d,\"clears\":%d,"
                     "\"gameOvers\":%d,\"timeOuts\":%d,\"clearRate\":%.3f,"
                     "\"aliveSeconds\":{\"median\":%.2f,\"p10\":%.2f},",
                     i ? "," : "", s.stage, PilotName(s.pilot), s.runs, StageTimeLimit(s.stage), s.clears,
                     s.deaths, s.timeouts, static_cast<double>(s.clears) / s.runs, s.aliveMedian, s.aliveP10);
        if (s.clears > 0)
            std::fprintf(f, "\"secondsLeftOnClear\":{\"median\":%.2f},\"scoreOnClear\":{\"median\":%.1f},",
                         s.leftMedian, s.scoreMedian);
        else
            std::fputs("\"secondsLeftOnClear\":null,\"scoreOnClear\":null,", f);
        std::fprintf(f, "\"bestDefaultHiscore\":%d,\"clearsAboveIt\":%d,\"killedShare\":{\"median\":%.3f},",
                     s.bestDefault, s.clearsAbove, s.killedMedian);
        std::fputs("\"damagePerRun\":", f);
        WriteDamage(f, s.damagePerRun, 2);
        std::fputc('}', f);
    }
    std::fputs("\n],\"runs\":[", f);
    for (size_t i = 0; i < runs.size(); ++i) {
        const RunResult& r = runs[i];
        std::fprintf(f,
                     "%s\n{\"stage\":%d,\"pilot\":\"%s\",\"seed\":%u,\"end\":\"%s\",\"frames\":%d,"
                     "\"timeLeft\":%d,\"life\":%d,\"maxLife\":%d,\"score\":%d,\"enemies\":%d,\"killed\":%d,"
                     "\"beams\":%d,\"stars\":%d,\"hits\":%d,\"damage\":",
                     i ? "," : "", r.plan.stage, PilotName(r.plan.pilot), r.plan.seed, EndName(r.endReason),
                     r.frames, r.timeLeft, r.life, r.maxLife, r.score, r.enemies, r.killed, r.beams, r.stars,
                     r.hits);
        double damage[kDamageSources];
        for (int k = 0; k < kDamageSources; ++k) damage[k] = r.damage[k];
        WriteDamage(f, damage, 0);
        std::fputc('}', f);
    }
    std::fputs("\n]}\n", f);
    return std::fclose(f) == 0;
}
