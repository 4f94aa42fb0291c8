#include "settings/Settings.h"

#include "base/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSettings>

#include <cerrno>
#include <cstring>
#include <sys/statvfs.h>
#include <unistd.h>

namespace wobbin {

namespace {

// Earlier versions kept this value in every key so that an empty key stayed
// on disk; such entries are removed when the file is opened. Encoded names
// never contain a bare "%k", so no value of the program has this name.
const QString kOldKeyMarker = QStringLiteral("%key");

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

// Keys made empty (OpenKey with create, the last value deleted) exist for
// every store of the process; a key with values exists in the file. (The
// file holds only the program's values: an empty key is not written.)
QSet<QString> &EmptyKeys()
{
    static QSet<QString> keys;
    return keys;
}

bool IsOldMarker(const QString &key)
{
    return key == kOldKeyMarker || key.endsWith(QLatin1Char('/') + kOldKeyMarker);
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
        if (!programKeyExists())
            return false;
        if (EmptyKeys().contains(GroupOf(names)))
            return true;
        settings.beginGroup(GroupOf(names));
        const bool any = !settings.allKeys().isEmpty();
        settings.endGroup();
        return any;
    }
    // The program's key is the settings file.
    bool programKeyExists() { return QFileInfo::exists(settings.fileName()); }
    void ensureProgramKey()
    {
        const QString file = settings.fileName();
        if (QFileInfo::exists(file))
            return;
        // A new file is created for the owner alone before anything goes into it.
        QDir().mkpath(QFileInfo(file).absolutePath());
        // When it cannot be made, the settings object's own write fails in
        // turn, and that failure is the one reported.
        static_cast<void>(WritePrivateFileSafely(file, QByteArray()));
        settings.sync();
    }
    void dropOldMarkers()
    {
        bool changed = false;
        for (const QString &key : settings.allKeys()) {
            if (IsOldMarker(key)) {
                settings.remove(key);
                changed = true;
            }
        }
        if (changed)
            sync();
    }
    void write(const QString &key, const QString &value)
    {
        ensureProgramKey();
        settings.setValue(key, value);
        sync();
    }
    void sync()
    {
        settings.sync();
        RestrictToOwner(settings.fileName());
    }
    // Forgets empty keys at and below a key path.
    static void forgetEmptyKeys(const QString &group)
    {
        QSet<QString> &keys = EmptyKeys();
        for (auto it = keys.begin(); it != keys.end();) {
            if (group.isEmpty() || *it == group || it->startsWith(group + QLatin1Char('/')))
                it = keys.erase(it);
            else
                ++it;
        }
    }
};

TWobbinReg::TWobbinReg() : d(std::make_unique<Impl>())
{
    d->settings.setFallbacksEnabled(false);
    d->dropOldMarkers();
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
        // The key and every key above it exist from now on.
        for (qsizetype i = 1; i <= names.size(); ++i)
            EmptyKeys().insert(GroupOf(names.mid(0, i)));
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
    if (!d->current.isEmpty())
        EmptyKeys().insert(GroupOf(d->current));
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
    Impl::forgetEmptyKeys(GroupOf(subKeyNames));
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
    QStringList names = groups ? d->settings.childGroups() : d->settings.childKeys();
    if (!g.isEmpty())
        d->settings.endGroup();
    if (groups) {
        // Empty keys directly below the open one.
        const QString prefix = g.isEmpty() ? QString() : g + QLatin1Char('/');
        for (const QString &key : EmptyKeys()) {
            if (!key.startsWith(prefix))
                continue;
            const QString rest = key.mid(prefix.size());
            if (!rest.isEmpty() && !rest.contains(QLatin1Char('/')) && !names.contains(rest))
                names << rest;
        }
        names.sort();
    }
    for (const QString &k : names)
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

TResult<void> TWobbinReg::ReplaceKey(const QStringList &subKeyNames, const QList<TKeyValue> &values)
{
    if (subKeyNames.isEmpty())
        return TError(QStringLiteral("no key named"));
    // A settings object of its own, so that its status tells of this write
    // alone (a settings object remembers its first error for good). It shares
    // the file's contents with the store's object.
    const QString file = d->settings.fileName();
    d->ensureProgramKey();
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

    s.remove(group);
    for (const TKeyValue &v : values)
        s.setValue(KeyOf(subKeyNames + v.subKeys, v.name), v.value);
    s.sync();
    if (s.status() == QSettings::NoError) {
        RestrictToOwner(file);
        d->settings.sync();
        // The key itself (and the keys above it) exist even without values.
        Impl::forgetEmptyKeys(group);
        for (qsizetype i = 1; i <= subKeyNames.size(); ++i)
            EmptyKeys().insert(GroupOf(subKeyNames.mid(0, i)));
        return {};
    }

    // Put the old content back, so that no later write of any setting carries
    // the new content to the disk.
    s.remove(group);
    for (const auto &kv : old)
        s.setValue(kv.first, kv.second);
    // The settings object does not say why; a checked write of a small file
    // beside the settings file names the cause.
    const QString probe = file + QStringLiteral(".probe");
    const TResult<void> probed = WriteFileSafely(probe, QByteArray(4096, '\0'));
    QFile::remove(probe);
    if (!probed.ok())
        return TError(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(file), probed.error().Text()));
    return TError(QStringLiteral("%1 could not be written").arg(QDir::toNativeSeparators(file)));
}

void TWobbinReg::DeleteProgramKey()
{
    CloseKey();
    d->settings.clear();
    d->settings.sync();
    QFile::remove(d->settings.fileName());
    d->settings.sync();
    Impl::forgetEmptyKeys(QString());
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
    if (!SettingsStore().ProgramKeyExists())
        return;  // the program's key is gone: write nothing
    const QStringList names = SplitKeyPath(section);
    s.setValue(KeyOf(names, name), value);
    SettingsStore().Sync();
}

QString ReadSetting(const QString &section, const QString &name)
{
    QSettings &s = SettingsStore().Raw();
    s.sync();
    if (!SettingsStore().ProgramKeyExists())
        return QString();
    const QString key = KeyOf(SplitKeyPath(section), name);
    if (!s.contains(key))
        return QStringLiteral("ERROR");
    return s.value(key).toString();
}

namespace {
QString ErrnoText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

bool DiskFull(const QString &folder)
{
    struct statvfs st = {};
    return ::statvfs(QFile::encodeName(folder).constData(), &st) == 0 && st.f_bavail == 0;
}
} // namespace

TResult<void> CheckSettingsWritable()
{
    QSettings &s = SettingsStore().Raw();
    s.sync();
    const QString file = s.fileName();
    const QString folder = QFileInfo(file).absolutePath();
    QString cause;
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
        cause = ErrnoText(errno);
    } else if (::access(QFile::encodeName(folder).constData(), W_OK) != 0) {
        cause = ErrnoText(errno);
    } else if (QFileInfo::exists(file) && ::access(QFile::encodeName(file).constData(), W_OK) != 0) {
        cause = ErrnoText(errno);
    } else if (s.status() == QSettings::AccessError) {
        cause = DiskFull(folder) ? ErrnoText(ENOSPC) : QStringLiteral("the file cannot be written");
    }
    if (cause.isEmpty())
        return {};
    return TError(QStringLiteral("The settings cannot be saved in \"%1\": %2.").arg(file, cause));
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
