#include "app/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSettings>

#include "base/SafeFile.h"

namespace wobbin {

namespace {

// Every key that exists carries this value, so that an empty key is still
// there after a restart. Encoded names never contain a bare "%k", so the
// marker cannot collide with a value the program writes.
const QString kKeyMarker = QStringLiteral("%key");

// QSettings splits names at "/" and "\"; encode those (and "%", so that the
// encoding can be undone) as %XX.
QString EncodeName(const QString &name)
{
    QString out;
    out.reserve(name.size());
    for (QChar c : name) {
        if (c == QLatin1Char('%'))
            out += QStringLiteral("%25");
        else if (c == QLatin1Char('/'))
            out += QStringLiteral("%2F");
        else if (c == QLatin1Char('\\'))
            out += QStringLiteral("%5C");
        else
            out += c;
    }
    return out;
}

QString DecodeName(const QString &name)
{
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c == QLatin1Char('%') && i + 2 < name.size()) {
            const QString hex = name.mid(i + 1, 2).toUpper();
            if (hex == QLatin1String("25")) { out += QLatin1Char('%'); i += 2; continue; }
            if (hex == QLatin1String("2F")) { out += QLatin1Char('/'); i += 2; continue; }
            if (hex == QLatin1String("5C")) { out += QLatin1Char('\\'); i += 2; continue; }
        }
        out += c;
    }
    return out;
}

QString GroupOf(const QStringList &names)
{
    QStringList enc;
    enc.reserve(names.size());
    for (const QString &n : names)
        enc << EncodeName(n);
    return enc.join(QLatin1Char('/'));
}

QString MarkerOf(const QStringList &names)
{
    const QString g = GroupOf(names);
    return g.isEmpty() ? kKeyMarker : g + QLatin1Char('/') + kKeyMarker;
}

QString KeyOf(const QStringList &names, const QString &valueName)
{
    const QString g = GroupOf(names);
    const QString v = EncodeName(valueName);
    return g.isEmpty() ? v : g + QLatin1Char('/') + v;
}

