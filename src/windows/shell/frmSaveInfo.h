#pragma once
// The note shown before a page is saved for the first time: a first page is
// best saved as "Index". A blue link opens the tutorial on links (help topic
// 102); a checked "Don''t show this screen again." switches the note off
// (General "SaveInfo" = "No").

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;

namespace wobbin {

class TfrmSaveInfo : public QDialog
{
    Q_OBJECT
public:
    // showHelpTopic opens a help topic by its context number over the window
    // given (this dialog, so that the help can be used while it is open).
    using THelpOpener = std::function<void(QWidget *, int)>;
    explicit TfrmSaveInfo(QWidget *parent = nullptr, THelpOpener showHelpTopic = {});

    void btnJoyClick();
    void lblLinkClick();

    QLabel *lblMsg = nullptr;
    QLabel *lblLink = nullptr;
    QPushButton *btnJoy = nullptr;
    QCheckBox *chkShow = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Escape closes as OK does.
    void reject() override;

private:
    THelpOpener m_showHelpTopic;
};

// The help context of the tutorial on links.
constexpr int kLinksTutorialTopic = 102;

// The caller's one call before a page's first save: shows the note modally
// unless General "SaveInfo" is "No".
void ShowSaveInformation(QWidget *parent, const TfrmSaveInfo::THelpOpener &showHelpTopic);

} // namespace wobbin
