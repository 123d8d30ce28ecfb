// One play frame's updates at the heaviest load a stage allows (see
// heaviest_stage.h). The frame is restored from a snapshot before every
// iteration, so each one measures the same frame.
#include <benchmark/benchmark.h>

#include "bench/heaviest_stage.h"

namespace {

void PlayFrameLogic_heaviest(benchmark::State& state) {
    heaviest::BuildHeaviestStage();
    for (auto _ : state) {
        heaviest::Restore();
        PlayUpdate();
        PlayEndChecks();
        benchmark::DoNotOptimize(ShotPool[0].position);
    }
    heaviest::Finish();
}

}  // namespace

BENCHMARK(PlayFrameLogic_heaviest)->Name("PlayFrameLogic/heaviest")->Unit(benchmark::kMicrosecond);
