#pragma once
// The one set-up of libcurl for the whole process, shared by the file-transfer
// client and the check of a published page. libcurl is given an allocator
// that overwrites every block before it goes back, so that the copies it makes
// of a password (and the log-on command carrying one) do not stay behind in
// freed memory.

namespace wobbin {

// Sets libcurl up once (later calls do nothing); call before any other use.
void InitTransferLibrary();

} // namespace wobbin
