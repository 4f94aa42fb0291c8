// A stand-in for the companion HTML editor, for tests: registers the service
// org.quorvex.WobbinStudio4 on the session bus with the object /Plugin
// (interface org.quorvex.Wobbin4.Plugin) and answers the three calls.
//
//   --open-doc yes|no|never|fail   IsOpenDoc answers true / false until
//                                  OpenNewFile was called / always false /
//                                  with an error (default: no)
//   --fail-open-new                OpenNewFile answers with an error
//   --fail-paste                   PutTextAtCursor answers with an error
//   --paste-file FILE              PutTextAtCursor writes its text to FILE (UTF-8)
//   --log FILE                     every call is appended to FILE as one line
//   --no-object                    registers the service without the object
//   --quit-after MS                ends by itself after MS milliseconds
// Prints "ready" on standard output once the service is registered.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QFile>
#include <QSaveFile>
#include <QTimer>
#include <cstdio>

class Plugin : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.quorvex.Wobbin4.Plugin")
public:
    QString openDoc = QStringLiteral("no");
    bool failOpenNew = false;
    bool failPaste = false;
    bool docOpen = false;
    QString pasteFile;
    QString logFile;

    void Log(const QString &line)
    {
        if (logFile.isEmpty())
            return;
        QFile f(logFile);
        if (f.open(QIODevice::Append)) {
            f.write(line.toUtf8());
            f.write("\n");
        }
    }

public Q_SLOTS:
    bool IsOpenDoc()
    {
        Log(QStringLiteral("IsOpenDoc"));
        if (openDoc == QLatin1String("fail")) {
            sendErrorReply(QDBusError::Failed, QStringLiteral("IsOpenDoc failed"));
            return false;
        }
        if (openDoc == QLatin1String("yes"))
            return true;
        if (openDoc == QLatin1String("never"))
            return false;
        return docOpen;
    }
    void OpenNewFile()
    {
        Log(QStringLiteral("OpenNewFile"));
        if (failOpenNew) {
            sendErrorReply(QDBusError::Failed, QStringLiteral("OpenNewFile failed"));
            return;
        }
        docOpen = true;
    }
    void PutTextAtCursor(const QString &text)
    {
        Log(QStringLiteral("PutTextAtCursor %1").arg(text.size()));
        if (failPaste) {
            sendErrorReply(QDBusError::Failed, QStringLiteral("PutTextAtCursor failed"));
            return;
        }
        if (!pasteFile.isEmpty()) {
            QSaveFile f(pasteFile);
            if (f.open(QIODevice::WriteOnly)) {
                f.write(text.toUtf8());
                f.commit();
            }
        }
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Plugin plugin;
    bool withObject = true;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        const QString next = i + 1 < args.size() ? args.at(i + 1) : QString();
        if (a == QLatin1String("--open-doc")) { plugin.openDoc = next; ++i; }
        else if (a == QLatin1String("--fail-open-new")) plugin.failOpenNew = true;
        else if (a == QLatin1String("--fail-paste")) plugin.failPaste = true;
        else if (a == QLatin1String("--paste-file")) { plugin.pasteFile = next; ++i; }
        else if (a == QLatin1String("--log")) { plugin.logFile = next; ++i; }
        else if (a == QLatin1String("--no-object")) withObject = false;
        else if (a == QLatin1String("--quit-after")) { QTimer::singleShot(next.toInt(), &app, &QCoreApplication::quit); ++i; }
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "app_fake_companion: no session bus\n");
        return 2;
    }
    if (withObject && !bus.registerObject(QStringLiteral("/Plugin"), &plugin, QDBusConnection::ExportAllSlots)) {
        std::fprintf(stderr, "app_fake_companion: cannot register /Plugin\n");
        return 2;
    }
    if (!bus.registerService(QStringLiteral("org.quorvex.WobbinStudio4"))) {
        std::fprintf(stderr, "app_fake_companion: cannot register the service\n");
        return 2;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

#include "main.moc"
