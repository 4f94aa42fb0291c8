#pragma once
// The About box: the program's picture, its version and the maker's notice.
// A click on the picture or on the window closes it. An invisible field that
// has the keyboard focus listens for a secret word; typed, it shows a hidden
// picture and plays a sound (nothing else).

#include <QDialog>

class QLabel;
class QLineEdit;

namespace wobbin {

class TfrmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget *parent = nullptr);

    void FormClick();
    void imgAboutClick();
    void txtSecretChange();
    // True once the secret picture is shown.
    bool SecretShown() const { return m_secretShown; }

    // The secret word (letter case ignored).
    static QString SecretWord();

    QLabel *imgAbout = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblNotice = nullptr;
    QLineEdit *txtSecret = nullptr;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_secretShown = false;
};

// Help > About: shows the box modally.
void ShowAbout(QWidget *parent);

} // namespace wobbin
