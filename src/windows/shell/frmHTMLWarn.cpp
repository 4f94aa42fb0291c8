#include "shell/frmHTMLWarn.h"

#include "shell/Dialogs.h"
#include "settings/Settings.h"
#include "shell/SmallDialog.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

namespace wobbin {

namespace {
constexpr int kWidth = 387;
constexpr int kHeight = 140;
const QString kSetting = QStringLiteral("ShowHTMLWarning");

QLabel *CentredText(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return l;
}
} // namespace

TfrmHTMLWarn::TfrmHTMLWarn(QWidget *parent) : QDialog(parent)
{
    PrepareSmallDialog(this, "frmHTMLWarn", kWidth, kHeight, TTitleButtons::None);
    setWindowTitle(LoadStr(Msg::HtmlChangeAlertTitle));

    lbl1 = CentredText(this, "lbl1", LoadStr(Msg::HtmlChangeAlert), QRect(8, 8, kWidth - 16, 44));
    lbl2 = CentredText(this, "lbl2", LoadStr(Msg::HtmlChangeQuestion), QRect(8, 56, kWidth - 16, 44));

    chkHTML = new QCheckBox(LoadStr(Msg::HtmlDontShowAgain), this);
    chkHTML->setObjectName(QStringLiteral("chkHTML"));
    chkHTML->setGeometry(8, 110, 210, 20);

    butYes = new QPushButton(LoadStr(Msg::ButtonYes), this);
    butYes->setObjectName(QStringLiteral("butYes"));
    butYes->setGeometry(kWidth - 8 - 75 - 6 - 75, 107, 75, 25);
    butNo = new QPushButton(LoadStr(Msg::ButtonNo), this);
    butNo->setObjectName(QStringLiteral("butNo"));
    butNo->setGeometry(kWidth - 8 - 75, 107, 75, 25);
    butYes->setDefault(true);
    butYes->setFocus();

    connect(butYes, &QPushButton::clicked, this, &TfrmHTMLWarn::butYesClick);
    connect(butNo, &QPushButton::clicked, this, &TfrmHTMLWarn::butNoClick);
}

void TfrmHTMLWarn::butYesClick()
{
    ShowResult = true;
    StoreDontShowAgain(chkHTML, kSetting);
    accept();
}

void TfrmHTMLWarn::butNoClick()
{
    ShowResult = false;
    StoreDontShowAgain(chkHTML, kSetting);
    QDialog::reject();
}

void TfrmHTMLWarn::reject()
{
    butNoClick();
}

bool AskHTMLWarning(QWidget *parent)
{
    if (GeneralSwitchIsOff(kSetting))
        return true;
    TfrmHTMLWarn dialog(parent);
    // Not shown (a run without anyone to answer): as if switched off.
    if (ExecDialog(dialog) < 0)
        return true;
    return dialog.ShowResult;
}

} // namespace wobbin
