#include "platform/FreeMemory.h"

#include <QTest>

#include <cstdlib>
#include <cstring>

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
#include <malloc.h>
#define TUCKAWAY_GLIBC_MALLOC 1
#endif

namespace {
void* volatile g_sink; // the blocks must really be made
} // namespace

class FreeMemoryTest : public QObject {
    Q_OBJECT
private slots:
    // glibc raises its limit for own pages to the size of a large block freed; kept apart,
    // a later large block still gets pages of its own, which go back when it is freed.
    void largeBlocksKeepPagesOfTheirOwn() {
#ifndef TUCKAWAY_GLIBC_MALLOC
        QSKIP("glibc's own allocator only");
#else
        FreeMemory::keepLargeBlocksApart();
        constexpr size_t kFreedFirst = 8u << 20, kLater = 1u << 20;
        static_assert(kLater > size_t(FreeMemory::kLargeBlockBytes));
        g_sink = std::malloc(kFreedFirst);
        std::memset(g_sink, 1, kFreedFirst);
        std::free(g_sink);
        const size_t before = mallinfo2().hblkhd;
        g_sink = std::malloc(kLater);
        std::memset(g_sink, 1, kLater);
        const size_t during = mallinfo2().hblkhd;
        std::free(g_sink);
        QVERIFY2(during >= before + kLater,
                 qPrintable(QStringLiteral("own pages %1 -> %2").arg(before).arg(during)));
        QCOMPARE(mallinfo2().hblkhd, before);
#endif
    }
};

QTEST_GUILESS_MAIN(FreeMemoryTest)
#include "tst_freememory.moc"
