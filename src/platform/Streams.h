// Byte streams over memory and files, with reads that raise on shortfall.
#pragma once

#include <cstdint>
#include <string>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;

    // Reads up to Count bytes; returns how many were read.
    virtual int32_t Read(void* Buffer, int32_t Count) = 0;
    // Writes up to Count bytes; returns how many were written.
    virtual int32_t Write(const void* Buffer, int32_t Count) = 0;
    // Moves the position and returns the new one.
    virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

    virtual int64_t Size();
    virtual void SetSize(int64_t NewSize);
    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t Value) { Seek(Value, TSeekOrigin::soBeginning); }

    // Reads exactly Count bytes or raises EReadError.
    void ReadBuffer(void* Buffer, int32_t Count);
    // Writes exactly Count bytes or raises EWriteError.
    void WriteBuffer(const void* Buffer, int32_t Count);
};

// A stream over a block of memory that a derived class provides.
class TCustomMemoryStream : public TStream {
public:
    int32_t Read(void* Buffer, int32_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t Size() override { return FSize; }
    uint8_t* Memory() const { return FMemory; }

protected:
    void SetPointer(uint8_t* Memory, int64_t Size);
    int64_t FPosition = 0;

private:
    uint8_t* FMemory = nullptr;
    int64_t FSize = 0;
};

// A memory stream on the heap that grows as it is written.
class TMemoryStream : public TCustomMemoryStream {
public:
    TMemoryStream() = default;
    TMemoryStream(const void* Data, int64_t Count);
    ~TMemoryStream() override;
    TMemoryStream(const TMemoryStream&) = delete;
    TMemoryStream& operator=(const TMemoryStream&) = delete;

    int32_t Write(const void* Buffer, int32_t Count) override;
    void SetSize(int64_t NewSize) override;

private:
    int64_t FCapacity = 0;
};

// Open modes of TFileStream: one access mode, optionally or-ed with a share mode.
enum : uint16_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareDenyWrite = 0x0020,
    fmCreate = 0xFF00,
};

class TFileStream : public TStream {
public:
    // Raises EFOpenError "Cannot open file "<name>". <reason>" when the file cannot be opened.
    TFileStream(const std::string& FileName, uint16_t Mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int32_t Read(void* Buffer, int32_t Count) override;
    int32_t Write(const void* Buffer, int32_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    void SetSize(int64_t NewSize) override;
    const std::string& FileName() const { return FFileName; }

private:
    std::string FFileName;
    int FHandle = -1;
};
