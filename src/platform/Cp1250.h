// Windows-1250, the code page of text in settings files and playlists written
// on Polish Windows. Converted at the file boundary only.
#pragma once

#include <cstdint>
#include <string>

// The Unicode code point of a Windows-1250 byte. The five unassigned bytes map
// to the code points of the same value, as Windows does.
char32_t Cp1250ToUnicode(uint8_t Byte);

// The Windows-1250 byte of a code point, or -1 when the code page lacks it.
int UnicodeToCp1250(char32_t CodePoint);

// Windows-1250 bytes as UTF-8.
std::string Cp1250ToUtf8(const std::string& Bytes);

// True when Bytes are well-formed UTF-8.
bool IsValidUtf8(const std::string& Bytes);
