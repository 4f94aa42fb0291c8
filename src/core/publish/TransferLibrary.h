#pragma once
// The one set-up of libcurl for the whole process, shared by the file-transfer
// client and the check of a published page. libcurl is given the wiping
// allocator (WipingMemory.h), so that the copies it makes of a password do not
// stay behind in freed memory.

namespace wobbin {

// Sets libcurl up once (later calls do nothing); call before any other use.
void InitTransferLibrary();

} // namespace wobbin
