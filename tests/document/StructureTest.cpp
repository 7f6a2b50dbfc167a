// Records, nested objects and embedded documents found in a loaded document.
#include "TestUtil.h"
#include "document/XDTPtrList.h"
#include "document/XDTStructure.h"
#include "support/Base64.h"

#include <gtest/gtest.h>

using testutil::TempDir;
using testutil::XdtLine;

namespace {

struct TLoaded {
    TempDir D;
    TFileXDTPtrList L;
    TXdtStructure S;
    explicit TLoaded(const std::string& Bytes) {
        LoadXDTFile(L, D.Write("f.ldt", Bytes));
        EXPECT_TRUE(S.Build(L));
    }
    explicit TLoaded(const char* Sample, bool) {
        LoadXDTFile(L, std::string(OSTREL_TEST_DATA) + "/samples/" + Sample);
        EXPECT_TRUE(S.Build(L));
    }
};

std::string Attachment(const std::vector<std::string>& Data, const std::string& Format = "PDF") {
    std::string S = XdtLine(8002, "Obj_0010") + XdtLine(9970, "100") +
                    XdtLine(8242, "base64-kodierte_Anlage") + XdtLine(8002, "Obj_0068");
    for (const std::string& D : Data) S += XdtLine(6329, D);
    return S + XdtLine(8003, "Obj_0068") + XdtLine(6303, Format) + XdtLine(8003, "Obj_0010");
}

std::string Decoded(const TLoaded& T, int Index, bool& Ok, std::string& Error) {
    std::string Bytes;
    Ok = DecodeAttachment(
        T.L, T.S.Attachments()[size_t(Index)], [&](std::string_view P) { Bytes += P; }, Error);
    return Bytes;
}

} // namespace

TEST(Structure, ObjectsNestAndGiveEachLineItsDepth) {
    const TLoaded T("egore-libldt3__person-19900204.ldt", true);
    // 8000 8145 [8002 Obj_0045] 8147 [8002 Obj_0047] 3103 [8003] [8003] 8001
    const int Depths[] = {0, 0, 0, 1, 1, 2, 1, 0, 0};
    ASSERT_EQ(T.L.Count(), 9);
    for (int I = 0; I < 9; ++I) EXPECT_EQ(T.S.DepthAt(I), Depths[I]) << "line " << I + 1;
    ASSERT_EQ(T.S.Objects().size(), 2u);
    EXPECT_EQ(T.S.Objects()[1].Parent, 0);
    EXPECT_TRUE(T.S.Objects()[0].Closed && T.S.Objects()[1].Closed);
    EXPECT_EQ(T.S.ObjectAt(5), 1);
    EXPECT_EQ(T.S.ObjectAt(0), -1);
    ASSERT_EQ(T.S.Records().size(), 1u);
    EXPECT_EQ(T.S.Records()[0].Last, 8);
    EXPECT_EQ(T.S.RecordAt(4), 0);

    // The larger LDT 3 sample: every object closes, depths stay within the nesting.
    const TLoaded H("healthmetrix-libldt3__3.2.4-with-bak.ldt", true);
    int MaxDepth = 0;
    for (const TXdtObject& O : H.S.Objects()) {
        EXPECT_TRUE(O.Closed);
        MaxDepth = std::max<int>(MaxDepth, O.Depth);
    }
    EXPECT_GE(MaxDepth, 2);
    EXPECT_GT(H.S.Records().size(), 2u);
}

TEST(Structure, TheEmbeddedPdfDecodesByteForByte) {
    const TLoaded T("labres-ldtparser__Z01_UseCase14_Befund_Obj_0073_mit_PDF.crlf-restored.ldt", true);
    ASSERT_EQ(T.S.Attachments().size(), 1u);
    const TXdtAttachment& A = T.S.Attachments()[0];
    // Lines 322 to 2121 of the file hold the data; 107,952 characters give 80,964 bytes.
    EXPECT_EQ(A.First + 1, 322);
    EXPECT_EQ(A.Last + 1, 2121);
    EXPECT_EQ(A.Lines, 1800);
    EXPECT_EQ(A.Chars, 107952u);
    EXPECT_EQ(A.DecodedSize(), 80964u);
    ASSERT_GE(A.FormatLine, 0);
    EXPECT_EQ(T.L.Items(A.FormatLine).Inhalt(), "PDF");
    bool Ok;
    std::string Error;
    const std::string Pdf = Decoded(T, 0, Ok, Error);
    EXPECT_TRUE(Ok) << Error;
    EXPECT_EQ(Pdf.size(), 80964u);
    EXPECT_EQ(Pdf.substr(0, 8), "%PDF-1.6");
    EXPECT_EQ(Pdf.substr(Pdf.size() - 7), "%%EOF\r\n");
    EXPECT_STREQ(AttachmentTypeOf("PDF", Pdf).Extension, "pdf");
    const std::string Name = AttachmentFileName(T.L, T.S, 0, "pdf");
    EXPECT_EQ(Name.substr(0, 7), "Befund_");
    EXPECT_EQ(Name.substr(Name.size() - 6), "_1.pdf");
    EXPECT_EQ(Name.find('/'), std::string::npos);
}

