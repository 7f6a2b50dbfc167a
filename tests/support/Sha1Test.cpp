#include "support/Sha1.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string Sha1Of(std::string_view S) {
    TSha1 H;
    H.Add(S);
    return H.HexDigest();
}
} // namespace

// The published test vectors, with the processor's SHA instructions (where there are any) and with
// the portable rounds.
class Sha1 : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        Was = TSha1::UsesShaInstructions();
        if (TSha1::UseShaInstructions(GetParam()) != GetParam()) GTEST_SKIP() << "no SHA instructions here";
    }
    void TearDown() override { TSha1::UseShaInstructions(Was); }
    bool Was = false;
};
INSTANTIATE_TEST_SUITE_P(Rounds, Sha1, ::testing::Values(false, true),
                         [](const auto& I) { return I.param ? "Instructions" : "Portable"; });

TEST_P(Sha1, StandardVectors) {
    EXPECT_EQ(Sha1Of(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(Sha1Of("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(Sha1Of("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    EXPECT_EQ(
        Sha1Of(
            "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrs"
            "mnopqrstnopqrstu"),
        "a49b2446a02c645bf419f995b67091253a04a259");
    TSha1 Million;
    const std::string Chunk(1000, 'a');
    for (int I = 0; I < 1000; ++I) Million.Add(Chunk);
    EXPECT_EQ(Million.HexDigest(), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
    EXPECT_EQ(Million.Length(), 1000000u);
}

// Slices of any size give the digest of the whole, and taking a digest midway changes nothing.
TEST_P(Sha1, SlicesAndDigestsMidway) {
    std::string Text;
    for (int I = 0; I < 300; ++I) Text += char('A' + I % 26);
    const std::string Whole = Sha1Of(Text);
    for (size_t Slice : {size_t(1), size_t(3), size_t(55), size_t(56), size_t(63), size_t(64), size_t(65)}) {
        TSha1 H;
        for (size_t P = 0; P < Text.size(); P += Slice) {
            H.Add(std::string_view(Text).substr(P, Slice));
            EXPECT_EQ(H.HexDigest(),
                      Sha1Of(std::string_view(Text).substr(0, std::min(Text.size(), P + Slice))));
        }
        EXPECT_EQ(H.HexDigest(), Whole) << Slice;
    }
}
