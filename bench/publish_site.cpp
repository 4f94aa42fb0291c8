// Makes the site the publish benchmark sends: a data folder whose page refers
// to PICTURES pictures of SIZE bytes each (the logo footer's button.gif adds
// one more), and the server BENCH in the settings (127.0.0.1:PORT, folder www,
// FTP, user "user", password "secret"). Each NAME=VALUE after the port sets
// one more value of that server's entry, or replaces one of those
// (Protocol=SFTP, Directory=site, ...).
// Usage: publish_site DATA_DIR PICTURES SIZE PORT [NAME=VALUE...]
#include "settings/Settings.h"
#include "page/BlockList.h"
#include "page/PageDocument.h"
#include "page/PageFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <utility>

using namespace wobbin;

namespace {
bool WriteRandom(const QString &path, qint64 size)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    QRandomGenerator rng(size);
    rng.fillRange(reinterpret_cast<quint32 *>(chunk.data()), chunk.size() / 4);
    for (qint64 left = size; left > 0;) {
        const qint64 n = qMin<qint64>(left, chunk.size());
        if (f.write(chunk.constData(), n) != n)
            return false;
        left -= n;
    }
    return true;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 5) {
        std::fputs("usage: publish_site DATA_DIR PICTURES SIZE PORT [NAME=VALUE...]\n", stderr);
        return 1;
    }
    QList<std::pair<QString, QString>> values{
        {QStringLiteral("Address"), QStringLiteral("127.0.0.1:") + a.at(4)},
        {QStringLiteral("Directory"), QStringLiteral("www")},
        {QStringLiteral("UserName"), QStringLiteral("user")},
        {QStringLiteral("Password"), QStringLiteral("secret")},
        {QStringLiteral("Protocol"), QStringLiteral("FTP")},
    };
    for (const QString &setting : a.mid(5)) {
        const qsizetype eq = setting.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            std::fprintf(stderr, "publish_site: \"%s\" is not NAME=VALUE\n", qPrintable(setting));
            return 1;
        }
        const QString name = setting.left(eq);
        auto same = std::find_if(values.begin(), values.end(), [&](const auto &v) { return v.first == name; });
        if (same != values.end())
            same->second = setting.mid(eq + 1);
        else
            values.append({name, setting.mid(eq + 1)});
    }
    const QString data = a.at(1);
    const int pictures = a.at(2).toInt();
    const qint64 size = a.at(3).toLongLong();
    const QString graphics = data + QStringLiteral("/HTMLFiles/graphics");
    QDir().mkpath(graphics);
    QDir().mkpath(data + QStringLiteral("/save"));
    TPageDocument doc;
    doc.PageTitle = QStringLiteral("Benchmark");
    for (int i = 0; i < pictures; ++i) {
        const QString name = QStringLiteral("pic%1.jpg").arg(i, 3, 10, QLatin1Char('0'));
        if (!WriteRandom(graphics + QLatin1Char('/') + name, size))
            return 2;
        auto b = NewBlock(bkImage);
        b->Image->FileName = QStringLiteral("graphics\\") + name;
        doc.Blocks.Append(std::move(b));
    }
    if (!WriteRandom(graphics + QStringLiteral("/button.gif"), qMin<qint64>(size, 50 * 1024)))
        return 2;
    QFile page(data + QStringLiteral("/save/Bench.qze"));
    const QByteArray bytes = PageFileBytes(doc, QString());
    if (!page.open(QIODevice::WriteOnly) || page.write(bytes) != bytes.size())
        return 2;

    TWobbinReg &reg = SettingsStore();
    reg.DeleteKey(QStringLiteral("WWWServers"));
    reg.OpenKey(QStringList{QStringLiteral("WWWServers"), QStringLiteral("Bench")}, true);
    for (const auto &[name, value] : std::as_const(values))
        reg.WriteString(name, value);
    reg.CloseKey();
    reg.Sync();
    return 0;
}
