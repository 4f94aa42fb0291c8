#include "shell/SmallDialog.h"

#include "shell/Dialogs.h"
#include "shell/Palette.h"
#include "settings/Settings.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"

#include <QCheckBox>
#include <QDialog>

namespace wobbin {

void PrepareSmallDialog(QDialog *dialog, const char *name, int width, int height, TTitleButtons buttons)
{
    dialog->setObjectName(QString::fromLatin1(name));
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (buttons == TTitleButtons::Close)
        flags |= Qt::WindowCloseButtonHint;
    dialog->setWindowFlags(flags);
    dialog->setFixedSize(width, height);
    dialog->setModal(true);
    QString family = LoadStr(Msg::DefaultFontName);
    if (family.isEmpty())
        family = QStringLiteral("Arial");
    dialog->setFont(QFont(family, 8));
    UseProgramPalette(dialog);
    // Centred on the main window when it shows (on the screen without one).
    CentreOverParent(dialog);
}

void StoreDontShowAgain(const QCheckBox *box, const QString &settingName)
{
    if (box && box->isChecked())
        WriteSetting(QStringLiteral("General"), settingName, QStringLiteral("No"));
}

} // namespace wobbin
