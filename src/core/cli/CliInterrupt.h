#pragma once
// Ctrl+C (SIGINT) and SIGTERM while a command works: the signal handler only
// counts the signal and wakes the event loop through a pipe; the loop then
// calls the command's cancel, which ends the work the way the window's Cancel
// does. A second signal ends the process at once.

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace wobbin {

class TInterruptWatch : public QObject
{
    Q_OBJECT
public:
    // cancel: called once, on this object's thread, at the first signal.
    explicit TInterruptWatch(std::function<void()> cancel, QObject *parent = nullptr);
    // Puts the previous handlers back.
    ~TInterruptWatch() override;

    // The signal that came (0: none).
    int Signal() const;
    // 128 + the signal: the exit status of a command it stopped.
    int ExitStatus() const { return 128 + Signal(); }

private:
    void Woken();

    std::function<void()> m_cancel;
    QSocketNotifier *m_notifier = nullptr;
    bool m_cancelled = false;
};

} // namespace wobbin
