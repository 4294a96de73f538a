// Micro-benchmarks of the engine's innermost operations (not run by the tests):
//   build/engine_benchmark
#include <benchmark/benchmark.h>

#include "engine/engine.h"

namespace {

const char* const positions[] = {
    "wwwwwwwwwwww00000000bbbbbbbbbbbb w",
    "wwwwwww0ww0w0w000b0b00bbbb0bbbbb w",
    "0ww0w0wwww0w0w0wb0bb0bb00bbb0b0b b",
    "W0000w00000000b000000000B00b0000 w",
};

void startOnce()
{
    static bool started = false;
    if (started) return;
    seedRandom(1);
    initEngine();
    finishStartup();
    started = true;
}

void BM_GenerateLegalMoves(benchmark::State& state)
{
    startOnce();
    setPositionFromText(positions[state.range(0)]);
    for (auto _ : state) benchmark::DoNotOptimize(generateLegalMoves(sideToMove, 0));
}
BENCHMARK(BM_GenerateLegalMoves)->DenseRange(0, 3);

void BM_MakeUnmake(benchmark::State& state)
{
    startOnce();
    setPositionFromText(positions[state.range(0)]);
    plyState[0].positionKey = hashPosition(sideToMove);
    const int n = generateLegalMoves(sideToMove, 0);
    for (auto _ : state)
        for (int i = 1; i <= n; ++i) {
            makeMove(moveLists[0].moves[i], moveLists[0].captured[i], sideToMove, 0);
            unmakeMove(0);
        }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_MakeUnmake)->DenseRange(0, 3);

void BM_Evaluate(benchmark::State& state)
{
    startOnce();
    setPositionFromText(positions[state.range(0)]);
    for (auto _ : state) benchmark::DoNotOptimize(evaluate(sideToMove));
}
BENCHMARK(BM_Evaluate)->DenseRange(0, 3);

} // namespace

BENCHMARK_MAIN();
