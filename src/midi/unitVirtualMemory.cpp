#include "unitVirtualMemory.h"

#include <cstring>

TVirtualMemoryStream::TVirtualMemoryStream(int32_t Capacity, int32_t InitialSize)
    : FReserved(static_cast<size_t>(Capacity > 0 ? Capacity : 0)), FCapacity(Capacity > 0 ? Capacity : 0)
{
    SetPointer(FReserved.Base(), 0);
    if (InitialSize > 0) {
        if (InitialSize > FCapacity)
            throw EVirtualMemory("Size exceeds capacity");
        FReserved.SetCommitted(static_cast<size_t>(InitialSize));
        SetPointer(FReserved.Base(), InitialSize);
    }
}

void TVirtualMemoryStream::SetSize(int64_t NewSize)
{
    const int64_t OldSize = Size();
    if (NewSize == OldSize)
        return;
    if (NewSize > FCapacity)
        throw EVirtualMemory("Size exceeds capacity");
    if (NewSize < 0)
        NewSize = 0;
    if (NewSize > OldSize) {
        int64_t Step = NewSize - OldSize;
        if (Step < FGrowBy)
            Step = FGrowBy;
        if (OldSize + Step > FCapacity)
            Step = FCapacity - OldSize;
        NewSize = OldSize + Step;
    }
    FReserved.SetCommitted(static_cast<size_t>(NewSize));
    SetPointer(FReserved.Base(), NewSize);
}

int32_t TVirtualMemoryStream::Write(const void* Buffer, int32_t Count)
{
    if (Count <= 0 || FPosition < 0)
        return 0;
    if (FPosition + Count > Size())
        SetSize(FPosition + Count);
    std::memcpy(Memory() + FPosition, Buffer, static_cast<size_t>(Count));
    FPosition += Count;
    return Count;
}
