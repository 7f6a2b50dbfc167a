// ostrel-dump end to end, as a script runs it: rows per second into /dev/null (TSV and JSON), and the
// --summary time beside `wc -l` on the same file, warm cache.
// Sizes: 100 MB by default; set OSTREL_BENCH_GB=1 for the 1 GB file as well.
#include "XdtGen.h"
#include "document/XDTPtrList.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>

namespace {

// Wall time of a shell command, or a negative value when it failed.
double Seconds(const std::string& Cmd) {
    const auto T0 = std::chrono::steady_clock::now();
    if (std::system(Cmd.c_str()) != 0) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - T0).count();
}

std::string Dump(const std::string& Args, const std::string& Path) {
    return std::string("'" OSTREL_BIN_DIR "/ostrel-dump' ") + Args + " '" + Path + "' > /dev/null 2>&1";
}

int LinesOf(const std::string& Path) {
    TFileXDTPtrList L;
    LoadXDTFile(L, Path);
    return L.Count();
}

void Run(benchmark::State& State, const std::string& Args) {
    const std::string Path = xdtgen::File(uint64_t(State.range(0)) << 20);
    const int Lines = LinesOf(Path);
    double Best = 1e9;
    for (auto _ : State) {
        const double S = Seconds(Dump(Args, Path));
        if (S < 0) {
            State.SkipWithError("ostrel-dump failed");
            return;
        }
        Best = std::min(Best, S);
        State.SetIterationTime(S);
    }
    State.SetItemsProcessed(int64_t(State.iterations()) * Lines);
    State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(std::filesystem::file_size(Path)));
    State.counters["lines"] = Lines;
    State.counters["best_s"] = Best;
    State.counters["rows_per_s_best"] = Best > 0 ? Lines / Best : 0;
}

void BM_DumpTsv(benchmark::State& State) {
    Run(State, "");
}
void BM_DumpJson(benchmark::State& State) {
    Run(State, "--json");
}

void BM_DumpSummary(benchmark::State& State) {
    const std::string Path = xdtgen::File(uint64_t(State.range(0)) << 20);
    const std::string Wc = "wc -l '" + Path + "' > /dev/null";
    double Best = 1e9, BestWc = 1e9;
    for (auto _ : State) {
        const double S = Seconds(Dump("--summary", Path));
        const double W = Seconds(Wc);
        if (S < 0 || W < 0) {
            State.SkipWithError("command failed");
            return;
        }
        Best = std::min(Best, S);
        BestWc = std::min(BestWc, W);
        State.SetIterationTime(S);
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(std::filesystem::file_size(Path)));
    State.counters["best_s"] = Best;
    State.counters["wc_l_s"] = BestWc;
    State.counters["ratio_to_wc"] = BestWc > 0 ? Best / BestWc : 0;
}

void Sizes(benchmark::internal::Benchmark* B) {
    B->Arg(100);
    if (std::getenv("OSTREL_BENCH_GB")) B->Arg(1024);
    B->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
}

} // namespace

BENCHMARK(BM_DumpTsv)->Apply(Sizes);
BENCHMARK(BM_DumpJson)->Apply(Sizes);
BENCHMARK(BM_DumpSummary)->Apply(Sizes);
BENCHMARK_MAIN();
