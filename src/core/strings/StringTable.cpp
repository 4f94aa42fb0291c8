#include "strings/StringTable.h"

#include "base/Result.h"

#include <QFile>
#include <QMap>
#include <QMutex>
#include <QSet>

#include <algorithm>

namespace wobbin {

namespace {

struct Table
{
    QMap<int, QString> texts;
    QSet<int> missing;
    QMutex mutex;

    Table()
    {
        QFile f(QStringLiteral(":/strings/strings.txt"));
        if (!f.open(QIODevice::ReadOnly))
            return;
        const QByteArray all = f.readAll();
        const QList<QByteArray> lines = all.split('\n');
        for (QByteArray line : lines) {
            if (line.endsWith('\r'))
                line.chop(1);
            if (line.isEmpty() || line.startsWith('#'))
                continue;
            const qsizetype tab = line.indexOf('\t');
            if (tab <= 0)
                continue;
            bool ok = false;
            const int id = line.left(tab).trimmed().toInt(&ok);
            if (!ok)
                continue;
            // The table keeps its texts in their source form, where an
            // apostrophe is written twice; the user reads one.
            texts.insert(id, QString::fromUtf8(line.mid(tab + 1)).replace(QLatin1String("''"), QLatin1String("'")));
        }
    }
};

Table &TheTable()
{
    static Table table;
    return table;
}

} // namespace

QString LoadStr(int id)
{
    Table &t = TheTable();
    QMutexLocker lock(&t.mutex);
    const auto it = t.texts.constFind(id);
    if (it != t.texts.constEnd())
        return it.value();
    t.missing.insert(id);
    return QString();
}

bool HasStr(int id)
{
    Table &t = TheTable();
    QMutexLocker lock(&t.mutex);
    return t.texts.contains(id);
}

QList<int> AllStringIds()
{
    Table &t = TheTable();
    QMutexLocker lock(&t.mutex);
    return t.texts.keys();
}

QList<int> MissingStringIds()
{
    Table &t = TheTable();
    QMutexLocker lock(&t.mutex);
    QList<int> ids = t.missing.values();
    std::sort(ids.begin(), ids.end());
    return ids;
}

QString TError::Text() const
{
    if (id == NoText)
        return detail;
    const QString text = LoadStr(id);
    if (text.contains(QLatin1String("%1")))
        return text.arg(detail);
    if (detail.isEmpty())
        return text;
    return text + QLatin1Char('\n') + detail;
}

} // namespace wobbin
