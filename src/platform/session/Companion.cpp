#include "session/Companion.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>

namespace wobbin {

namespace {
constexpr int kCallTimeoutMs = 5000;

QDBusConnection Bus()
{
    return QDBusConnection::sessionBus();
}
} // namespace

bool CompanionIsRunning()
{
    QDBusConnection bus = Bus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QDBusReply<bool> reply =
        bus.interface()->isServiceRegistered(QString::fromLatin1(kCompanionService));
    return reply.isValid() && reply.value();
}

TCompanionServer::TCompanionServer()
{
    QDBusConnection bus = Bus();
    if (!bus.isConnected()) {
        m_lastError = QStringLiteral("no session bus");
        return;
    }
    m_iface = std::make_unique<QDBusInterface>(QString::fromLatin1(kCompanionService),
                                               QString::fromLatin1(kCompanionPath),
                                               QString::fromLatin1(kCompanionInterface), bus);
    m_iface->setTimeout(kCallTimeoutMs);
    if (!m_iface->isValid()) {
        m_lastError = m_iface->lastError().message();
        m_iface.reset();
    }
}

TCompanionServer::~TCompanionServer() = default;

bool TCompanionServer::IsValid() const
{
    return m_iface != nullptr;
}

bool TCompanionServer::IsOpenDoc(bool &isOpen)
{
    isOpen = false;
    if (!m_iface) {
        m_lastError = QStringLiteral("the companion's automation object is missing");
        return false;
    }
    const QDBusMessage reply = m_iface->call(QStringLiteral("IsOpenDoc"));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1
        || reply.arguments().constFirst().metaType().id() != QMetaType::Bool) {
        m_lastError = reply.type() == QDBusMessage::ErrorMessage ? reply.errorMessage()
                                                                 : QStringLiteral("unexpected answer to IsOpenDoc");
        return false;
    }
    isOpen = reply.arguments().constFirst().toBool();
    return true;
}

bool TCompanionServer::OpenNewFile()
{
    if (!m_iface) {
        m_lastError = QStringLiteral("the companion's automation object is missing");
        return false;
    }
    const QDBusMessage reply = m_iface->call(QStringLiteral("OpenNewFile"));
    if (reply.type() != QDBusMessage::ReplyMessage) {
        m_lastError = reply.errorMessage();
        return false;
    }
    return true;
}

bool TCompanionServer::PutTextAtCursor(const QString &text)
{
    if (!m_iface) {
        m_lastError = QStringLiteral("the companion's automation object is missing");
        return false;
    }
    const QDBusMessage reply = m_iface->call(QStringLiteral("PutTextAtCursor"), text);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        m_lastError = reply.errorMessage();
        return false;
    }
    return true;
}

CompanionState WobbinRunning()
{
    CompanionState state;
    state.running = CompanionIsRunning();
    if (state.running) {
        auto server = std::make_shared<TCompanionServer>();
        if (server->IsValid())
            state.server = std::move(server);
    }
    return state;
}

} // namespace wobbin
