#include "cli/CliInterrupt.h"

#include <QSocketNotifier>

#include <atomic>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace wobbin {
namespace {

std::atomic<int> g_signal{0};
std::atomic<int> g_count{0};
int g_wake[2] = {-1, -1};
struct sigaction g_previous[2];
constexpr int kSignals[2] = {SIGINT, SIGTERM};

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free counter");

extern "C" void NoteInterrupt(int signal)
{
    if (g_count.fetch_add(1) > 0)
        _exit(128 + g_signal.load()); // the second one: at once
    g_signal.store(signal);
    const char c = 1;
    if (::write(g_wake[1], &c, 1) < 0) {
        // the pipe is full: the loop is woken already
    }
}

} // namespace

TInterruptWatch::TInterruptWatch(std::function<void()> cancel, QObject *parent)
    : QObject(parent), m_cancel(std::move(cancel))
{
    g_signal = 0;
    g_count = 0;
    if (::pipe2(g_wake, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(g_wake[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TInterruptWatch::Woken);
    struct sigaction sa = {};
    sa.sa_handler = NoteInterrupt;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int i = 0; i < 2; ++i)
        sigaction(kSignals[i], &sa, &g_previous[i]);
}

TInterruptWatch::~TInterruptWatch()
{
    if (!m_notifier)
        return;
    for (int i = 0; i < 2; ++i)
        sigaction(kSignals[i], &g_previous[i], nullptr);
    delete m_notifier;
    ::close(g_wake[0]);
    ::close(g_wake[1]);
    g_wake[0] = g_wake[1] = -1;
}

int TInterruptWatch::Signal() const
{
    return g_signal.load();
}

void TInterruptWatch::Woken()
{
    char buffer[16];
    while (::read(g_wake[0], buffer, sizeof buffer) > 0) {
    }
    if (m_cancelled || g_signal.load() == 0)
        return;
    m_cancelled = true;
    if (m_cancel)
        m_cancel();
}

} // namespace wobbin
