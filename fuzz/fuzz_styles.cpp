// The style library reader on arbitrary bytes: no crash, no unbounded
// allocation, and what it read writes back and reads again unchanged.
#include "styles/StyleLibrary.h"

#include <cstdlib>

using namespace wobbin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    StyleLoadStatus status;
    const StyleList styles = ParseStyles(bytes, &status);
    if (qsizetype(styles.size()) * 32 > bytes.size() + 32)
        std::abort(); // every style takes at least 7 counts of 4 bytes
    for (int entry = 0; entry <= styles.size(); ++entry) {
        const QString tag = BodyTagForEntry(styles, entry);
        if (ReplaceBodyTag(QStringLiteral("<HTML><BODY>x</BODY></HTML>"), tag).isEmpty())
            std::abort();
    }
    const QByteArray once = SerializeStyles(styles);
    StyleLoadStatus again;
    if (ParseStyles(once, &again) != styles || again != StyleLoadStatus::Complete)
        std::abort();
    return 0;
}
