#pragma once
// Settings below the program's key: QSettings("Quorvex", "Wobbin Express").
// Section/name pairs map to "Section/Name" keys; a name holding "/" or "\"
// is stored without being split into groups and read back unchanged.

#include <QString>
#include <QStringList>
#include <memory>

class QSettings;

namespace wobbin {

class TWobbinReg
{
public:
    TWobbinReg();
    ~TWobbinReg();

    // Closes the current key, opens the program's key (creating it when
    // missing), then the subkey path below it (created only with create set).
    bool OpenKey(const QString &subKeyPath, bool create);
    void CloseKey();
    QString CurrentPath() const;

    bool ProgramKeyExists() const;
    bool KeyExists(const QString &subKeyPath) const;
    bool ValueExists(const QString &name) const;          // in the open key
    QString ReadString(const QString &name) const;        // in the open key
    void WriteString(const QString &name, const QString &value);
    bool DeleteValue(const QString &name);
    bool DeleteKey(const QString &subKeyPath);            // below the program's key
    QStringList GetKeyNames() const;                      // subkeys of the open key
    QStringList GetValueNames() const;                    // values of the open key
    void Sync();

    QSettings &Raw();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The one process-wide store, created on first use.
TWobbinReg &SettingsStore();
void ReleaseSettingsStore();

// Writes a string value; nothing is written when the program key is missing.
void WriteSetting(const QString &section, const QString &name, const QString &value);
// The value, "ERROR" when section or value is missing, "" when the program key is missing.
QString ReadSetting(const QString &section, const QString &name);

} // namespace wobbin
