// The allocator the transfer library is given: blocks keep what they hold as
// they move across the size at which they get their own mapping, sizes that
// do not fit are refused, and a large block leaves the process when freed.
#include "publish/WipingMemory.h"

#include <QtTest>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <sys/mman.h>
#include <unistd.h>

using namespace wobbin;

class TestWipingMemory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keepsContentAcrossSizes()
    {
        const QByteArray pattern = QByteArray("0123456789abcdef").repeated(int(kMappedFrom) / 4);
        char *block = static_cast<char *>(WipingMalloc(100));
        std::size_t filled = 100;
        std::memcpy(block, pattern.constData(), filled);
        for (const std::size_t size : {std::size_t(pattern.size()), kMappedFrom * 5, std::size_t(100)}) {
            block = static_cast<char *>(WipingRealloc(block, size)); // to a mapping, another, the heap
            QVERIFY(block);
            const int kept = int(std::min(size, filled));
            QCOMPARE(QByteArray(block, kept), pattern.left(kept));
            filled = std::min(size, std::size_t(pattern.size()));
            std::memcpy(block, pattern.constData(), filled);
        }
        QCOMPARE(WipingRealloc(block, 0), nullptr);
    }

    void refusesSizesThatDoNotFit()
    {
        QCOMPARE(WipingCalloc(SIZE_MAX / 2, 3), nullptr);
        void *kept = WipingMalloc(64);
        QCOMPARE(WipingRealloc(kept, SIZE_MAX - 8), nullptr); // the old block stays the caller's
        WipingFree(kept);
    }

    void largeBlockLeavesTheProcess()
    {
        void *block = WipingMalloc(kMappedFrom * 2);
        QVERIFY(block);
        std::memset(block, 'p', kMappedFrom * 2);
        const long page = sysconf(_SC_PAGESIZE);
        void *start = reinterpret_cast<void *>(reinterpret_cast<std::uintptr_t>(block) & ~std::uintptr_t(page - 1));
        unsigned char resident = 0;
        QCOMPARE(mincore(start, std::size_t(page), &resident), 0);
        WipingFree(block);
        QCOMPARE(mincore(start, std::size_t(page), &resident), -1); // no longer mapped
    }
};

QTEST_GUILESS_MAIN(TestWipingMemory)
#include "test_publish_wiping_memory.moc"
