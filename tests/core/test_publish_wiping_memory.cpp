// The allocator the transfer library is given: blocks keep what they hold as
// they grow and shrink across the size at which they get their own mapping,
// sizes that do not fit are refused, and a large block leaves the process
// when it is freed.
#include "publish/WipingMemory.h"

#include <QtTest>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <sys/mman.h>
#include <unistd.h>

using namespace wobbin;

namespace {

void Fill(void *block, std::size_t size)
{
    auto *bytes = static_cast<unsigned char *>(block);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(i * 7 + 3);
}

bool Holds(const void *block, std::size_t size)
{
    const auto *bytes = static_cast<const unsigned char *>(block);
    for (std::size_t i = 0; i < size; ++i)
        if (bytes[i] != static_cast<unsigned char>(i * 7 + 3))
            return false;
    return true;
}

bool Mapped(const void *address)
{
    const long page = sysconf(_SC_PAGESIZE);
    auto *start = reinterpret_cast<void *>(reinterpret_cast<std::uintptr_t>(address) & ~std::uintptr_t(page - 1));
    unsigned char resident = 0;
    return mincore(start, std::size_t(page), &resident) == 0;
}

} // namespace

class TestWipingMemory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keepsContentAcrossSizes()
    {
        const std::size_t small = 1000, large = kMappedFrom * 3 + 5;
        void *block = WipingMalloc(small);
        QVERIFY(block);
        Fill(block, small);
        block = WipingRealloc(block, large); // heap to its own mapping
        QVERIFY(block);
        QVERIFY(Holds(block, small));
        Fill(block, large);
        block = WipingRealloc(block, kMappedFrom * 5); // mapping to mapping
        QVERIFY(Holds(block, large));
        block = WipingRealloc(block, 100); // back to the heap
        QVERIFY(block);
        QVERIFY(Holds(block, 100));
        QCOMPARE(WipingRealloc(block, 0), nullptr);

        char *copy = WipingStrdup("USER a\r\nPASS b");
        QCOMPARE(QByteArray(copy), QByteArray("USER a\r\nPASS b"));
        WipingFree(copy);
        WipingFree(nullptr);
    }

    void zeroedAndRefused()
    {
        for (const std::size_t count : {std::size_t(10), kMappedFrom}) {
            auto *bytes = static_cast<unsigned char *>(WipingCalloc(count, 4));
            QVERIFY(bytes);
            QVERIFY(std::all_of(bytes, bytes + count * 4, [](unsigned char b) { return b == 0; }));
            WipingFree(bytes);
        }
        QCOMPARE(WipingCalloc(SIZE_MAX / 2, 3), nullptr);
        QCOMPARE(WipingMalloc(SIZE_MAX - 8), nullptr);
        void *kept = WipingMalloc(64);
        QCOMPARE(WipingRealloc(kept, SIZE_MAX), nullptr); // the old block stays the caller's
        WipingFree(kept);
    }

    void largeBlockLeavesTheProcess()
    {
        void *block = WipingMalloc(kMappedFrom * 2);
        QVERIFY(block);
        Fill(block, kMappedFrom * 2);
        QVERIFY(Mapped(block));
        WipingFree(block);
        QVERIFY(!Mapped(block));
    }
};

QTEST_GUILESS_MAIN(TestWipingMemory)
#include "test_publish_wiping_memory.moc"
