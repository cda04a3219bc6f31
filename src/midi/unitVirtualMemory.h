// A memory stream over address space reserved once at its full capacity and
// committed as it grows, so that its block never moves.
#pragma once

#include "platform/ReservedMemory.h"
#include "platform/Streams.h"
#include "platform/SysUtils.h"

#include <cstdint>

class EVirtualMemory : public Exception {
public:
    using Exception::Exception;
};

class TVirtualMemoryStream : public TCustomMemoryStream {
public:
    TVirtualMemoryStream(int32_t Capacity, int32_t InitialSize);

    int32_t Capacity() const { return FCapacity; }
    int32_t GrowBy() const { return FGrowBy; }

    // Growth commits at least GrowBy bytes (never beyond Capacity); shrinking gives
    // back the whole pages beyond the new size. Raises EVirtualMemory beyond Capacity.
    void SetSize(int64_t NewSize) override;
    int32_t Write(const void* Buffer, int32_t Count) override;

private:
    TReservedMemory FReserved;
    int32_t FCapacity;
    int32_t FGrowBy = 1024;
};
