#include "publish/ProfileFile.h"

#include "page/Cp1252.h"

#include <QFile>

namespace wobbin {

namespace {
constexpr qint64 kMaxProfileBytes = 1024 * 1024;

QString Unquote(QString value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString TrimBlanks(const QString &s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && IsBlank(s.at(b)))
        ++b;
    while (e > b && IsBlank(s.at(e - 1)))
        --e;
    return s.mid(b, e - b);
}
} // namespace

bool TProfileFile::Load(const QString &nativePath)
{
    m_sections.clear();
    QFile f(nativePath);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    Parse(f.read(kMaxProfileBytes));
    return true;
}

void TProfileFile::Parse(const QByteArray &bytes)
{
    m_sections.clear();
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        text = QString::fromUtf8(bytes.mid(3));
    else
        text = FromCp1252(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    Section *current = nullptr;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &raw : lines) {
        const QString line = TrimBlanks(raw);
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            Section s;
            s.name = TrimBlanks(close < 0 ? line.mid(1) : line.mid(1, close - 1));
            m_sections.append(s);
            current = &m_sections.last();
            continue;
        }
        if (!current)
            continue;  // keys before the first section belong to none
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        current->keys.append({TrimBlanks(line.left(eq)), Unquote(TrimBlanks(line.mid(eq + 1)))});
    }
}

const QString *TProfileFile::find(const QString &section, const QString &key) const
{
    for (const Section &s : m_sections) {
        if (s.name.compare(section, Qt::CaseInsensitive) != 0)
            continue;
        for (const auto &kv : s.keys)
            if (kv.first.compare(key, Qt::CaseInsensitive) == 0)
                return &kv.second;
        return nullptr;  // only the first section of that name counts
    }
    return nullptr;
}

bool TProfileFile::HasValue(const QString &section, const QString &key) const
{
    return find(section, key) != nullptr;
}

QString TProfileFile::ReadString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const QString *v = find(section, key);
    return v ? *v : defaultValue;
}

int TProfileFile::ReadInteger(const QString &section, const QString &key, int defaultValue) const
{
    const QString *v = find(section, key);
    if (!v)
        return defaultValue;
    bool ok = false;
    int result = 0;
    if (v->startsWith(QLatin1String("0x"), Qt::CaseInsensitive) && v->size() > 2)
        result = v->mid(2).toInt(&ok, 16);
    else
        result = v->toInt(&ok, 10);
    return ok ? result : defaultValue;
}

bool TProfileFile::ReadBool(const QString &section, const QString &key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

} // namespace wobbin
