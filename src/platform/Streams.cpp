#include "Streams.h"

#include "SysUtils.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/file.h>
#include <unistd.h>

int64_t TStream::Size()
{
    const int64_t Saved = Seek(0, TSeekOrigin::soCurrent);
    const int64_t Result = Seek(0, TSeekOrigin::soEnd);
    Seek(Saved, TSeekOrigin::soBeginning);
    return Result;
}

void TStream::SetSize(int64_t) {}

void TStream::ReadBuffer(void* Buffer, int32_t Count)
{
    if (Count != 0 && Read(Buffer, Count) != Count)
        throw EReadError();
}

void TStream::WriteBuffer(const void* Buffer, int32_t Count)
{
    if (Count != 0 && Write(Buffer, Count) != Count)
        throw EWriteError();
}

// --- TCustomMemoryStream ---

void TCustomMemoryStream::SetPointer(uint8_t* Memory, int64_t Size)
{
    FMemory = Memory;
    FSize = Size;
}

int32_t TCustomMemoryStream::Read(void* Buffer, int32_t Count)
{
    if (Count <= 0 || FPosition < 0 || FPosition >= FSize)
        return 0;
    const int64_t Available = std::min<int64_t>(Count, FSize - FPosition);
    std::memcpy(Buffer, FMemory + FPosition, static_cast<size_t>(Available));
    FPosition += Available;
    return static_cast<int32_t>(Available);
}

int64_t TCustomMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin)
{
    switch (Origin) {
    case TSeekOrigin::soBeginning: FPosition = Offset; break;
    case TSeekOrigin::soCurrent: FPosition += Offset; break;
    case TSeekOrigin::soEnd: FPosition = FSize + Offset; break;
    }
    return FPosition;
}

// --- TMemoryStream ---

TMemoryStream::TMemoryStream(const void* Data, int64_t Count)
{
    SetSize(Count);
    if (Count > 0)
        std::memcpy(Memory(), Data, static_cast<size_t>(Count));
}

TMemoryStream::~TMemoryStream() { std::free(Memory()); }

void TMemoryStream::SetSize(int64_t NewSize)
{
    if (NewSize < 0)
        NewSize = 0;
    if (NewSize > FCapacity) {
        const int64_t NewCapacity = std::max<int64_t>(NewSize, FCapacity * 2);
        auto* Grown = static_cast<uint8_t*>(std::realloc(Memory(), static_cast<size_t>(NewCapacity)));
        if (Grown == nullptr)
            throw std::bad_alloc();
        FCapacity = NewCapacity;
        SetPointer(Grown, Size());
    }
    if (NewSize > Size())
        std::memset(Memory() + Size(), 0, static_cast<size_t>(NewSize - Size()));
    SetPointer(Memory(), NewSize);
}

int32_t TMemoryStream::Write(const void* Buffer, int32_t Count)
{
    if (Count <= 0 || FPosition < 0)
        return 0;
    const int64_t End = FPosition + Count;
    if (End > Size())
        SetSize(End);
    std::memcpy(Memory() + FPosition, Buffer, static_cast<size_t>(Count));
    FPosition = End;
    return Count;
}

// --- TFileStream ---

namespace {

int OpenFlags(uint16_t Mode)
{
    if (Mode == fmCreate || (Mode & 0xFF00) == fmCreate)
        return O_RDWR | O_CREAT | O_TRUNC;
    switch (Mode & 0x0003) {
    case fmOpenWrite: return O_WRONLY;
    case fmOpenReadWrite: return O_RDWR;
    default: return O_RDONLY;
    }
}

} // namespace

TFileStream::TFileStream(const std::string& FileName, uint16_t Mode) : FFileName(FileName)
{
    FHandle = ::open(FileName.c_str(), OpenFlags(Mode) | O_CLOEXEC, 0666);
    if (FHandle < 0)
        throw EFOpenError("Cannot open file \"" + FileName + "\". " + SysErrorMessage(errno));
    // Other processes that honour advisory locks may not write while we read.
    if ((Mode & fmShareDenyWrite) != 0)
        ::flock(FHandle, LOCK_SH | LOCK_NB);
}

TFileStream::~TFileStream()
{
    if (FHandle >= 0)
        ::close(FHandle);
}

int32_t TFileStream::Read(void* Buffer, int32_t Count)
{
    int32_t Done = 0;
    while (Done < Count) {
        const ssize_t Got = ::read(FHandle, static_cast<uint8_t*>(Buffer) + Done, static_cast<size_t>(Count - Done));
        if (Got < 0 && errno == EINTR)
            continue;
        if (Got <= 0)
            break;
        Done += static_cast<int32_t>(Got);
    }
    return Done;
}

int32_t TFileStream::Write(const void* Buffer, int32_t Count)
{
    int32_t Done = 0;
    while (Done < Count) {
        const ssize_t Put = ::write(FHandle, static_cast<const uint8_t*>(Buffer) + Done, static_cast<size_t>(Count - Done));
        if (Put < 0 && errno == EINTR)
            continue;
        if (Put <= 0)
            break;
        Done += static_cast<int32_t>(Put);
    }
    return Done;
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin)
{
    static constexpr int Whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    return ::lseek(FHandle, Offset, Whence[static_cast<int>(Origin)]);
}

void TFileStream::SetSize(int64_t NewSize)
{
    if (::ftruncate(FHandle, NewSize) != 0)
        throw EStreamError("Cannot set the size of \"" + FFileName + "\". " + SysErrorMessage(errno));
}
