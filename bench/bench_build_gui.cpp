// Gestures of the layout editor on a 10,000-block page, through mouse events
// sent to the real widgets: palette drop, tile move, shred, scroll by the
// scroll bar's arrows. Each iteration is one gesture from press to release,
// including the repaint that follows. Goal: under 2 ms per gesture.

#include "shell/Dialogs.h"
#include "page/PageDocument.h"
#include "workspace/BuildWorkspace.h"
#include "workspace/WebBlockTile.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace wobbin;

namespace {

constexpr int kBlocks = 10000;

void send(QWidget *w, QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons held)
{
    const QPointF lp(local);
    QMouseEvent e(type, lp, lp, QPointF(w->mapToGlobal(local)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Press at `grab`, four moves towards `topLeft` in the parent, release.
void drag(QWidget *w, QPoint topLeft)
{
    const QPoint grab(20, 8);
    send(w, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
    const QPoint start = w->pos();
    for (int i = 1; i <= 4; ++i) {
        const QPoint p = start + (topLeft - start) * i / 4;
        send(w, QEvent::MouseMove, p + grab - w->pos(), Qt::NoButton, Qt::LeftButton);
    }
    send(w, QEvent::MouseButtonRelease, grab, Qt::LeftButton, Qt::NoButton);
}

struct Page {
    QWidget pnlBuild;
    TPageDocument doc;
    std::unique_ptr<TBuildWorkspace> ws;

    Page()
    {
        pnlBuild.resize(625, 297);
        for (int i = 0; i < kBlocks; ++i) {
            doc.Blocks.Append(NewBlock(i % 6));
            doc.LoadChunk(i);
        }
        ws = std::make_unique<TBuildWorkspace>(&pnlBuild, doc);
        ws->SyncTiles();
        ws->HighLightBlock(0);
        // Start in the middle of the page.
        for (int i = 0; i < 20; ++i)
            ws->ScrollBar()->setValue(ws->ScrollBar()->value() + 1);
        pnlBuild.show();
        QApplication::processEvents();
    }

    void settle()
    {
        // Let a palette image glide home at once (its timer's ticks, without
        // the waits between them) and drop finished tiles.
        auto *glide = ws->findChild<QTimer *>(QStringLiteral("timAnim"));
        while (ws->PaletteBusy() || ws->PaletteDragging())
            QMetaObject::invokeMethod(glide, "timeout", Qt::DirectConnection);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void check(benchmark::State &state)
    {
        const QString bad = doc.CheckInvariant();
        if (!bad.isEmpty())
            state.SkipWithError(qPrintable(bad));
        if (int(ws->Tiles().size()) != doc.Tiles().Count())
            state.SkipWithError("tile widgets differ from the slots");
    }
};

Page *g_page = nullptr;

void BM_PaletteDrop(benchmark::State &state)
{
    Page &p = *g_page;
    QWidget *img = p.ws->PaletteImage(bkLink);
    for (auto _ : state) {
        drag(img, QPoint(199, 3 * 32 + 4));
        QApplication::processEvents();
        state.PauseTiming();
        p.settle();
        // Take the new block out again so the page keeps its size.
        p.doc.RemoveBlock(3);
        p.ws->SyncTiles();
        p.ws->HighLightBlock(0);
        state.ResumeTiming();
    }
    p.check(state);
    state.counters["blocks"] = p.doc.Blocks.Count();
}

void BM_TileMove(benchmark::State &state)
{
    Page &p = *g_page;
    for (auto _ : state) {
        drag(p.ws->Tiles().at(1), QPoint(199, 5 * 31 + 1));
        QApplication::processEvents();
        state.PauseTiming();
        p.settle();
        state.ResumeTiming();
    }
    p.check(state);
}

void BM_Shred(benchmark::State &state)
{
    Page &p = *g_page;
    for (auto _ : state) {
        drag(p.ws->Tiles().at(2), QPoint(40, 249));
        QApplication::processEvents();
        state.PauseTiming();
        p.settle();
        // Put a block back so the page keeps its size.
        p.doc.DropPaletteBlock(bkPara, 1);
        p.ws->SyncTiles();
        state.ResumeTiming();
    }
    p.check(state);
    state.counters["blocks"] = p.doc.Blocks.Count();
}

void BM_ScrollArrows(benchmark::State &state)
{
    Page &p = *g_page;
    QScrollBar *bar = p.ws->ScrollBar();
    const QPoint down(bar->width() / 2, bar->height() - 4);
    const QPoint up(bar->width() / 2, 4);
    bool goDown = true;
    for (auto _ : state) {
        const QPoint at = goDown ? down : up;
        send(bar, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        send(bar, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        QApplication::processEvents();
        goDown = !goDown;
    }
    p.check(state);
    state.counters["first"] = p.doc.Tiles().FirstBlock();
}

} // namespace

BENCHMARK(BM_PaletteDrop)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TileMove)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Shred)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScrollArrows)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TDialogs::SetNonInteractive(true);
    TBuildWorkspace::SetPointerWarp(false);
    Page page;
    g_page = &page;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_page = nullptr;
    std::printf("page of %d blocks; goal: under 2 ms per gesture\n", int(page.doc.Blocks.Count()));
    return 0;
}
