#include "publish/WipingMemory.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include <sys/mman.h>

namespace wobbin {

namespace {

// Every block starts with its header; the caller's part follows, aligned as
// malloc aligns.
struct alignas(std::max_align_t) Header
{
    std::size_t size;   // what the caller asked for
    std::size_t mapped; // length of its own mapping, 0 for a heap block
};

constexpr std::size_t kHeader = sizeof(Header);

Header *HeaderOf(void *block)
{
    return static_cast<Header *>(block) - 1;
}

void *Allocate(std::size_t size, bool zeroed)
{
    if (size > SIZE_MAX - kHeader - 4096)
        return nullptr;
    if (size >= kMappedFrom) {
        const std::size_t length = size + kHeader;
        void *map = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (map == MAP_FAILED)
            return nullptr;
        // A fresh mapping reads as zeros already.
        return new (map) Header{size, length} + 1;
    }
    void *heap = zeroed ? std::calloc(1, size + kHeader) : std::malloc(size + kHeader);
    if (!heap)
        return nullptr;
    return new (heap) Header{size, 0} + 1;
}

} // namespace

void *WipingMalloc(std::size_t size)
{
    return Allocate(size, false);
}

void *WipingCalloc(std::size_t count, std::size_t size)
{
    if (size != 0 && count > SIZE_MAX / size)
        return nullptr;
    return Allocate(count * size, true);
}

void WipingFree(void *block)
{
    if (!block)
        return;
    Header *header = HeaderOf(block);
    if (header->mapped) {
        munmap(header, header->mapped);
        return;
    }
    explicit_bzero(header, kHeader + header->size);
    std::free(header);
}

// A block that changes size moves to a new one; the old one goes as above.
void *WipingRealloc(void *block, std::size_t size)
{
    if (!block)
        return WipingMalloc(size);
    if (size == 0) {
        WipingFree(block);
        return nullptr;
    }
    void *moved = WipingMalloc(size);
    if (!moved)
        return nullptr;
    std::memcpy(moved, block, std::min(size, HeaderOf(block)->size));
    WipingFree(block);
    return moved;
}

char *WipingStrdup(const char *text)
{
    const std::size_t size = std::strlen(text) + 1;
    auto *copy = static_cast<char *>(WipingMalloc(size));
    if (copy)
        std::memcpy(copy, text, size);
    return copy;
}

} // namespace wobbin
