// A block of address space reserved once and committed page by page as it grows.
// The block never moves; pages given back read as zero when committed again.
#pragma once

#include <cstddef>
#include <cstdint>

class TReservedMemory {
public:
    // Reserves Capacity bytes without making any of them usable.
    // Raises EOutOfResources when the system refuses the reservation.
    explicit TReservedMemory(size_t Capacity);
    ~TReservedMemory();
    TReservedMemory(const TReservedMemory&) = delete;
    TReservedMemory& operator=(const TReservedMemory&) = delete;

    uint8_t* Base() const { return FBase; }
    size_t Capacity() const { return FCapacity; }
    size_t Committed() const { return FCommitted; }

    // Makes exactly the bytes [0, Bytes) usable. Growing commits the new pages;
    // shrinking zeroes the rest of the last page and gives back the pages beyond it.
    // Raises EOutOfResources when the system refuses to commit.
    void SetCommitted(size_t Bytes);

private:
    uint8_t* FBase = nullptr;
    size_t FCapacity = 0;
    size_t FCommitted = 0;
};
