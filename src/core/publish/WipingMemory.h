#pragma once
// The allocator libcurl is given, so that the copies it makes of a password
// (and of the log-on command that carries one) do not stay behind in freed
// memory. A small block is overwritten before it goes back to the heap. A
// large one (kMappedFrom bytes or more: the transfer buffers) is a mapping of
// its own that goes back to the system whole: nothing of it stays in the
// process, and pages the transfer never touched are not touched to wipe them.
#include <cstddef>

namespace wobbin {

inline constexpr std::size_t kMappedFrom = 64 * 1024;

void *WipingMalloc(std::size_t size);
void *WipingCalloc(std::size_t count, std::size_t size);
void *WipingRealloc(void *block, std::size_t size);
char *WipingStrdup(const char *text);
void WipingFree(void *block);

} // namespace wobbin
