// A server's folder listings over arbitrary bytes: no crash, and no entry
// that is empty, names the folder itself or its parent, or spans lines; a
// name from the names-only form holds no folder part, and a size is a size.
#include "publish/ListingParse.h"

#include <cstdlib>

using namespace wobbin;

namespace {

void CheckNames(const QList<TRemoteEntry> &entries, bool namesOnly)
{
    for (const TRemoteEntry &e : entries) {
        if (e.Name.isEmpty() || e.Name == QLatin1String(".") || e.Name == QLatin1String("..")
            || e.Name.contains(QLatin1Char('\n')) || e.Size < -1)
            std::abort();
        if (namesOnly && (e.Name.contains(QLatin1Char('/')) || e.Size != -1))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<TRemoteEntry> machine = ParseMachineListing(bytes);
    CheckNames(machine, false);
    CheckNames(ParseNameListing(bytes), true);
    // No more entries than lines.
    if (machine.size() > bytes.count('\n') + 1)
        std::abort();
    return 0;
}
