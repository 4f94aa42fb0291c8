#include "support/DocumentFakes.h"

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

} // namespace wobbin::testing
