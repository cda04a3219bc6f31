// A folder of its own for each test, removed afterwards.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class TTempDir {
public:
    TTempDir()
    {
        std::string Pattern = (std::filesystem::temp_directory_path() / "bivoxa-test-XXXXXX").string();
        FPath = ::mkdtemp(Pattern.data());
    }
    ~TTempDir() { std::filesystem::remove_all(FPath); }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::filesystem::path& Path() const { return FPath; }

    // Writes Bytes to a file of that name inside the folder and returns its path.
    std::string Write(const std::string& Name, const std::vector<uint8_t>& Bytes) const
    {
        const std::filesystem::path File = FPath / Name;
        std::filesystem::create_directories(File.parent_path());
        std::ofstream Out(File, std::ios::binary);
        Out.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
        return File.string();
    }

private:
    std::filesystem::path FPath;
};
