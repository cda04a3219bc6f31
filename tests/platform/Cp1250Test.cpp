#include "platform/Cp1250.h"

#include <gtest/gtest.h>

TEST(Cp1250, PolishLettersRoundTrip)
{
    const std::pair<uint8_t, char32_t> Letters[] = {{0xA5, U'Ą'}, {0xB9, U'ą'}, {0xC6, U'Ć'}, {0xE6, U'ć'}, {0xCA, U'Ę'},
        {0xEA, U'ę'}, {0xA3, U'Ł'}, {0xB3, U'ł'}, {0xD1, U'Ń'}, {0xF1, U'ń'}, {0xD3, U'Ó'}, {0xF3, U'ó'}, {0x8C, U'Ś'},
        {0x9C, U'ś'}, {0x8F, U'Ź'}, {0x9F, U'ź'}, {0xAF, U'Ż'}, {0xBF, U'ż'}, {0x80, U'€'}, {0x41, U'A'}};
    for (auto [Byte, Letter] : Letters) {
        EXPECT_EQ(Cp1250ToUnicode(Byte), Letter) << int(Byte);
        EXPECT_EQ(UnicodeToCp1250(Letter), Byte) << int(Byte);
    }
    EXPECT_EQ(UnicodeToCp1250(U'æ'), -1);
    EXPECT_EQ(UnicodeToCp1250(U'Ж'), -1);
    EXPECT_EQ(Cp1250ToUtf8("\xA3\xF3\x64\x9F"), "Łódź");
}

TEST(Cp1250, Utf8IsRecognised)
{
    EXPECT_TRUE(IsValidUtf8("Łódź 中 ascii"));
    EXPECT_FALSE(IsValidUtf8("\xA3\xF3\x64\x9F"));
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));     // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80")); // a surrogate
    EXPECT_FALSE(IsValidUtf8("\xE2\x82"));     // cut short
}
