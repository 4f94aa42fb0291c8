// How long a cancel takes: from Cancel() in the middle of a 40 MB picture
// going up (the server takes 4 MB a second) until the send returns, for FTP,
// FTP with TLS and SFTP against the test servers on 127.0.0.1. The client
// gives the clean-up after a cancel (removing the partial file) at most
// 1,500 ms; the Cancel button's goal is that the dialog closes within a
// second. Each iteration is one cancel on a fresh connection; the time is the
// cancel alone (manual time), not the transfer before it.

#include "publish/FtpClient.h"
#include "support/FileTree.h"
#include "support/TestServers.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>

using namespace wobbin;
using namespace wobbin::testing;

namespace {

constexpr qint64 kFileSize = 40 * 1024 * 1024;
constexpr qint64 kThrottle = 4 * 1024 * 1024;

struct Site {
    QTemporaryDir tmp;
    QString local, root, knownHosts;
    Site()
    {
        local = tmp.filePath(QStringLiteral("local/big.jpg"));
        root = tmp.filePath(QStringLiteral("srv"));
        knownHosts = tmp.filePath(QStringLiteral("known_hosts"));
        QByteArray bytes(kFileSize, Qt::Uninitialized);
        for (qint64 i = 0; i < kFileSize; ++i)
            bytes[i] = char(i * 131 + (i >> 11));
        WriteBytes(local, bytes);
        QDir().mkpath(root);
    }
};
Site *g_site = nullptr;

std::unique_ptr<TTestServer> StartServer(TTransferProtocol protocol, TFtpLogOn &logOn)
{
    logOn.Protocol = protocol;
    logOn.Host = QStringLiteral("127.0.0.1");
    logOn.UserName = QStringLiteral("user");
    logOn.Password = QStringLiteral("secret");
    logOn.KnownHostsFile = g_site->knownHosts;
    if (protocol == TTransferProtocol::SFTP) {
        auto s = std::make_unique<TSftpTestServer>();
        s->SetThrottle(kThrottle);
        if (!s->Start(g_site->root)) {
            std::fprintf(stderr, "%s\n", qPrintable(s->Error()));
            return nullptr;
        }
        WriteBytes(g_site->knownHosts, s->KnownHostsLine().toLatin1() + '\n');
        logOn.Port = s->Port();
        return s;
    }
    TFtpTestServer::Options o;
    o.Root = g_site->root;
    o.Tls = protocol == TTransferProtocol::FTPS;
    o.Throttle = kThrottle;
    auto s = std::make_unique<TFtpTestServer>();
    if (!s->Start(o)) {
        std::fprintf(stderr, "%s\n", qPrintable(s->Error()));
        return nullptr;
    }
    if (o.Tls)
        logOn.TrustedFingerprint = s->Certificate().Fingerprint;
    logOn.Port = s->Port();
    return s;
}

void BM_CancelMidFile(benchmark::State &state)
{
    const auto protocol = TTransferProtocol(state.range(0));
    TFtpLogOn logOn;
    auto server = StartServer(protocol, logOn);
    if (!server) {
        state.SkipWithError("the server did not start");
        return;
    }
    double worst = 0;
    for (auto _ : state) {
        TFtpClient c;
        std::atomic<qint64> sent{0};
        c.OnProgress = [&](qint64 n, qint64) { sent = n; };
        if (!c.Connect(logOn)) {
            state.SkipWithError("no log-on");
            return;
        }
        std::atomic<bool> done{false};
        std::thread worker([&] {
            (void)c.SendFile(g_site->local, QStringLiteral("big.jpg"));
            done = true;
        });
        while (sent < 2 * 1024 * 1024 && !done)
            QThread::msleep(5);
        QElapsedTimer t;
        t.start();
        c.Cancel();
        while (!done)
            QThread::usleep(200);
        const double seconds = double(t.nsecsElapsed()) / 1e9;
        worker.join();
        state.SetIterationTime(seconds);
        worst = qMax(worst, seconds * 1000);
        if (c.Failure() != FtpFailure::Cancelled) {
            state.SkipWithError("the send was not cancelled");
            return;
        }
    }
    state.counters["worst_ms"] = worst;
}
BENCHMARK(BM_CancelMidFile)
    ->ArgName("protocol")
    ->Arg(int(TTransferProtocol::FTP))
    ->Arg(int(TTransferProtocol::FTPS))
    ->Arg(int(TTransferProtocol::SFTP))
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Site site;
    g_site = &site;
    qputenv("HOME", site.tmp.filePath(QStringLiteral("home")).toLocal8Bit());
    std::printf("protocol: %d FTP, %d FTPS, %d SFTP; clean-up budget 1500 ms, goal under 1000 ms a cancel\n",
                int(TTransferProtocol::FTP), int(TTransferProtocol::FTPS), int(TTransferProtocol::SFTP));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_site = nullptr;
    return 0;
}
