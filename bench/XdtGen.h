#pragma once
// Writes realistic synthetic xDT files for benchmarks: data-package headers, patients with umlauts in
// the declared character set (ISO 8859-1), laboratory results with limit indicators and comments,
// lines ended by CR LF.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

namespace xdtgen {

inline void Line(std::string& Out, int FeldArt, const std::string& Inhalt) {
    char Head[16];
    std::snprintf(Head, sizeof Head, "%03d%04d", int(Inhalt.size() + 9) % 1000, FeldArt);
    Out += Head;
    Out += Inhalt;
    Out += "\r\n";
}

// Appends records until Out holds at least Bytes bytes.
inline void Generate(std::string& Out, uint64_t Bytes, uint32_t Seed = 42) {
    static const char* const Names[] = {"M\xFCller",
                                        "Schr\xF6"
                                        "der",
                                        "Wei\xDF",
                                        "Becker",
                                        "K\xF6nig",
                                        "Hoffmann"};
    static const char* const Tests[][3] = {
        {"HB", "H\xE4moglobin", "g/dl"}, {"NA", "Natrium", "mmol/l"},
        {"K", "Kalium", "mmol/l"},       {"CRP", "C-reaktives Protein", "mg/l"},
        {"GLU", "Glukose", "mg/dl"},     {"TSH", "TSH basal", "\xB5U/ml"}};
    static const char* const Limits[] = {"N", "+", "-", "H", "L", "++"};
    std::mt19937 Rng(Seed);
    Line(Out, 8000, "8220");
    Line(Out, 9106, "3");
    Line(Out, 9212, "LDT1014.01");
    Line(Out, 9103, "08122026");
    long Record = 0;
    while (Out.size() < Bytes) {
        ++Record;
        Line(Out, 8000, "8201");
        Line(Out, 8100, "00999");
        Line(Out, 8310, std::to_string(100000 + Record));
        Line(Out, 3101, Names[Rng() % 6]);
        Line(Out, 3102, Rng() % 2 ? "J\xFCrgen" : "B\xE4rbel");
        Line(Out, 3103, "0" + std::to_string(1 + Rng() % 9) + "0" + std::to_string(1 + Rng() % 9) + "1960");
        Line(Out, 3110, Rng() % 2 ? "1" : "2");
        Line(Out, 3107,
             "Hauptstra\xDF"
             "e " +
                 std::to_string(1 + Rng() % 120));
        Line(Out, 3112, std::to_string(10000 + Rng() % 89999));
        Line(Out, 3113, "M\xFCnchen-Schwabing");
        Line(Out, 8609, "K");
        Line(Out, 8403, "1");
        Line(Out, 8402, "Einsendung vom Hausarzt, Routinekontrolle");
        const int N = 3 + int(Rng() % 8);
        for (int I = 0; I < N; ++I) {
            const auto& T = Tests[Rng() % 6];
            Line(Out, 8410, T[0]);
            Line(Out, 8411, T[1]);
            Line(Out, 8420, std::to_string(Rng() % 200) + "," + std::to_string(Rng() % 10));
            Line(Out, 8421, T[2]);
            Line(Out, 8422, Limits[Rng() % 6]);
            Line(Out, 8430, "Normalbereich laut Referenz des Labors");
            if (Rng() % 2 == 0)
                Line(Out, 8480, "Kontrolle in vier Wochen empfohlen, Probe leicht h\xE4molytisch");
        }
    }
    Line(Out, 8000, "8221");
    Line(Out, 9202, std::to_string(Out.size()));
}

// A file of about Bytes bytes in the system's temporary folder, written once and reused.
inline std::string File(uint64_t Bytes) {
    const auto Path =
        std::filesystem::temp_directory_path() / ("ostrel-bench-" + std::to_string(Bytes) + ".ldt");
    std::error_code Ec;
    if (std::filesystem::exists(Path, Ec) && std::filesystem::file_size(Path, Ec) >= Bytes)
        return Path.string();
    std::FILE* F = std::fopen(Path.string().c_str(), "wb");
    if (!F) return {};
    std::string Chunk;
    uint64_t Written = 0;
    uint32_t Seed = 1;
    while (Written < Bytes) {
        Chunk.clear();
        Generate(Chunk, std::min<uint64_t>(Bytes - Written, 64u << 20), Seed++);
        std::fwrite(Chunk.data(), 1, Chunk.size(), F);
        Written += Chunk.size();
    }
    std::fclose(F);
    return Path.string();
}

} // namespace xdtgen
