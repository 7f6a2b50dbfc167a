#include "support/VerInfo.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

using testutil::TempDir;

namespace {

constexpr TVersionStrings kStrings{2,
                                   1,
                                   0,
                                   7,
                                   0x0407,
                                   1252,
                                   {{{"CompanyName", "Brenlo"},
                                     {"FileVersion", "2.1.0.7"},
                                     {"LegalCopyright", "\xA9 2026 Brenlo Software & Partner"},
                                     {"ProductName", "Brenlo Ostrel"},
                                     {"Comments", ""},
                                     {nullptr, nullptr}}}};
// Built at compile time, as the program's own block is.
constexpr TVersionBlob kBlob = BuildVersionBlob(kStrings);

std::string BlobBytes() {
    return std::string(reinterpret_cast<const char*>(kBlob.Bytes.data()), kBlob.Size);
}

// A stand-in for a program file: bytes before and after the block, and a stray copy of its key.
std::string ProgramImage() {
    std::string Img(1000, 'x');
    Img += std::string("V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0\0\0", 32);
    while (Img.size() % 4) Img.push_back('\0');
    Img += BlobBytes();
    Img += std::string(500, 'y');
    return Img;
}

} // namespace

TEST(VersionInfo, ReadsTheProgramsOwnBlock) {
    TempDir D;
    TFileVersionInfo V(D.Write("prog", ProgramImage()));
    EXPECT_EQ(V.FileVersionText(), "2.1"); // build numbers never shown
    ASSERT_EQ(V.TranslationCount(), 1);
    EXPECT_EQ(V.LanguageOf(0), 0x0407);
    EXPECT_EQ(V.CodePageOf(0), 1252);
    EXPECT_EQ(V.LanguageOf(1), 0);
    EXPECT_EQ(V.CodePageOf(-1), 0);
    EXPECT_EQ(V.StringPath(0, TFileVersionInfo::viProductName), "\\StringFileInfo\\040704E4\\ProductName");
    EXPECT_EQ(V.StringPath(1, TFileVersionInfo::viProductName), "");
    EXPECT_EQ(V.GetProductName(0), "Brenlo Ostrel");
    EXPECT_EQ(V.GetLegalText(0), "\xA9 2026 Brenlo Software & Partner");
    EXPECT_EQ(V.StringValue(0, TFileVersionInfo::viCompanyName), "Brenlo");
    EXPECT_EQ(V.StringValue(0, TFileVersionInfo::viComments), ""); // a lone NUL counts as empty
    EXPECT_EQ(V.StringValue(0, TFileVersionInfo::viSpecialBuild), "");
    ASSERT_NE(V.FixedInfo(), nullptr);
    EXPECT_EQ(V.FixedInfo()->dwFileVersionLS, 7u);
}

TEST(VersionInfo, QueriesIgnoreCaseAndCheckBounds) {
    const auto* B = kBlob.Bytes.data();
    TVerValue Val;
    EXPECT_TRUE(VerQueryValue(B, kBlob.Size, "\\stringfileinfo\\040704e4\\productname", Val));
    EXPECT_EQ(Val.Text, "Brenlo Ostrel");
    EXPECT_FALSE(VerQueryValue(B, kBlob.Size, "\\StringFileInfo\\04090000\\ProductName", Val));
    EXPECT_TRUE(VerQueryValue(B, kBlob.Size, "\\VarFileInfo\\Translation", Val));
    EXPECT_EQ(Val.Len, 4u);
    // Every shortened block fails or answers, but never reads outside what it was given.
    for (size_t N = 0; N < kBlob.Size; ++N) {
        std::vector<uint8_t> Cut(B, B + N);
        VerQueryValue(Cut.data(), Cut.size(), "\\StringFileInfo\\040704E4\\LegalCopyright", Val);
        VerQueryValue(Cut.data(), Cut.size(), "\\", Val);
    }
}

TEST(VersionInfo, FilesWithoutBlock) {
    TempDir D;
    TFileVersionInfo None(D.Write("plain", std::string(5000, 'z')));
    EXPECT_EQ(None.FileVersionText(), "");
    EXPECT_EQ(None.TranslationCount(), 0);
    EXPECT_EQ(None.GetProductName(0), "");
    TFileVersionInfo Missing(D.File("missing"));
    EXPECT_EQ(Missing.FileVersionText(), "");
    EXPECT_FALSE(TFileVersionInfo().LoadInfo());
    // Only the key, with a header that does not hold: not taken for a block.
    TFileVersionInfo Stray(
        D.Write("stray",
                std::string(8, '\0') + std::string("V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0\0\0", 32)));
    EXPECT_EQ(Stray.FileVersionText(), "");
}
