// A stream over a RIFF file that can enter chunks by name.
#pragma once

#include "platform/Streams.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class TRiffSearch {
    rsFindRiff,  // pass over chunks until one with the identifier "RIFF"
    rsFindChunk, // pass over chunks until one with the given identifier
};

struct TRiffChunk {
    uint32_t Id = 0;         // four characters, first in the lowest byte
    uint32_t Size = 0;       // bytes of contents, without the padding byte
    uint32_t FormType = 0;   // for "RIFF" chunks: the four characters after the size
    uint32_t DataOffset = 0; // file offset of the contents (after the form type of a RIFF chunk)
    uint32_t Flags = 0;
};

struct TRiffChunkInfo {
    std::string Name;
    TRiffChunk Chunk;
};

class TRiffStream : public TStream {
public:
    // Works on Source, which it owns.
    explicit TRiffStream(std::unique_ptr<TStream> Source);

    // Enters the first matching chunk inside the innermost chunk entered so far
    // (the whole file when none is); raises Exception "Unable to descend into <Name>".
    void Descend(const std::string& Name, TRiffSearch Search);
    const std::vector<TRiffChunkInfo>& Chunks() const { return FChunks; }

    // Reads from the current position, not limited to the entered chunk.
    int32_t Read(void* Buffer, int32_t Count) override;
    int32_t Write(const void* Buffer, int32_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t Size() override { return FSource->Size(); }

private:
    bool ReadChunkHeader(int64_t Limit, TRiffChunk& Chunk);

    std::unique_ptr<TStream> FSource;
    std::vector<TRiffChunkInfo> FChunks;
};

// The RIFF stream of a file on disk; raises EFOpenError "Unable to open <name>".
class TRiffFileStream : public TRiffStream {
public:
    TRiffFileStream(const std::string& FileName, uint16_t Mode);
};
