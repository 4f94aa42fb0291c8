#pragma once
// The question for a locked SSH key's passphrase, asked once in a run when an
// SFTP log-on comes to the key: the passphrase typed without showing it, and
// whether to keep it in the keyring. Cancel goes on without the key.

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace wobbin {

class TfrmPassphrase : public QDialog
{
public:
    // wrong: the passphrase tried last did not unlock the key.
    TfrmPassphrase(const QString &keyFile, const QString &serverName, bool wrong, bool keyringThere,
                   QWidget *parent = nullptr);
    ~TfrmPassphrase() override;

    QLabel *lblQuestion = nullptr;
    QLineEdit *txtPassphrase = nullptr;
    QCheckBox *chkKeep = nullptr;
    QLabel *lblCancel = nullptr;
    QPushButton *butOK = nullptr;
    QPushButton *butCancel = nullptr;
};

// Makes the key's passphrase known for the run (RememberPassphrase), asking
// the keyring first unless wrong, then the user; a passphrase the user asks
// to keep goes into the keyring. A refusal leaves the key out for the run
// (DeclinePassphrase). The log-on may be tried again afterwards either way.
void UnlockKeyFile(QWidget *parent, const QString &keyFile, const QString &serverName, bool wrong);

} // namespace wobbin
