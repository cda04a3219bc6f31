#include "cmpRiffStream.h"

#include "platform/SysUtils.h"

#include <cstring>

namespace {

uint32_t FourCC(const char* Name)
{
    uint8_t Bytes[4] = {0, 0, 0, 0};
    for (int I = 0; I < 4 && Name[I] != '\0'; ++I)
        Bytes[I] = static_cast<uint8_t>(Name[I]);
    return Bytes[0] | (Bytes[1] << 8) | (Bytes[2] << 16) | (static_cast<uint32_t>(Bytes[3]) << 24);
}

uint32_t LittleEndian(const uint8_t* Bytes)
{
    return Bytes[0] | (Bytes[1] << 8) | (Bytes[2] << 16) | (static_cast<uint32_t>(Bytes[3]) << 24);
}

std::unique_ptr<TStream> OpenRiffFile(const std::string& FileName, uint16_t Mode)
{
    try {
        return std::make_unique<TFileStream>(FileName, Mode);
    } catch (const EFOpenError&) {
        throw EFOpenError("Unable to open " + FileName);
    }
}

} // namespace

TRiffStream::TRiffStream(std::unique_ptr<TStream> Source) : FSource(std::move(Source)) {}

int32_t TRiffStream::Read(void* Buffer, int32_t Count) { return FSource->Read(Buffer, Count); }

int32_t TRiffStream::Write(const void*, int32_t) { return 0; }

int64_t TRiffStream::Seek(int64_t Offset, TSeekOrigin Origin) { return FSource->Seek(Offset, Origin); }

// Reads the eight header bytes of the chunk at the current position if they lie before Limit.
bool TRiffStream::ReadChunkHeader(int64_t Limit, TRiffChunk& Chunk)
{
    const int64_t Start = FSource->Position();
    uint8_t Header[8];
    if (Start < 0 || Start + 8 > Limit || FSource->Read(Header, 8) != 8)
        return false;
    Chunk = TRiffChunk{};
    Chunk.Id = LittleEndian(Header);
    Chunk.Size = LittleEndian(Header + 4);
    Chunk.DataOffset = static_cast<uint32_t>(Start + 8);
    return true;
}

void TRiffStream::Descend(const std::string& Name, TRiffSearch Search)
{
    const int64_t Limit = FChunks.empty()
        ? FSource->Size()
        : static_cast<int64_t>(FChunks.back().Chunk.DataOffset) + FChunks.back().Chunk.Size
            - (FChunks.back().Chunk.Id == FourCC("RIFF") ? 4 : 0);
    const uint32_t Wanted = Search == TRiffSearch::rsFindRiff ? FourCC("RIFF") : FourCC(Name.c_str());
    TRiffChunk Chunk;
    while (ReadChunkHeader(Limit, Chunk)) {
        if (Chunk.Id == Wanted) {
            if (Search == TRiffSearch::rsFindRiff) {
                uint8_t Form[4];
                if (FSource->Read(Form, 4) != 4)
                    break;
                Chunk.FormType = LittleEndian(Form);
                Chunk.DataOffset += 4;
            }
            FChunks.push_back({Name, Chunk});
            return;
        }
        // Pass over the contents and the padding byte of an odd size.
        FSource->SetPosition(static_cast<int64_t>(Chunk.DataOffset) + Chunk.Size + (Chunk.Size & 1u));
    }
    throw Exception("Unable to descend into " + Name);
}

TRiffFileStream::TRiffFileStream(const std::string& FileName, uint16_t Mode) : TRiffStream(OpenRiffFile(FileName, Mode)) {}
