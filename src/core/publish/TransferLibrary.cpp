#include "publish/TransferLibrary.h"

#include "publish/WipingMemory.h"

#include <curl/curl.h>

#include <mutex>

namespace wobbin {

void InitTransferLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] {
        curl_global_init_mem(CURL_GLOBAL_DEFAULT, &WipingMalloc, &WipingFree, &WipingRealloc, &WipingStrdup,
                             &WipingCalloc);
    });
}

} // namespace wobbin
