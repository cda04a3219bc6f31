#include "ProfileFile.h"

#include "Cp1250.h"
#include "SysUtils.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <strings.h>
#include <unistd.h>

namespace {

std::string Trim(const std::string& Text)
{
    const size_t First = Text.find_first_not_of(" \t");
    if (First == std::string::npos)
        return {};
    return Text.substr(First, Text.find_last_not_of(" \t") - First + 1);
}

bool SameName(const std::string& A, const std::string& B)
{
    return A.size() == B.size() && ::strncasecmp(A.c_str(), B.c_str(), A.size()) == 0;
}

// "[name]" gives name; other lines give nothing.
bool SectionName(const std::string& Line, std::string& Name)
{
    const std::string Trimmed = Trim(Line);
    if (Trimmed.size() < 2 || Trimmed.front() != '[')
        return false;
    const size_t Close = Trimmed.find(']');
    if (Close == std::string::npos)
        return false;
    Name = Trim(Trimmed.substr(1, Close - 1));
    return true;
}

bool KeyAndValue(const std::string& Line, std::string& Key, std::string& Value)
{
    const size_t Equals = Line.find('=');
    if (Equals == std::string::npos)
        return false;
    Key = Trim(Line.substr(0, Equals));
    Value = Trim(Line.substr(Equals + 1));
    return !Key.empty() && Key[0] != ';';
}

// Cuts after Count characters, never inside a UTF-8 sequence.
std::string CutCharacters(const std::string& Text, size_t Count)
{
    size_t Characters = 0;
    for (size_t I = 0; I < Text.size(); ++I) {
        if ((static_cast<unsigned char>(Text[I]) & 0xC0) != 0x80 && Characters++ == Count)
            return Text.substr(0, I);
    }
    return Text;
}

} // namespace

TProfileFile::TProfileFile(const std::string& FileName) : FFileName(FileName)
{
    std::ifstream In(FileName, std::ios::binary);
    if (!In)
        return;
    std::stringstream Buffer;
    Buffer << In.rdbuf();
    std::string Text = Buffer.str();
    if (Text.rfind("\xEF\xBB\xBF", 0) == 0)
        Text.erase(0, 3);
    if (!IsValidUtf8(Text))
        Text = Cp1250ToUtf8(Text); // written on Windows in its ANSI code page
    std::string Line;
    std::istringstream Stream(Text);
    while (std::getline(Stream, Line)) {
        if (!Line.empty() && Line.back() == '\r')
            Line.pop_back();
        FLines.push_back(Line);
    }
}

long TProfileFile::FindSection(const std::string& Section) const
{
    std::string Name;
    for (size_t I = 0; I < FLines.size(); ++I)
        if (SectionName(FLines[I], Name) && SameName(Name, Section))
            return static_cast<long>(I);
    return -1;
}

size_t TProfileFile::SectionEnd(size_t Header) const
{
    std::string Name;
    size_t End = Header + 1;
    while (End < FLines.size() && !SectionName(FLines[End], Name))
        ++End;
    return End;
}

long TProfileFile::FindKey(size_t Header, const std::string& Key) const
{
    std::string Name, Value;
    const size_t End = SectionEnd(Header);
    for (size_t I = Header + 1; I < End; ++I)
        if (KeyAndValue(FLines[I], Name, Value) && SameName(Name, Key))
            return static_cast<long>(I);
    return -1;
}

std::string TProfileFile::ReadString(const std::string& Section, const std::string& Key, const std::string& Default) const
{
    const long Header = FindSection(Section);
    const long Line = Header < 0 ? -1 : FindKey(static_cast<size_t>(Header), Key);
    if (Line < 0)
        return Default;
    std::string Name, Value;
    KeyAndValue(FLines[static_cast<size_t>(Line)], Name, Value);
    if (Value.size() >= 2 && Value.front() == '"' && Value.back() == '"')
        Value = Value.substr(1, Value.size() - 2);
    return CutCharacters(Value, MaxValueLength);
}

std::vector<std::string> TProfileFile::ReadKeys(const std::string& Section) const
{
    std::vector<std::string> Keys;
    const long Header = FindSection(Section);
    if (Header < 0)
        return Keys;
    size_t Used = 0;
    std::string Name, Value;
    const size_t End = SectionEnd(static_cast<size_t>(Header));
    for (size_t I = static_cast<size_t>(Header) + 1; I < End; ++I) {
        if (!KeyAndValue(FLines[I], Name, Value))
            continue;
        Used += Name.size() + 1;
        if (Used >= KeyNameBlockSize) // the block also ends with a zero of its own
            break;
        Keys.push_back(Name);
    }
    return Keys;
}

void TProfileFile::WriteString(const std::string& Section, const std::string& Key, const std::string& Value)
{
    const std::string Line = Key + "=" + Value;
    long Header = FindSection(Section);
    if (Header < 0) {
        FLines.push_back("[" + Section + "]");
        FLines.push_back(Line);
        return;
    }
    const long Existing = FindKey(static_cast<size_t>(Header), Key);
    if (Existing >= 0) {
        FLines[static_cast<size_t>(Existing)] = Line;
        return;
    }
    // After the section's last non-blank line.
    size_t Place = SectionEnd(static_cast<size_t>(Header));
    while (Place > static_cast<size_t>(Header) + 1 && Trim(FLines[Place - 1]).empty())
        --Place;
    FLines.insert(FLines.begin() + static_cast<long>(Place), Line);
}

void TProfileFile::EraseSection(const std::string& Section)
{
    const long Header = FindSection(Section);
    if (Header >= 0)
        FLines.erase(FLines.begin() + Header, FLines.begin() + static_cast<long>(SectionEnd(static_cast<size_t>(Header))));
}

void TProfileFile::Save() const
{
    const std::string Temporary = FFileName + ".tmp-" + std::to_string(::getpid());
    bool Written = false;
    {
        std::ofstream Out(Temporary, std::ios::binary | std::ios::trunc);
        for (const std::string& Line : FLines)
            Out << Line << "\r\n";
        Out.flush();
        Written = static_cast<bool>(Out);
    }
    if (!Written || std::rename(Temporary.c_str(), FFileName.c_str()) != 0) {
        std::remove(Temporary.c_str());
        throw Exception("Unable to write to " + FFileName);
    }
}
