// Runs every benchmark, prints one table with each figure against its target
// (where it has one) and writes the same figures to bench.json in the build directory.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_targets.h"

namespace {

struct Row {
    std::string name;
    double value;      // per iteration, in `unit`
    std::string unit;  // "ms", "us", "MB" ...
    const BenchTarget* target;
};

std::vector<Row> g_rows;

class Collector : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.error_occurred) {
                // Shown rather than dropped: a figure that could not be taken is news.
                std::fprintf(stderr, "\n%s: not measured: %s\n", r.benchmark_name().c_str(),
                             r.error_message.c_str());
                continue;
            }
            Row row;
            row.name = r.benchmark_name();
            row.target = FindBenchTarget(row.name);
            // A benchmark that measures something other than time reports it
            // in a counter named after its unit.
            auto mb = r.counters.find("MB");
            if (mb != r.counters.end()) {
                row.value = mb->second;
                row.unit = "MB";
            } else {
                const double ns = r.GetAdjustedRealTime() *
                                  (r.time_unit == benchmark::kMillisecond   ? 1e6
                                   : r.time_unit == benchmark::kMicrosecond ? 1e3
                                   : r.time_unit == benchmark::kSecond      ? 1e9
                                                                            : 1.0);
                if (ns >= 1e6) {
                    row.value = ns / 1e6;
                    row.unit = "ms";
                } else {
                    row.value = ns / 1e3;
                    row.unit = "us";
                }
                if (row.target && row.target->unit == std::string("ms")) {
                    row.value = ns / 1e6;
                    row.unit = "ms";
                }
            }
            for (const auto& [key, c] : r.counters) {
                if (key == "MB") continue;
                // Extra counters describe the run; only an exact name has a target.
                const BenchTarget* t = FindBenchTarget(row.name + "/" + key);
                if (t && t->name[std::strlen(t->name) - 1] == '*') t = nullptr;
                Row extra{row.name + "/" + key, c.value, key, t};
                g_rows.push_back(extra);
            }
            g_rows.push_back(row);
            std::fprintf(stderr, ".");
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    std::fprintf(stderr, "\n");

    std::printf("%-56s %14s %10s  %s\n", "benchmark", "measured", "target", "");
    int missed = 0;
    for (const Row& r : g_rows) {
        char target[32] = "";
        const char* verdict = "";
        if (r.target) {
            std::snprintf(target, sizeof target, "<= %g %s", r.target->limit, r.target->unit);
            const bool ok = r.value <= r.target->limit;
            verdict = ok ? "ok" : "MISSED";
            missed += !ok;
        }
        std::printf("%-56s %10.3f %-3s %10s  %s\n", r.name.c_str(), r.value, r.unit.c_str(), target,
                    verdict);
    }

    const std::string path = std::string(ZORBAT_BINARY_DIR) + "/bench.json";
    if (FILE* f = std::fopen(path.c_str(), "w")) {
        std::fprintf(f, "{\"benchmarks\":[");
        for (size_t i = 0; i < g_rows.size(); ++i) {
            const Row& r = g_rows[i];
            std::fprintf(f, "%s\n {\"name\":\"%s\",\"value\":%.6g,\"unit\":\"%s\"", i ? "," : "",
                         r.name.c_str(), r.value, r.unit.c_str());
            if (r.target)
                std::fprintf(f, ",\"target\":%g,\"met\":%s", r.target->limit,
                             r.value <= r.target->limit ? "true" : "false");
            std::fprintf(f, "}");
        }
        std::fprintf(f, "\n]}\n");
        std::fclose(f);
        std::printf("\nwritten: %s%s\n", path.c_str(), missed ? "  (some targets missed)" : "");
    }
    return 0;
}