void RestrictToOwner(const QString &fileName)
{
    if (QFileInfo::exists(fileName))
        QFile::setPermissions(fileName, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace

QStringList SplitKeyPath(const QString &subKeyPath)
{
    return subKeyPath.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

struct TWobbinReg::Impl
{
    QSettings settings{QSettings::NativeFormat, QSettings::UserScope,
                       QStringLiteral("Quorvex"), QStringLiteral("Wobbin Express")};
    bool open = false;
    QStringList current;

    bool groupExists(const QStringList &names)
    {
        if (names.isEmpty())
            return programKeyExists();
        settings.beginGroup(GroupOf(names));
        const bool any = !settings.allKeys().isEmpty();
        settings.endGroup();
        return any;
    }
    bool programKeyExists() { return !settings.allKeys().isEmpty(); }
    void ensureProgramKey()
    {
        if (!settings.contains(kKeyMarker))
            write(kKeyMarker, QString());
    }
    void write(const QString &key, const QString &value)
    {
        // A new file is created for the owner alone before anything goes into it.
        const QString file = settings.fileName();
        if (!QFileInfo::exists(file)) {
            QDir().mkpath(QFileInfo(file).absolutePath());
            QFile f(file);
            if (f.open(QIODevice::WriteOnly))
                f.close();
            RestrictToOwner(file);
        }
        settings.setValue(key, value);
        sync();
    }
    void sync()
    {
        settings.sync();
        RestrictToOwner(settings.fileName());
    }
};

TWobbinReg::TWobbinReg() : d(std::make_unique<Impl>())
{
    d->settings.setFallbacksEnabled(false);
}

TWobbinReg::~TWobbinReg()
{
    d->sync();
}

bool TWobbinReg::OpenKey(const QString &subKeyPath, bool create)
{
    return OpenKey(SplitKeyPath(subKeyPath), create);
}

bool TWobbinReg::OpenKey(const QStringList &subKeyNames, bool create)
{
    CloseKey();
    d->settings.sync();  // see changes made through other stores
    d->ensureProgramKey();
    QStringList names;
    for (const QString &n : subKeyNames)
        if (!n.isEmpty())
            names << n;
    if (names.isEmpty()) {
        d->open = true;
        d->current.clear();
        return true;
    }
    if (!d->groupExists(names)) {
        if (!create)
            return false;
        d->write(MarkerOf(names), QString());
    }
    d->open = true;
    d->current = names;
    return true;
}

void TWobbinReg::CloseKey()
{
    d->open = false;
    d->current.clear();
}

QString TWobbinReg::CurrentPath() const
{
    return d->current.join(QLatin1Char('\\'));
}

bool TWobbinReg::HasOpenKey() const
{
    return d->open;
}

bool TWobbinReg::ProgramKeyExists() const
{
    d->settings.sync();
    return d->programKeyExists();
}

bool TWobbinReg::KeyExists(const QString &subKeyPath) const
{
    return KeyExists(SplitKeyPath(subKeyPath));
}

bool TWobbinReg::KeyExists(const QStringList &subKeyNames) const
{
    d->settings.sync();
    return d->groupExists(subKeyNames);
}

bool TWobbinReg::ValueExists(const QString &name) const
{
    if (!d->open)
        return false;
    return d->settings.contains(KeyOf(d->current, name));
}

QString TWobbinReg::ReadString(const QString &name) const
{
    if (!d->open)
        return QString();
    return d->settings.value(KeyOf(d->current, name)).toString();
}

void TWobbinReg::WriteString(const QString &name, const QString &value)
{
    if (!d->open)
        return;
    d->write(KeyOf(d->current, name), value);
}

bool TWobbinReg::DeleteValue(const QString &name)
{
    if (!d->open)
        return false;
    const QString key = KeyOf(d->current, name);
    if (!d->settings.contains(key))
        return false;
    d->settings.remove(key);
    // Keep the key itself when its last value goes.
    if (!d->groupExists(d->current))
        d->settings.setValue(MarkerOf(d->current), QString());
    d->sync();
    return true;
}

bool TWobbinReg::DeleteKey(const QString &subKeyPath)
{
    return DeleteKey(SplitKeyPath(subKeyPath));
}

bool TWobbinReg::DeleteKey(const QStringList &subKeyNames)
{
    if (subKeyNames.isEmpty() || !KeyExists(subKeyNames))
        return false;
    d->settings.remove(GroupOf(subKeyNames));
    d->sync();
    return true;
}

QStringList TWobbinReg::childNames(bool groups) const
{
    QStringList out;
    if (!d->open)
        return out;
    const QString g = GroupOf(d->current);
    if (!g.isEmpty())
        d->settings.beginGroup(g);
    const QStringList names = groups ? d->settings.childGroups() : d->settings.childKeys();
    if (!g.isEmpty())
        d->settings.endGroup();
    for (const QString &k : names)
        if (groups || k != kKeyMarker)
            out << DecodeName(k);
    return out;
}

QStringList TWobbinReg::GetKeyNames() const
{
    return childNames(true);
}

QStringList TWobbinReg::GetValueNames() const
{
    return childNames(false);
}

bool TWobbinReg::ReplaceKey(const QStringList &subKeyNames, const QList<TKeyValue> &values, QString *error)
{
    if (subKeyNames.isEmpty()) {
        if (error)
            *error = QStringLiteral("no key named");
        return false;
    }
    // A settings object of its own, so that its status tells of this write
    // alone (a settings object remembers its first error for good). It shares
    // the file's contents with the store's object.
    const QString file = d->settings.fileName();
    if (!QFileInfo::exists(file))
        d->write(kKeyMarker, QString());
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quorvex"),
                QStringLiteral("Wobbin Express"));
    s.setFallbacksEnabled(false);
    s.sync();

    const QString group = GroupOf(subKeyNames);
    QList<QPair<QString, QVariant>> old;
    s.beginGroup(group);
    const QStringList keys = s.allKeys();
    s.endGroup();
    for (const QString &k : keys)
        old.append({group + QLatin1Char('/') + k, s.value(group + QLatin1Char('/') + k)});
    const bool hadProgramMarker = s.contains(kKeyMarker);

    s.remove(group);
    if (!hadProgramMarker)
        s.setValue(kKeyMarker, QString());
    s.setValue(MarkerOf(subKeyNames), QString());
    QSet<QString> marked;
    for (const TKeyValue &v : values) {
        const QStringList path = subKeyNames + v.subKeys;
        const QString g = GroupOf(path);
        if (!marked.contains(g)) {
            marked.insert(g);
            s.setValue(MarkerOf(path), QString());
        }
        s.setValue(KeyOf(path, v.name), v.value);
    }
    s.sync();
    if (s.status() == QSettings::NoError) {
        RestrictToOwner(file);
        d->settings.sync();
        return true;
    }

    // Put the old content back, so that no later write of any setting carries
    // the new content to the disk.
    s.remove(group);
    for (const auto &kv : old)
        s.setValue(kv.first, kv.second);
    if (!hadProgramMarker)
        s.remove(kKeyMarker);
    if (error) {
        // The settings object does not say why; a checked write of a small file
        // beside the settings file names the cause.
        QString cause;
        const QString probe = file + QStringLiteral(".probe");
        if (!WriteFileSafely(probe, QByteArray(4096, '\0'), &cause))
            *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(file), cause);
        else
            *error = QStringLiteral("%1 could not be written").arg(QDir::toNativeSeparators(file));
        QFile::remove(probe);
    }
    return false;
}

void TWobbinReg::DeleteProgramKey()
{
    CloseKey();
    d->settings.clear();
    d->sync();
}

void TWobbinReg::Sync()
{
    d->sync();
}

QString TWobbinReg::FileName() const
{
    return d->settings.fileName();
}

QSettings &TWobbinReg::Raw()
{
    return d->settings;
}

namespace {
std::unique_ptr<TWobbinReg> &StoreSlot()
{
    static std::unique_ptr<TWobbinReg> store;
    return store;
}
} // namespace

TWobbinReg &SettingsStore()
{
    auto &slot = StoreSlot();
    if (!slot)
        slot = std::make_unique<TWobbinReg>();
    return *slot;
}

void ReleaseSettingsStore()
{
    StoreSlot().reset();
}

void WriteSetting(const QString &section, const QString &name, const QString &value)
{
    QSettings &s = SettingsStore().Raw();
    s.sync();
    if (s.allKeys().isEmpty())
        return;  // the program's key is gone: write nothing
    QStringList names = SplitKeyPath(section);
    // Writing the value creates the section; the section's own marker keeps
    // it when the value is deleted later.
    if (!names.isEmpty() && !SettingsStore().KeyExists(names))
        s.setValue(MarkerOf(names), QString());
    s.setValue(KeyOf(names, name), value);
    SettingsStore().Sync();
}

QString ReadSetting(const QString &section, const QString &name)
{
    QSettings &s = SettingsStore().Raw();
    s.sync();
    if (s.allKeys().isEmpty())
        return QString();
    const QString key = KeyOf(SplitKeyPath(section), name);
    if (!s.contains(key))
        return QStringLiteral("ERROR");
    return s.value(key).toString();
}

bool GeneralSwitchIsOff(const QString &name)
{
    return ReadSetting(QStringLiteral("General"), name) == QLatin1String("No");
}

bool StartSoundSwitch()
{
    const bool on = !GeneralSwitchIsOff(QStringLiteral("PlaySounds"));
    if (on)
        SetSoundSwitch(true);
    return on;
}

void SetSoundSwitch(bool on)
{
    WriteSetting(QStringLiteral("General"), QStringLiteral("PlaySounds"), on ? QStringLiteral("Yes") : QStringLiteral("No"));
}

} // namespace wobbin
