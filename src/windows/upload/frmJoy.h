#pragma once
// The congratulation after a successful upload: fireworks in imgJoy (eleven
// frames, one every 200 ms, the sound "wavWorks" at the first of each round),
// four texts, OK, and "Don't show this screen again." (General "ShowJoy").
// Below the texts: how many pictures were not sent again, and whether the page
// is really live (the check after the upload, running while the dialog is open).
// When the check finds that visitors cannot see the page, the dialog stops
// congratulating: it says the files arrived, with the check's diagnosis as its
// main text.

#include "publish/PageVerify.h"
#include "publish/UnusedPictures.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;

namespace wobbin {

struct TUploadOutcome;

class TfrmJoy : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmJoy(QWidget *parent = nullptr);

    // Fireworks frames shown in this round (0 before the first and after the eleventh).
    int JoyFrame = 0;

    QLabel *imgJoy = nullptr;
    QLabel *lbl1 = nullptr, *lbl2 = nullptr, *lbl3 = nullptr, *lbl4 = nullptr;
    QPushButton *btnJoy = nullptr;
    QCheckBox *chkJoy = nullptr;
    QTimer *timAnimation = nullptr;
    QLabel *lblSkipped = nullptr;  // "3 pictures had not changed ..." (hidden when none)
    QLabel *lblLive = nullptr;     // the check after the upload (hidden until it starts)
    QLabel *lblUnused = nullptr;   // pictures no page uses any more (hidden when none)
    QPushButton *btnRemoveUnused = nullptr; // removes them (hidden when none, or no way to remove)

    // Removes the named pictures from the server the page went to (blocks
    // until done); set by whoever shows the dialog. Without it the pictures
    // are only listed.
    std::function<TRemovalOutcome(const QStringList &names)> RemoveUnused;

    // Opens an address in the web browser when the link in lblLive is clicked.
    std::function<void(const QString &address)> OpenAddress;

    void btnJoyClick();
    void btnRemoveUnusedClick();
    void timAnimationTimer();

    // Shows the pictures not sent again and starts the check after the upload.
    void ShowOutcome(const TUploadOutcome &outcome);
    bool CheckRunning() const;
    // The check's result (Verdict Cancelled until it is done).
    TVerifyResult CheckResult() const { return m_result; }

Q_SIGNALS:
    void CheckFinished();

private:
    void Relayout();
    void ShowNotVisibleYet();
    void lblLiveLinkActivated(const QString &link);

    TVerifyRunner *m_runner = nullptr;
    TVerifyResult m_result;
    int m_textsBottom = 0;
    bool m_notVisible = false; // the check found that visitors cannot see the page
    QStringList m_unused;
};

// Shows TfrmJoy modally unless General "ShowJoy" is "No"; true when shown.
bool ShowJoyUnlessSwitchedOff(QWidget *parent);

// After a successful upload: TfrmJoy with the pictures not sent again and the
// check whether the page is live. With the dialog switched off the check runs
// all the same (the window keeps working meanwhile) and only a page that is
// not live is reported, in a message box. openAddress opens the page's address
// in the browser. Returns the check's result.
// target (may be null): the server the page went to, with its password, for
// removing the pictures no page uses any more (outcome.Unused); recordFolder:
// where the upload kept its record of what was sent ("" the usual place).
TVerifyResult ShowUploadSuccess(QWidget *parent, const TUploadOutcome &outcome,
                                const std::function<void(const QString &address)> &openAddress = {},
                                const TUploadTarget *target = nullptr, const QString &recordFolder = QString());

// Runs the removal on a worker thread; the window goes on painting meanwhile.
TRemovalOutcome RemoveUnusedPictures(const TUploadTarget &target, const QStringList &names,
                                     const QString &recordFolder = QString());

} // namespace wobbin
