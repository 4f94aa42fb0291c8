// Speed of the page core: HTML generation, page file write + read, image list.
#include "page/PageDocument.h"
#include "page/PageFile.h"
#include "page/PageHtml.h"
#include "page/ResourceList.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace wobbin;

namespace {
void Fill(TPageDocument &doc, int n)
{
    for (int i = 0; i < n; ++i) {
        auto b = NewBlock(i % 6);
        switch (b->Kind) {
        case bkPara: b->Para->Text = QStringLiteral("Paragraph %1\r\nwith a second line of text.").arg(i); b->Para->Align = 2; break;
        case bkLink: b->Link->URL = QStringLiteral("http://example.com/%1").arg(i); b->Link->LinkText = QStringLiteral("link"); break;
        case bkImage: b->Image->FileName = QStringLiteral("graphics\\pic%1.gif").arg(i); b->Image->AltText = QStringLiteral("alt"); break;
        case bkHeading: b->Heading->Text = QStringLiteral("Heading %1").arg(i); break;
        case bkEmail: b->Email->Address = QStringLiteral("a%1@b.c").arg(i); b->Email->LinkText = QStringLiteral("mail"); break;
        default: b->Line->LineWidth = QStringLiteral("50"); break;
        }
        doc.Blocks.Append(std::move(b));
        doc.LoadChunk(doc.Blocks.Count() - 1);
    }
}

void BM_BuildPageHTML(benchmark::State &state)
{
    TPageDocument doc;
    Fill(doc, int(state.range(0)));
    for (auto _ : state) {
        QString html = doc.BuildPageHTML(false, true);
        benchmark::DoNotOptimize(html);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BuildPageHTML)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_PageFileInMemory(benchmark::State &state)
{
    TPageDocument doc;
    Fill(doc, int(state.range(0)));
    for (auto _ : state) {
        const QByteArray bytes = PageFileBytes(doc, QStringLiteral("Sky"));
        TPageDocument back;
        PageReadResult r = ReadPageBytes(bytes, back);
        benchmark::DoNotOptimize(r);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PageFileInMemory)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_PageFileOnDisk(benchmark::State &state)
{
    TPageDocument doc;
    Fill(doc, int(state.range(0)));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Bench.qze"));
    for (auto _ : state) {
        if (!WritePageFile(path, doc, QStringLiteral("Sky"), QByteArray()).ok()) {
            state.SkipWithError("the page file could not be written");
            break;
        }
        TPageDocument back;
        PageReadResult r = ReadPageFile(path, back);
        benchmark::DoNotOptimize(r);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PageFileOnDisk)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// A page of about 10 MB holding the given number of image references, each a
// different picture, with ordinary text and comments between them.
void BM_LocaliseImages(benchmark::State &state)
{
    const int refs = int(state.range(0));
    const qsizetype target = 10 * 1024 * 1024;
    const QString chunkText = QStringLiteral("Some text of the page <B>bold</B> <!-- a note --> ");
    const qsizetype perRef = target / refs;
    QString html;
    html.reserve(target + refs * 64);
    for (int i = 0; i < refs; ++i) {
        html += QStringLiteral("<IMG SRC=\"graphics/pic%1.gif\" ALT=\"x\">\r\n").arg(i);
        const qsizetype end = html.size() + perRef;
        while (html.size() < end)
            html += chunkText;
    }
    html += QStringLiteral("<BODY BACKGROUND=\"backgrnd/sky.jpg\">");
    for (auto _ : state) {
        UploadImageList list = LocaliseImagesInText(html, QStringLiteral("C:\\Web\\Index.html"));
        benchmark::DoNotOptimize(list);
    }
    state.counters["MB"] = double(html.size()) / (1024 * 1024);
}
BENCHMARK(BM_LocaliseImages)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