TEST(Structure, DamagedAttachmentsAndBrokenBrackets) {
    // "TWFu" is "Man"; a "*" in the second line is no Base64.
    const std::string Head = XdtLine(8000, "8205");
    {
        const TLoaded T(Head + Attachment({"TWFu", "TW*u"}) + XdtLine(8001, "8205"));
        ASSERT_EQ(T.S.Attachments().size(), 1u);
        bool Ok;
        std::string Error;
        const std::string Bytes = Decoded(T, 0, Ok, Error);
        EXPECT_FALSE(Ok);
        EXPECT_EQ(Bytes, "Man"); // what came before the damage
        EXPECT_NE(Error.find("Zeile 7"), std::string::npos) << Error;
    }
    {
        // Padding in the middle, and a group cut short at the end.
        const TLoaded T(Head + Attachment({"TQ==", "TWFu"}) + Attachment({"TWF"}));
        bool Ok;
        std::string Error;
        Decoded(T, 0, Ok, Error);
        EXPECT_FALSE(Ok);
        Decoded(T, 1, Ok, Error);
        EXPECT_FALSE(Ok);
    }
    {
        // An object left open and one closed across another: both end, the crossed one unclosed.
        const TLoaded T(Head + XdtLine(8002, "Obj_0001") + XdtLine(8002, "Obj_0002") + XdtLine(3101, "x") +
                        XdtLine(8003, "Obj_0001") + XdtLine(8002, "Obj_0003") + XdtLine(3102, "y"));
        ASSERT_EQ(T.S.Objects().size(), 3u);
        EXPECT_TRUE(T.S.Objects()[0].Closed);
        EXPECT_FALSE(T.S.Objects()[1].Closed);
        EXPECT_EQ(T.S.Objects()[1].Last, 4);
        EXPECT_FALSE(T.S.Objects()[2].Closed);
        EXPECT_EQ(T.S.Objects()[2].Last, 6);
        EXPECT_EQ(T.S.DepthAt(6), 1);
        EXPECT_EQ(T.S.DepthAt(3), 2);
    }
    {
        // A file cut short inside the data: the attachment ends with the file and is damaged.
        std::string Bytes = Head + Attachment({"TWFu", "TWFu", "TWFu"});
        Bytes.resize(Bytes.find("TWFu\r\n" + XdtLine(8003, "Obj_0068")) + 2);
        const TLoaded T(Bytes);
        ASSERT_EQ(T.S.Attachments().size(), 1u);
        EXPECT_EQ(T.S.Attachments()[0].Lines, 3);
        bool Ok;
        std::string Error;
        EXPECT_EQ(Decoded(T, 0, Ok, Error), "ManMan");
        EXPECT_FALSE(Ok);
    }
}

TEST(Base64Decoder, StrictStandardAlphabet) {
    std::string Out;
    TBase64Decoder D([&](std::string_view P) { Out += P; });
    for (std::string_view Piece : {"SGVs", "bG8s", "IFdv", "cmxk", "IQ=="}) ASSERT_TRUE(D.Feed(Piece));
    EXPECT_TRUE(D.Finish());
    EXPECT_EQ(Out, "Hello, World!");
    for (std::string_view Bad : {"SGVs bG8=", "SGV-", "S===", "SGk=SGk=", "SG"}) {
        TBase64Decoder B;
        const bool Fed = B.Feed(Bad);
        EXPECT_FALSE(Fed && B.Finish()) << Bad;
    }
    EXPECT_EQ(Base64DecodedSize(8, 2), 4u);
}
