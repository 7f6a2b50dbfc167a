#pragma once
// Writes realistic synthetic xDT files for benchmarks: data-package headers, patients with umlauts in
// the declared character set (ISO 8859-1), laboratory results with limit indicators and comments,
// lines ended by CR LF.
#include "support/Sha1.h"

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

// Appends LDT 3 result records (8205) until Out holds at least Bytes bytes: patients and results in
// objects, each after its attribute, ISO 8859-15; short lines, as LDT 3 files have them.
inline void GenerateLdt3Records(std::string& Out, uint64_t Bytes, uint32_t Seed) {
    static const char* const Names[] = {"M\xFCller", "Wei\xDF", "Becker", "K\xF6nig"};
    static const char* const Tests[][3] = {{"HB", "H\xE4moglobin", "g/dl"},
                                           {"NA", "Natrium", "mmol/l"},
                                           {"K", "Kalium", "mmol/l"},
                                           {"CRP", "CRP", "mg/l"}};
    static const char* const Limits[] = {"N", "+", "-", "++"};
    std::mt19937 Rng(Seed);
    while (Out.size() < Bytes) {
        Line(Out, 8000, "8205");
        Line(Out, 8145, "Patient");
        Line(Out, 8002, "Obj_0045");
        Line(Out, 8147, "Person");
        Line(Out, 8002, "Obj_0047");
        Line(Out, 3101, Names[Rng() % 4]);
        Line(Out, 3102, Rng() % 2 ? "J\xFCrgen" : "Anna");
        Line(Out, 3103, "19" + std::to_string(40 + Rng() % 60) + "0101");
        Line(Out, 3110, Rng() % 2 ? "M" : "W");
        Line(Out, 8003, "Obj_0047");
        Line(Out, 8003, "Obj_0045");
        const int N = 3 + int(Rng() % 6);
        for (int I = 0; I < N; ++I) {
            const auto& T = Tests[Rng() % 4];
            Line(Out, 8160, "Untersuchungsergebnis_Klinische_Chemie");
            Line(Out, 8002, "Obj_0060");
            Line(Out, 7364, T[0]);
            Line(Out, 8411, T[1]);
            Line(Out, 8420, std::to_string(Rng() % 200));
            Line(Out, 8421, T[2]);
            Line(Out, 8422, Limits[Rng() % 4]);
            Line(Out, 8003, "Obj_0060");
        }
        Line(Out, 8001, "8205");
    }
}

// An LDT 3 result package of about Bytes bytes, with the SHA-1 checksum in its trailer; written once
// into the system's temporary folder and reused. With Lf, every line ends with LF alone (as a
// repository may convert it), and the checksum still is that of the CR LF original.
inline std::string Ldt3File(uint64_t Bytes, bool Lf = false) {
    const auto Path = std::filesystem::temp_directory_path() /
                      ("ostrel-bench-ldt3-" + std::string(Lf ? "lf-" : "") + std::to_string(Bytes) + ".ldt");
    std::error_code Ec;
    if (std::filesystem::exists(Path, Ec) && std::filesystem::file_size(Path, Ec) >= Bytes)
        return Path.string();
    std::FILE* F = std::fopen(Path.string().c_str(), "wb");
    if (!F) return {};
    TSha1 Sum;
    uint64_t Written = 0;
    auto Write = [&](std::string& Chunk) {
        if (Lf) {
            std::string Out;
            Out.reserve(Chunk.size());
            for (size_t I = 0; I < Chunk.size(); ++I)
                if (!(Chunk[I] == '\r' && I + 1 < Chunk.size() && Chunk[I + 1] == '\n')) Out += Chunk[I];
            std::fwrite(Out.data(), 1, Out.size(), F);
        } else {
            std::fwrite(Chunk.data(), 1, Chunk.size(), F);
        }
        Written += Chunk.size();
        Chunk.clear();
    };
    std::string Chunk;
    for (const auto& [FeldArt, Inhalt] :
         std::initializer_list<std::pair<int, const char*>>{{8000, "8220"},
                                                            {8132, "Kopfdaten"},
                                                            {8002, "Obj_0032"},
                                                            {1, "LDT3.2.19"},
                                                            {8003, "Obj_0032"},
                                                            {8001, "8220"}})
        Line(Chunk, FeldArt, Inhalt);
    uint32_t Seed = 1;
    while (Written + Chunk.size() < Bytes) {
        GenerateLdt3Records(Chunk, std::min<uint64_t>(Bytes - Written, 64u << 20), Seed++);
        Sum.Add(Chunk);
        Write(Chunk);
    }
    // The checksum covers every byte before its own line, the trailer's 8000 line too.
    Line(Chunk, 8000, "8221");
    Sum.Add(Chunk);
    Line(Chunk, 9300, Sum.HexDigest());
    Line(Chunk, 8001, "8221");
    Write(Chunk);
    std::fclose(F);
    return Path.string();
}

} // namespace xdtgen
