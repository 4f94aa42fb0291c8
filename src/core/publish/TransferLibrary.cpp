#include "publish/TransferLibrary.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <mutex>

namespace wobbin {

namespace {

void WipingFree(void *block)
{
    if (!block)
        return;
    explicit_bzero(block, malloc_usable_size(block));
    std::free(block);
}

void *WipingMalloc(size_t size)
{
    return std::malloc(size);
}

// A block that grows moves to a new place; the old one is overwritten.
void *WipingRealloc(void *block, size_t size)
{
    if (!block)
        return std::malloc(size);
    if (size == 0) {
        WipingFree(block);
        return nullptr;
    }
    void *moved = std::malloc(size);
    if (!moved)
        return nullptr;
    std::memcpy(moved, block, std::min(size, malloc_usable_size(block)));
    WipingFree(block);
    return moved;
}

char *WipingStrdup(const char *text)
{
    const size_t size = std::strlen(text) + 1;
    auto *copy = static_cast<char *>(std::malloc(size));
    if (copy)
        std::memcpy(copy, text, size);
    return copy;
}

void *WipingCalloc(size_t count, size_t size)
{
    return std::calloc(count, size);
}

} // namespace

void InitTransferLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] {
        curl_global_init_mem(CURL_GLOBAL_DEFAULT, &WipingMalloc, &WipingFree, &WipingRealloc, &WipingStrdup,
                             &WipingCalloc);
    });
}

} // namespace wobbin
