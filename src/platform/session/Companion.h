#pragma once
// The companion HTML editor of the same maker. Here it is an application on the
// D-Bus session bus: it runs when the service org.quorvex.WobbinStudio4 is
// registered, and its automation object is /Plugin with the interface
// org.quorvex.Wobbin4.Plugin (IsOpenDoc() -> b, OpenNewFile(), PutTextAtCursor(s)).
// Without a session bus, or without the service, it is simply not running.

#include <QString>
#include <memory>

class QDBusInterface;

namespace wobbin {

inline constexpr const char *kCompanionService = "org.quorvex.WobbinStudio4";
inline constexpr const char *kCompanionPath = "/Plugin";
inline constexpr const char *kCompanionInterface = "org.quorvex.Wobbin4.Plugin";

// The automation object of a running companion. Every call returns false when
// it failed (no answer, an error reply, a wrong answer type); the reason is in
// LastError(). Calls time out after a few seconds.
class TCompanionServer
{
public:
    TCompanionServer();
    ~TCompanionServer();
    TCompanionServer(const TCompanionServer &) = delete;
    TCompanionServer &operator=(const TCompanionServer &) = delete;

    bool IsValid() const;
    bool IsOpenDoc(bool &isOpen);
    bool OpenNewFile();
    bool PutTextAtCursor(const QString &text);
    QString LastError() const { return m_lastError; }

private:
    std::unique_ptr<QDBusInterface> m_iface;
    QString m_lastError;
};

struct CompanionState
{
    bool running = false;                      // CompanionRunning
    std::shared_ptr<TCompanionServer> server;  // CompanionServer; empty when it could not be created
};

// True when the companion's service is on the session bus (false, silently,
// without a bus).
bool CompanionIsRunning();
// The detection done when the main window is created: the running flag and,
// when running, the automation object (left empty when it cannot be created).
CompanionState WobbinRunning();

} // namespace wobbin
