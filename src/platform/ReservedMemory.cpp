#include "ReservedMemory.h"

#include "SysUtils.h"

#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace {

size_t PageSize()
{
    static const size_t Size = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    return Size;
}

size_t RoundUpToPage(size_t Bytes) { return (Bytes + PageSize() - 1) / PageSize() * PageSize(); }

} // namespace

TReservedMemory::TReservedMemory(size_t Capacity) : FCapacity(Capacity)
{
    if (Capacity == 0)
        return;
    void* Block = ::mmap(nullptr, RoundUpToPage(Capacity), PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (Block == MAP_FAILED)
        throw EOutOfResources("Unable to reserve memory. " + SysErrorMessage(errno));
    FBase = static_cast<uint8_t*>(Block);
}

TReservedMemory::~TReservedMemory()
{
    if (FBase != nullptr)
        ::munmap(FBase, RoundUpToPage(FCapacity));
}

void TReservedMemory::SetCommitted(size_t Bytes)
{
    if (Bytes > FCapacity)
        throw EOutOfResources("Unable to commit memory beyond the reservation");
    const size_t OldPages = RoundUpToPage(FCommitted);
    const size_t NewPages = RoundUpToPage(Bytes);
    if (NewPages > OldPages) {
        if (::mprotect(FBase + OldPages, NewPages - OldPages, PROT_READ | PROT_WRITE) != 0)
            throw EOutOfResources("Unable to commit memory. " + SysErrorMessage(errno));
    } else if (Bytes < FCommitted) {
        std::memset(FBase + Bytes, 0, NewPages - Bytes);
        if (NewPages < OldPages) {
            ::madvise(FBase + NewPages, OldPages - NewPages, MADV_DONTNEED);
            ::mprotect(FBase + NewPages, OldPages - NewPages, PROT_NONE);
        }
    }
    FCommitted = Bytes;
}
