// Windows-style profile (INI) files: sections and keys matched without regard
// to case, keys kept in file order, updated in place so that other sections
// and keys survive. Read as UTF-8 when the bytes are valid UTF-8, else as
// Windows-1250; written as UTF-8 with CR LF line ends.
#pragma once

#include <string>
#include <vector>

class TProfileFile {
public:
    static constexpr size_t MaxValueLength = 2047;
    static constexpr size_t KeyNameBlockSize = 16384;

    // An empty profile, or the contents of FileName if it exists.
    explicit TProfileFile(const std::string& FileName);

    // The value, cut at MaxValueLength characters; Default when the key is missing.
    std::string ReadString(const std::string& Section, const std::string& Key, const std::string& Default) const;
    // Key names of the section in file order, as many as fit a block of
    // KeyNameBlockSize bytes with a terminating zero after each.
    std::vector<std::string> ReadKeys(const std::string& Section) const;

    void WriteString(const std::string& Section, const std::string& Key, const std::string& Value);
    void EraseSection(const std::string& Section);
    // Writes a temporary file beside the target and renames it over the target;
    // raises Exception "Unable to write to <name>" on failure.
    void Save() const;


private:
    // Index of the section's header line, or -1.
    long FindSection(const std::string& Section) const;
    // One past the section's last line.
    size_t SectionEnd(size_t Header) const;
    long FindKey(size_t Header, const std::string& Key) const;

    std::string FFileName;
    std::vector<std::string> FLines;
};
