// The list of files sent to a server, over arbitrary bytes: no crash; a list
// that does not read is empty and says why; one that reads writes back to a
// list that reads to the same files and writes back to the same bytes.
#include "publish/UploadManifest.h"

#include <cstdlib>

using namespace wobbin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const TServerIdentity server{QStringLiteral("FTP"), QStringLiteral("ftp.example.com"), 21,
                                 QStringLiteral("public_html"), QStringLiteral("ann")};
    TUploadManifest manifest;
    if (const TResult<void> read = manifest.FromBytes(bytes, server); !read.ok()) {
        if (!manifest.IsEmpty() || read.error().detail.isEmpty())
            std::abort();
        return 0;
    }
    for (const TManifestEntry &e : manifest.Entries())
        if (e.RemoteName.isEmpty() || e.Size < 0 || e.Digest.size() != TContentHash::kHexLength
            || manifest.Find(e.RemoteName) == nullptr)
            std::abort();
    const QByteArray once = manifest.ToBytes();
    TUploadManifest again;
    if (!again.FromBytes(once, server).ok() || again.Entries() != manifest.Entries() || again.ToBytes() != once)
        std::abort();
    // Written for one server, it is not read for another.
    TServerIdentity other = server;
    other.UserName = QStringLiteral("bob");
    if (!manifest.IsEmpty() && again.FromBytes(once, other).ok())
        std::abort();
    return 0;
}
