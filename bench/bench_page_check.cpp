// Speed of the Send panel's page check on a 1,000-block page whose image
// blocks name real picture files (a third of them missing), the pictures
// measured from their header bytes on disk.
#include "page/BlockList.h"
#include "publish/PageCheck.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace wobbin;

namespace {

// n blocks of all six kinds; image blocks name `pictures` different files.
void Fill(BlockList &blocks, int n, int pictures)
{
    for (int i = 0; i < n; ++i) {
        auto b = NewBlock(i % 6);
        switch (b->Kind) {
        case bkPara: b->Para->Text = QStringLiteral("Paragraph %1\r\nwith a second line.").arg(i); break;
        case bkLink: b->Link->URL = i % 12 == 1 ? QStringLiteral("http://") : QStringLiteral("http://example.com/%1").arg(i); break;
        case bkImage:
            b->Image->FileName = QStringLiteral("graphics\\pic%1.jpg").arg(i % pictures);
            b->Image->AltText = i % 4 == 0 ? QString() : QStringLiteral("a picture");
            break;
        case bkHeading: b->Heading->Text = QStringLiteral("Heading %1").arg(i); break;
        case bkEmail: b->Email->Address = i % 8 == 0 ? QStringLiteral("nobody") : QStringLiteral("a%1@example.com").arg(i); break;
        default: break;
        }
        blocks.Append(std::move(b));
    }
}

void BM_PageCheck(benchmark::State &state)
{
    const int n = int(state.range(0));
    const int pictures = n / 6 + 1; // every image block names a picture of its own
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral("graphics")));
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::green);
    for (int i = 0; i < pictures; ++i)
        if (i % 3 != 0) // a third of them missing
            image.save(dir.filePath(QStringLiteral("graphics/pic%1.jpg").arg(i)), "JPEG");
    BlockList blocks;
    Fill(blocks, n, pictures);
    TPageCheckInput in;
    in.Blocks = &blocks;
    in.PageTitle = QStringLiteral("Bench");
    in.PageFile = dir.filePath(QStringLiteral("My Page.qze"));
    in.HtmlFolder = dir.path();
    in.FirstPageOfSite = true;
    qsizetype problems = 0;
    for (auto _ : state) {
        const QList<TPageProblem> p = CheckPage(in);
        problems = p.size();
        benchmark::DoNotOptimize(problems);
    }
    state.counters["entries"] = double(problems);
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_PageCheck)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
