#include "publish/ParallelSend.h"

#include "base/Secrets.h"

#include <QFileInfo>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace wobbin {
namespace {

// After these the connection cannot carry another file.
bool ConnectionGone(FtpFailure why)
{
    return why == FtpFailure::ConnectionLost || why == FtpFailure::Stalled || why == FtpFailure::NotConnected
        || why == FtpFailure::Unreachable || why == FtpFailure::LogOnTimeout;
}

// A further connection the server would not take: it says so at log-on (421,
// 530 "too many connections"), drops the connection or refuses it. A log-on
// that times out or a certificate that changed is not a limit.
bool LimitReached(FtpFailure why)
{
    switch (why) {
    case FtpFailure::LogOnRefused:
    case FtpFailure::Unreachable:
    case FtpFailure::ConnectionLost:
    case FtpFailure::Refused:
    case FtpFailure::Other:
        return true;
    default:
        break;
    }
    return false;
}

} // namespace

int ConnectionsWorthOpening(const QList<qint64> &sizes, int connections)
{
    const int n = int(qMin<qsizetype>(qBound(1, connections, 8), sizes.size()));
    if (n < 2)
        return qMax(n, 1);
    qint64 largest = 0;
    qint64 total = 0;
    for (qint64 size : sizes) {
        largest = qMax(largest, size);
        total += qMax<qint64>(size, 0);
    }
    constexpr qint64 kLarge = 4 * 1024 * 1024;
    constexpr qsizetype kFewOthers = 3;
    const qint64 others = total - largest;
    if (largest >= kLarge && sizes.size() - 1 <= kFewOthers && others * 16 <= largest)
        return 1;
    return n;
}

struct TParallelSend::Worker {
    TFtpClient *client = nullptr;
    std::unique_ptr<TFtpClient> own;
    std::thread thread;
    std::atomic<int> current{-1};
    std::atomic<qint64> sent{0};
    std::atomic<bool> loggingOn{false};
};

TParallelSend::TParallelSend(TFtpClient &first, const TFtpLogOn &logOn, const QString &folder, int connections,
                             const std::atomic<bool> &cancel)
    : m_first(first), m_logOn(logOn), m_folder(folder), m_connections(qBound(1, connections, 8)), m_cancel(cancel)
{
    m_logOn.Password = PrivateCopy(logOn.Password);
}

TParallelSend::~TParallelSend()
{
    WipeString(m_logOn.Password);
}

