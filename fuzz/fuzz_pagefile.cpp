// The page-file reader on arbitrary bytes: no crash, no unbounded allocation,
// a consistent tile column, and what it read writes back to the same bytes.
#include "page/PageDocument.h"
#include "page/PageFile.h"

#include <cstdio>
#include <cstdlib>

using namespace wobbin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    TPageDocument doc;
    const PageReadResult r = ReadPageBytes(bytes, doc);
    if (r.BlocksRead != doc.Blocks.Count() || DescribeReadResult(r).isEmpty())
        std::abort();
    const QString broken = doc.CheckInvariant();
    if (!broken.isEmpty()) {
        std::fprintf(stderr, "column: %s\n", qPrintable(broken));
        std::abort();
    }
    (void)doc.BuildPageHTML(false, true);
    if (r.Stop == PageReadStop::FileMissing || r.Stop == PageReadStop::NotPageFile
        || r.Stop == PageReadStop::OtherMajorVersion || r.Stop == PageReadStop::BadVersionText)
        return 0;
    // Written and read again, the document keeps every byte.
    const QByteArray once = PageFileBytes(doc, r.StyleName);
    TPageDocument again;
    const PageReadResult r2 = ReadPageBytes(once, again);
    if (!r2.IsOk() || again.Blocks.Count() != doc.Blocks.Count())
        std::abort();
    if (PageFileBytes(again, r2.StyleName) != once)
        std::abort();
    return 0;
}
