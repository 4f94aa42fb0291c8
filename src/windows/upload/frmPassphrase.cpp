#include "upload/frmPassphrase.h"

#include "base/Secrets.h"
#include "publish/PasswordVault.h"
#include "publish/SshKeys.h"
#include "shell/Dialogs.h"
#include "shell/Palette.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace wobbin {

TfrmPassphrase::TfrmPassphrase(const QString &keyFile, const QString &serverName, bool wrong, bool keyringThere,
                               QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPassphrase"));
    setModal(true);
    UseProgramPalette(this);
    CentreOverParent(this);
    setWindowTitle(LoadStr(Msg::KeyPassphraseTitle));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    lblQuestion = new QLabel(LoadStr(wrong ? Msg::KeyPassphraseWrong : Msg::KeyPassphrasePrompt).arg(KeyFileShown(keyFile), serverName), this);
    lblQuestion->setObjectName(QStringLiteral("lblQuestion"));
    lblQuestion->setWordWrap(true);
    txtPassphrase = new QLineEdit(this);
    txtPassphrase->setObjectName(QStringLiteral("txtPassphrase"));
    txtPassphrase->setEchoMode(QLineEdit::Password);
    txtPassphrase->setAccessibleName(LoadStr(Msg::KeyPassphraseTitle));
    lblQuestion->setBuddy(txtPassphrase);
    chkKeep = new QCheckBox(LoadStr(Msg::KeepPassphraseInKeyring), this);
    chkKeep->setObjectName(QStringLiteral("chkKeep"));
    chkKeep->setEnabled(keyringThere);
    lblCancel = new QLabel(LoadStr(Msg::PassphraseCancelHint), this);
    lblCancel->setObjectName(QStringLiteral("lblCancel"));
    butOK = new QPushButton(LoadStr(Msg::ButtonOk), this);
    butOK->setObjectName(QStringLiteral("butOK"));
    butOK->setDefault(true);
    butCancel = new QPushButton(LoadStr(Msg::ButtonCancel), this);
    butCancel->setObjectName(QStringLiteral("butCancel"));
    connect(butOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(butCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(butOK);
    buttons->addWidget(butCancel);
    auto *v = new QVBoxLayout(this);
    v->addWidget(lblQuestion);
    v->addWidget(txtPassphrase);
    v->addWidget(chkKeep);
    v->addWidget(lblCancel);
    v->addLayout(buttons);
    setMinimumWidth(420);
    txtPassphrase->setFocus();
}

TfrmPassphrase::~TfrmPassphrase()
{
    // The field's text is a secret: overwritten before the widget goes.
    QString typed = txtPassphrase->text();
    txtPassphrase->clear();
    WipeString(typed);
}

void UnlockKeyFile(QWidget *parent, const QString &keyFile, const QString &serverName, bool wrong)
{
    TPasswordVault *vault = PassphraseVault();
    const QString entry = PassphraseEntryName(keyFile);
    if (vault && !wrong) {
        QList<TVaultAnswer> answers = vault->ReadPasswords({entry});
        const bool found = !answers.isEmpty() && answers.first().outcome == TVaultAnswer::Ok;
        if (found)
            RememberPassphrase(keyFile, answers.first().password);
        for (TVaultAnswer &a : answers)
            WipeString(a.password);
        if (found)
            return;
    }
    TfrmPassphrase dialog(keyFile, serverName, wrong, vault != nullptr, parent);
    if (ExecDialog(dialog) != QDialog::Accepted) {
        DeclinePassphrase(keyFile);
        return;
    }
    QString passphrase = dialog.txtPassphrase->text();
    RememberPassphrase(keyFile, passphrase);
    if (vault && dialog.chkKeep->isChecked()) {
        QList<TVaultAnswer> written = vault->WritePasswords({{entry, passphrase}});
        Q_UNUSED(written);
    }
    WipeString(passphrase);
}

} // namespace wobbin