QList<TSendResult> TParallelSend::Run(const QList<TSendTask> &tasks)
{
    QList<TSendResult> results(tasks.size());
    m_used = 0;
    m_refused = false;
    if (tasks.isEmpty()) {
        WipeString(m_logOn.Password);
        return results;
    }
    QList<qint64> sizes;
    for (const TSendTask &t : tasks)
        sizes << QFileInfo(t.LocalPath).size();
    const int n = ConnectionsWorthOpening(sizes, m_connections);
    if (n < 2)
        WipeString(m_logOn.Password); // no further log-on

    std::mutex lock;
    std::condition_variable wake;
    enum class Event { Start, Done };
    std::deque<std::pair<Event, int>> events;
    qsizetype next = 0;
    int running = n;
    int loggingOn = n - 1;
    std::atomic<bool> moved{false}; // a file went on by a thousandth: worth showing

    std::vector<std::unique_ptr<Worker>> workers;
    for (int k = 0; k < n; ++k) {
        auto w = std::make_unique<Worker>();
        if (k == 0) {
            w->client = &m_first;
        } else {
            w->own = std::make_unique<TFtpClient>();
            w->own->SetTimeLimits(m_first.LogOnLimit(), m_first.StallLimit());
            w->client = w->own.get();
        }
        workers.push_back(std::move(w));
    }
    const auto firstProgress = m_first.OnProgress;

    const auto work = [&](Worker &w, bool logOn) {
        bool ok = true;
        if (logOn) {
            TFtpLogOn mine = m_logOn;
            {
                std::lock_guard<std::mutex> g(lock);
                mine.Password = PrivateCopy(m_logOn.Password);
            }
            w.loggingOn = true;
            ok = w.client->Connect(mine);
            WipeString(mine.Password);
            if (ok && !m_folder.isEmpty())
                ok = w.client->ChangeFolder(m_folder);
            std::lock_guard<std::mutex> g(lock);
            w.loggingOn = false;
            if (!ok && !m_cancel && LimitReached(w.client->Failure()))
                m_refused = true;
            // The last log-on done: no copy of the password is needed any more.
            if (--loggingOn == 0)
                WipeString(m_logOn.Password);
        }
        if (ok) {
            std::lock_guard<std::mutex> g(lock);
            ++m_used;
        }
        w.client->OnProgress = [&](qint64 sent, qint64 total) {
            const qint64 before = w.sent.exchange(sent);
            if (total > 0 && before * 1000 / total != sent * 1000 / total && !moved.exchange(true))
                wake.notify_one();
        };
        while (ok) {
            int i = 0;
            {
                std::lock_guard<std::mutex> g(lock);
                if (m_cancel || next >= tasks.size())
                    break;
                i = int(next++);
                w.sent = 0;
                w.current = i;
                events.emplace_back(Event::Start, i);
            }
            wake.notify_one();
            const TSendTask &t = tasks.at(i);
            w.client->SetBinary(t.Binary);
            TSendResult r;
            r.Taken = true;
            r.Sent = w.client->SendFile(t.LocalPath, t.RemotePath, t.Presence, &r.Arrived);
            r.Failure = r.Sent ? FtpFailure::None : w.client->Failure();
            if (!r.Sent)
                r.Cause = w.client->ErrorText();
            {
                std::lock_guard<std::mutex> g(lock);
                w.current = -1;
                results[i] = r;
                events.emplace_back(Event::Done, i);
            }
            wake.notify_one();
            if (!r.Sent && ConnectionGone(r.Failure))
                break;
        }
        // A further connection is closed as soon as it has nothing more to do.
        if (logOn && w.client->Connected())
            w.client->Disconnect();
        std::lock_guard<std::mutex> g(lock);
        --running;
        wake.notify_one();
    };

    for (int k = 0; k < n; ++k)
        workers[size_t(k)]->thread = std::thread(work, std::ref(*workers[size_t(k)]), k > 0);

    // This thread reports and watches for the cancel; the workers send.
    QList<int> underWay; // in the order they started
    bool cancelPassed = false;
    std::unique_lock<std::mutex> g(lock);
    while (running > 0 || !events.empty()) {
        wake.wait_for(g, std::chrono::milliseconds(50),
                      [&] { return !events.empty() || running == 0 || moved || (m_cancel && !cancelPassed); });
        moved = false;
        if (m_cancel && !cancelPassed) {
            cancelPassed = true;
            // Once each: a second Cancel would also stop the removal of a
            // temporary file that follows the first.
            for (const auto &w : workers)
                if (!w->client->CancelRequested())
                    w->client->Cancel();
        }
        std::deque<std::pair<Event, int>> now;
        now.swap(events);
        QList<TSendResult> done;
        for (const auto &e : now)
            if (e.first == Event::Done)
                done << results.at(e.second);
        g.unlock();
        qsizetype d = 0;
        for (const auto &e : now) {
            if (e.first == Event::Start) {
                underWay << e.second;
                if (OnStart)
                    OnStart(e.second);
            } else {
                underWay.removeOne(e.second);
                if (OnDone)
                    OnDone(e.second, done.at(d));
                ++d;
            }
        }
        if (OnBytes && !underWay.isEmpty()) {
            QList<qint64> sent;
            for (int i : std::as_const(underWay)) {
                qint64 s = 0;
                for (const auto &w : workers)
                    if (w->current == i)
                        s = w->sent;
                sent << s;
            }
            OnBytes(underWay, sent);
        }
        g.lock();
        // Every file taken and sent: a connection still logging on is not
        // waited for.
        if (next >= tasks.size()) {
            bool sending = false;
            for (const auto &w : workers)
                sending = sending || w->current >= 0;
            if (!sending)
                for (const auto &w : workers)
                    if (w->loggingOn && !w->client->CancelRequested())
                        w->client->Cancel();
        }
    }
    g.unlock();
    for (const auto &w : workers)
        w->thread.join();
    m_first.OnProgress = firstProgress;
    WipeString(m_logOn.Password);
    return results;
}

} // namespace wobbin
