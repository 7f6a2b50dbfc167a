// Load speed: LoadXDTFile against `wc -l` on the same file, warm cache; and a file of a million
// record types against one of a single type.
// Sizes: 10 MB and 100 MB by default; set OSTREL_BENCH_GB=1 for the 1 GB file as well.
#include "XdtGen.h"
#include "document/XDTPtrList.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>

namespace {

double WcSeconds(const std::string& Path) {
    const std::string Cmd = "wc -l '" + Path + "' > /dev/null";
    double Best = 1e9;
    for (int I = 0; I < 3; ++I) {
        const auto T0 = std::chrono::steady_clock::now();
        if (std::system(Cmd.c_str()) != 0) return 0;
        Best = std::min(Best, std::chrono::duration<double>(std::chrono::steady_clock::now() - T0).count());
    }
    return Best;
}

size_t HeapInUse() {
    const struct mallinfo2 M = mallinfo2();
    return M.uordblks + M.hblkhd;
}

void BM_WcL(benchmark::State& State) {
    const std::string Path = xdtgen::File(uint64_t(State.range(0)) << 20);
    for (auto _ : State) {
        const double S = WcSeconds(Path);
        State.SetIterationTime(S);
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(std::filesystem::file_size(Path)));
}

void BM_LoadXDTFile(benchmark::State& State) {
    const std::string Path = xdtgen::File(uint64_t(State.range(0)) << 20);
    const double Wc = WcSeconds(Path);
    int Lines = 0;
    size_t Extra = 0;
    double Best = 1e9;
    for (auto _ : State) {
        const size_t Before = HeapInUse();
        TFileXDTPtrList L;
        const auto T0 = std::chrono::steady_clock::now();
        LoadXDTFile(L, Path);
        const double S = std::chrono::duration<double>(std::chrono::steady_clock::now() - T0).count();
        Best = std::min(Best, S);
        State.SetIterationTime(S);
        Lines = L.Count();
        Extra = HeapInUse() - Before;
    }
    const double Bytes = double(std::filesystem::file_size(Path));
    State.SetBytesProcessed(int64_t(State.iterations() * Bytes));
    State.SetItemsProcessed(int64_t(State.iterations()) * Lines);
    State.counters["lines"] = Lines;
    State.counters["best_s"] = Best;
    State.counters["wc_l_s"] = Wc;
    State.counters["ratio_to_wc"] = Wc > 0 ? Best / Wc : 0;
    State.counters["bytes_per_line"] = Lines ? double(Extra) / Lines : 0;
    State.counters["extra_MB"] = double(Extra) / 1e6;
}

// A file of one million record lines, 16 bytes each: all of one record type, or each of its own.
std::string RecordTypeFile(bool Distinct) {
    const auto Path = std::filesystem::temp_directory_path() /
                      (std::string("ostrel-bench-types-") + (Distinct ? "distinct" : "one") + ".ldt");
    std::error_code Ec;
    if (std::filesystem::file_size(Path, Ec) == 16000000) return Path.string();
    std::string Bytes;
    Bytes.reserve(16000000);
    char Line[32];
    for (int I = 0; I < 1000000; ++I) {
        std::snprintf(Line, sizeof Line, "0168000%07d\r\n", Distinct ? I : 8220);
        Bytes += Line;
    }
    std::FILE* F = std::fopen(Path.string().c_str(), "wb");
    if (!F) return {};
    std::fwrite(Bytes.data(), 1, Bytes.size(), F);
    std::fclose(F);
    return Path.string();
}

// Loading must cost the same whether the record lines share one type or each has its own; the
// sorted list of a million types is built when it is first asked for (first_use_s).
void BM_LoadRecordTypes(benchmark::State& State) {
    const bool Distinct = State.range(0) != 0;
    const std::string Path = RecordTypeFile(Distinct);
    double Best = 1e9, FirstUse = 0;
    int Types = 0;
    for (auto _ : State) {
        TFileXDTPtrList L;
        const auto T0 = std::chrono::steady_clock::now();
        LoadXDTFile(L, Path);
        const auto T1 = std::chrono::steady_clock::now();
        Types = L.SatzArtList().Count();
        const double S = std::chrono::duration<double>(T1 - T0).count();
        FirstUse = std::chrono::duration<double>(std::chrono::steady_clock::now() - T1).count();
        Best = std::min(Best, S);
        State.SetIterationTime(S);
    }
    State.SetItemsProcessed(int64_t(State.iterations()) * 1000000);
    State.counters["types"] = Types;
    State.counters["best_s"] = Best;
    State.counters["first_use_s"] = FirstUse;
}

void Sizes(benchmark::internal::Benchmark* B) {
    B->Arg(10)->Arg(100);
    if (std::getenv("OSTREL_BENCH_GB")) B->Arg(1024);
    B->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
}

} // namespace

BENCHMARK(BM_WcL)->Apply(Sizes);
BENCHMARK(BM_LoadXDTFile)->Apply(Sizes);
BENCHMARK(BM_LoadRecordTypes)
    ->ArgName("distinct")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
