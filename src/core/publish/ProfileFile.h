#pragma once
// A settings file in the INI form, read the way Windows reads its profile files:
// "[Section]" lines and "Key=Value" lines; section and key names are matched
// without regard to case; the value is the text after the first "=", blanks
// around it removed and one pair of enclosing quotes (" or ') dropped, nothing
// else interpreted (commas, backslashes, "%" and inner quotes stay as written).
// Lines starting with ";" are comments. The first section of a name, and in it
// the first key of a name, count. Text is Windows-1252 (UTF-8 after a byte
// order mark). Files larger than 1 MiB are read only up to that size.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace wobbin {

class TProfileFile
{
public:
    TProfileFile() = default;
    // Reads the file; false when it cannot be read (the profile is then empty).
    bool Load(const QString &nativePath);
    void Parse(const QByteArray &bytes);

    bool HasValue(const QString &section, const QString &key) const;
    QString ReadString(const QString &section, const QString &key, const QString &defaultValue = QString()) const;
    // A decimal (or "0x" hexadecimal) integer; the default when missing or not a number.
    int ReadInteger(const QString &section, const QString &key, int defaultValue) const;
    // ReadInteger(...) != 0.
    bool ReadBool(const QString &section, const QString &key, bool defaultValue) const;

private:
    const QString *find(const QString &section, const QString &key) const;

    struct Section
    {
        QString name;
        QList<QPair<QString, QString>> keys;
    };
    QList<Section> m_sections;
};

} // namespace wobbin
