// Load speed: LoadXDTFile against `wc -l` on the same file, warm cache; and a file of a million
// record types against one of a single type.
// Sizes: 10 MB and 100 MB by default; set OSTREL_BENCH_GB=1 for the 1 GB file as well.
// Check speed: CheckXDTFile beside the load of the same file, up to a laboratory file of 512 MiB.
#include "XdtGen.h"
#include "document/XDTCheck.h"
#include "document/XDTPtrList.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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

// Processor time of the whole process (the checksum thread of a check included), in seconds.
double ProcessCpu() {
    timespec T;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &T);
    return double(T.tv_sec) + double(T.tv_nsec) * 1e-9;
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

// The file of a check case: 0 the LDT 2 file of the load cases (a record length wrong in every
// record: the problem list at its limit), 1 an LDT 3 package with its checksum, 2 the same with LF
// line ends (two checksums to compute).
std::string CheckFile(const benchmark::State& State) {
    const uint64_t Bytes = uint64_t(State.range(0)) << 20;
    switch (State.range(1)) {
    case 1:
        return xdtgen::Ldt3File(Bytes);
    case 2:
        return xdtgen::Ldt3File(Bytes, true);
    default:
        return xdtgen::File(Bytes);
    }
}

void BM_CheckXDTFile(benchmark::State& State) {
    const std::string Path = CheckFile(State);
    TFileXDTPtrList L;
    double Load = 1e9, LoadCpu = 1e9;
    for (int I = 0; I < 2; ++I) {
        const auto T0 = std::chrono::steady_clock::now();
        const double C0 = ProcessCpu();
        LoadXDTFile(L, Path, {.InvalidLine = ilTolerant});
        LoadCpu = std::min(LoadCpu, ProcessCpu() - C0);
        Load = std::min(Load, std::chrono::duration<double>(std::chrono::steady_clock::now() - T0).count());
    }
    double Best = 1e9, BestCpu = 1e9;
    size_t Extra = 0;
    TCheckResult R;
    for (auto _ : State) {
        const size_t Before = HeapInUse();
        const auto T0 = std::chrono::steady_clock::now();
        const double C0 = ProcessCpu();
        R = CheckXDTFile(L);
        BestCpu = std::min(BestCpu, ProcessCpu() - C0);
        const double S = std::chrono::duration<double>(std::chrono::steady_clock::now() - T0).count();
        const size_t After = HeapInUse();
        Extra = std::max(Extra, After > Before ? After - Before : 0);
        Best = std::min(Best, S);
        State.SetIterationTime(S);
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(L.FileSize()));
    State.SetItemsProcessed(int64_t(State.iterations()) * R.Lines);
    State.counters["lines"] = double(R.Lines);
    State.counters["problems"] = double(R.Errors + R.Warnings + R.Hints);
    State.counters["best_s"] = Best;
    State.counters["load_s"] = Load;
    State.counters["ratio_to_load"] = Load > 0 ? Best / Load : 0;
    // Processor time: the same comparison on a machine that others keep busy.
    State.counters["cpu_s"] = BestCpu;
    State.counters["load_cpu_s"] = LoadCpu;
    State.counters["cpu_ratio_to_load"] = LoadCpu > 0 ? BestCpu / LoadCpu : 0;
    State.counters["extra_MB"] = double(Extra) / 1e6;
}

void CheckSizes(benchmark::internal::Benchmark* B) {
    for (int Kind = 0; Kind < 3; ++Kind) B->Args({16, Kind})->Args({512, Kind});
    B->ArgNames({"MiB", "kind"})->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
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
BENCHMARK(BM_CheckXDTFile)->Apply(CheckSizes);
BENCHMARK_MAIN();
