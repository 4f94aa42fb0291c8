#pragma once
// Settings below the program's key: QSettings("Quorvex", "Wobbin Express").
// A key path is a list of subkey names below the program's key; in text form
// the names are separated by "\" (as in "WWWServers\My Server"). Inside one
// name, "/" and "\" are stored without being split into groups and are read
// back unchanged (use the QStringList overloads for names holding "\").
// The settings file is readable and writable by its owner only, and holds
// only the program's values: a key without values exists while the program
// runs (for every store of the process) but is not written to the file.

#include "base/Result.h"

#include <QString>
#include <QStringList>
#include <memory>

class QSettings;

namespace wobbin {

// One value of a key tree written by TWobbinReg::ReplaceKey: the subkey path
// below the replaced key (empty for the key itself), the value's name and text.
struct TKeyValue
{
    QStringList subKeys;
    QString name;
    QString value;
};

class TWobbinReg
{
public:
    TWobbinReg();
    ~TWobbinReg();
    TWobbinReg(const TWobbinReg &) = delete;
    TWobbinReg &operator=(const TWobbinReg &) = delete;

    // Closes the current key, opens the program's key (creating it when
    // missing), then the subkey path below it (created only with create set).
    // With an empty path the program's key itself is open and the result is true.
    bool OpenKey(const QString &subKeyPath, bool create);
    bool OpenKey(const QStringList &subKeyNames, bool create);
    void CloseKey();
    // The open key as "Name\Name" below the program's key ("" for the program's key).
    QString CurrentPath() const;
    bool HasOpenKey() const;

    bool ProgramKeyExists() const;
    bool KeyExists(const QString &subKeyPath) const;
    bool KeyExists(const QStringList &subKeyNames) const;
    bool ValueExists(const QString &name) const;          // in the open key
    QString ReadString(const QString &name) const;        // in the open key; "" when missing
    void WriteString(const QString &name, const QString &value);
    bool DeleteValue(const QString &name);
    bool DeleteKey(const QString &subKeyPath);            // below the program's key
    bool DeleteKey(const QStringList &subKeyNames);
    QStringList GetKeyNames() const;                      // subkeys of the open key
    QStringList GetValueNames() const;                    // values of the open key
    // Replaces the key below the program's key, with everything below it, by
    // exactly these values (their subkeys are created) in one write of the
    // settings file. On failure the settings stay as they were, on disk and in
    // this store, and the error names the cause.
    TResult<void> ReplaceKey(const QStringList &subKeyNames, const QList<TKeyValue> &values);
    // Removes the program's key with everything below it.
    void DeleteProgramKey();
    // Writes pending changes to disk (every write above already does).
    void Sync();

    // The settings file on disk.
    QString FileName() const;
    QSettings &Raw();

private:
    QStringList childNames(bool groups) const; // subkeys or values of the open key
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The one process-wide store, created on first use.
TWobbinReg &SettingsStore();
void ReleaseSettingsStore();

// Writes a string value; nothing is written when the program key is missing.
// Leaves the key opened on SettingsStore() as it was.
void WriteSetting(const QString &section, const QString &name, const QString &value);
// The value, "ERROR" when section or value is missing, "" when the program key is missing.
QString ReadSetting(const QString &section, const QString &name);

// True only when the General switch holds exactly "No" (a dialog switched off);
// "no", "ERROR" or a missing value leave the dialog on.
bool GeneralSwitchIsOff(const QString &name);

// The sound switch General "PlaySounds" as the program starts: anything but
// "No" means on and is written back as "Yes". Returns whether sounds are on.
bool StartSoundSwitch();
// The user switched sounds on or off.
void SetSoundSwitch(bool on);
// Whether the settings can be kept: fails when their folder or file cannot be
// written (a read-only or full disk), saying why in plain words that name the
// file. Start-up asks once, after its first writes.
[[nodiscard]] TResult<void> CheckSettingsWritable();

// Splits a key path "A\B\C" into its names (empty names dropped).
QStringList SplitKeyPath(const QString &subKeyPath);

} // namespace wobbin
