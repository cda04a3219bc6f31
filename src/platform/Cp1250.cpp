#include "Cp1250.h"

namespace {

const char16_t HighHalf[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

void AppendUtf8(std::string& Out, char32_t CodePoint)
{
    if (CodePoint < 0x80) {
        Out += static_cast<char>(CodePoint);
    } else if (CodePoint < 0x800) {
        Out += static_cast<char>(0xC0 | (CodePoint >> 6));
        Out += static_cast<char>(0x80 | (CodePoint & 0x3F));
    } else {
        Out += static_cast<char>(0xE0 | (CodePoint >> 12));
        Out += static_cast<char>(0x80 | ((CodePoint >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (CodePoint & 0x3F));
    }
}

} // namespace

char32_t Cp1250ToUnicode(uint8_t Byte) { return Byte < 0x80 ? Byte : HighHalf[Byte - 0x80]; }

int UnicodeToCp1250(char32_t CodePoint)
{
    if (CodePoint < 0x80)
        return static_cast<int>(CodePoint);
    for (int I = 0; I < 128; ++I)
        if (HighHalf[I] == CodePoint)
            return 0x80 + I;
    return -1;
}

std::string Cp1250ToUtf8(const std::string& Bytes)
{
    std::string Out;
    Out.reserve(Bytes.size());
    for (char Byte : Bytes)
        AppendUtf8(Out, Cp1250ToUnicode(static_cast<uint8_t>(Byte)));
    return Out;
}

bool IsValidUtf8(const std::string& Bytes)
{
    size_t I = 0;
    while (I < Bytes.size()) {
        const auto Lead = static_cast<uint8_t>(Bytes[I]);
        size_t Length;
        char32_t Value;
        if (Lead < 0x80) {
            ++I;
            continue;
        } else if ((Lead & 0xE0) == 0xC0) {
            Length = 2;
            Value = Lead & 0x1F;
        } else if ((Lead & 0xF0) == 0xE0) {
            Length = 3;
            Value = Lead & 0x0F;
        } else if ((Lead & 0xF8) == 0xF0) {
            Length = 4;
            Value = Lead & 0x07;
        } else {
            return false;
        }
        if (I + Length > Bytes.size())
            return false;
        for (size_t K = 1; K < Length; ++K) {
            const auto Next = static_cast<uint8_t>(Bytes[I + K]);
            if ((Next & 0xC0) != 0x80)
                return false;
            Value = (Value << 6) | (Next & 0x3F);
        }
        static constexpr char32_t Smallest[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (Value < Smallest[Length] || Value > 0x10FFFF || (Value >= 0xD800 && Value <= 0xDFFF))
            return false;
        I += Length;
    }
    return true;
}
