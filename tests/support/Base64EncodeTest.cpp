// Base64 made by the program reads back with its own strict decoder.
#include "support/Base64.h"

#include <gtest/gtest.h>

#include <string>

TEST(Base64Encode, StandardVectorsAndRoundTrip) {
    // RFC 4648, section 10.
    const std::pair<std::string, std::string> Vectors[] = {{"", ""},
                                                           {"f", "Zg=="},
                                                           {"fo", "Zm8="},
                                                           {"foo", "Zm9v"},
                                                           {"foob", "Zm9vYg=="},
                                                           {"fooba", "Zm9vYmE="},
                                                           {"foobar", "Zm9vYmFy"}};
    for (const auto& [Plain, Coded] : Vectors) EXPECT_EQ(Base64Encode(Plain), Coded) << Plain;

    // Every byte value, in every position of a group.
    std::string All;
    for (int R = 0; R < 3; ++R)
        for (int C = 0; C < 256; ++C) All += char(C);
    All += "x";
    std::string Back;
    TBase64Decoder D([&](std::string_view P) { Back += P; });
    EXPECT_TRUE(D.Feed(Base64Encode(All)));
    EXPECT_TRUE(D.Finish());
    EXPECT_EQ(Back, All);
}
