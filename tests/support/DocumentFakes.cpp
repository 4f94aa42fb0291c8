#include "support/DocumentFakes.h"

#include "settings/Settings.h"
#include "support/FileTree.h"

#include <QSettings>

namespace wobbin::testing {

QStringList TFakeHost::Messages() const
{
    QStringList out;
    for (const QString &entry : Log) {
        const int colon = entry.indexOf(QLatin1Char(':'));
        if (colon > 0 && !entry.startsWith(QStringLiteral("dialog:")))
            out << entry.mid(colon + 1);
    }
    return out;
}

TDocumentHost::Answer TFakeHost::AskSaveChanges(const QString &question)
{
    Log << QStringLiteral("ask:") + question;
    return SaveChangesAnswers.isEmpty() ? Answer::Cancel : SaveChangesAnswers.takeFirst();
}

bool TFakeHost::ConfirmSaveChangesFirst(const QString &text)
{
    Log << QStringLiteral("confirm:") + text;
    return !Confirmations.isEmpty() && Confirmations.takeFirst();
}

bool TFakeHost::ConfirmLoseHandEdits(const QString &text)
{
    Log << QStringLiteral("confirm:") + text;
    return !Confirmations.isEmpty() && Confirmations.takeFirst();
}

bool TFakeHost::ConfirmHandEdit()
{
    Log << QStringLiteral("handedit");
    return HandEditAnswers.isEmpty() || HandEditAnswers.takeFirst();
}

QString TFakeHost::AskSaveFileName(const FileDialogSetup &setup)
{
    Log << QStringLiteral("dialog:") + setup.Title;
    Dialogs << setup;
    return FileNames.isEmpty() ? QString() : FileNames.takeFirst();
}

bool TDocumentTest::MakeDocument(const QStringList &data, const QString &settingsGroup)
{
    m_dir = std::make_unique<QTemporaryDir>();
    if (!m_dir->isValid())
        return false;
    m_app = CopyProgramData(m_dir->path(), data);
    if (m_app.isEmpty())
        return false;
    SettingsStore().OpenKey(QString(), true);
    SettingsStore().CloseKey();
    SettingsStore().Raw().remove(settingsGroup);
    m_host = std::make_unique<TFakeHost>();
    m_doc = std::make_unique<TDocument>();
    m_doc->SetAppDir(m_app);
    m_doc->SetHost(m_host.get());
    m_doc->LoadStyleLibrary();
    return true;
}

} // namespace wobbin::testing
