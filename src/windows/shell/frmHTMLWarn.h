#pragma once
// The warning before the first hand edit of a page's HTML: the edit is lost
// when the user goes back to building the page. Yes keeps the edit, No has
// the caller take it back; either way a checked "Don''t show this screen
// again." switches the warning off (General "ShowHTMLWarning" = "No").

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace wobbin {

class TfrmHTMLWarn : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmHTMLWarn(QWidget *parent = nullptr);

    void butYesClick();
    void butNoClick();

    // Which button closed the dialog: true for Yes (false at creation).
    bool ShowResult = false;

    QLabel *lbl1 = nullptr;
    QLabel *lbl2 = nullptr;
    QPushButton *butYes = nullptr;
    QPushButton *butNo = nullptr;
    QCheckBox *chkHTML = nullptr;

protected:
    // Escape (or a close asked for by the window manager) answers No.
    void reject() override;
};

// The caller's one call before the first hand edit: true when the edit may
// stay, false when it is to be undone. Shows nothing (and answers true) while
// General "ShowHTMLWarning" is "No".
bool AskHTMLWarning(QWidget *parent);

} // namespace wobbin
