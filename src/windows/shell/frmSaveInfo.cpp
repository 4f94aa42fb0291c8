#include "shell/frmSaveInfo.h"

#include "shell/Dialogs.h"
#include "settings/Settings.h"
#include "shell/Skin.h"
#include "shell/SmallDialog.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace wobbin {

namespace {
constexpr int kWidth = 349;
constexpr int kHeight = 144;
const QString kSetting = QStringLiteral("SaveInfo");
} // namespace

TfrmSaveInfo::TfrmSaveInfo(QWidget *parent, THelpOpener showHelpTopic)
    : QDialog(parent), m_showHelpTopic(std::move(showHelpTopic))
{
    PrepareSmallDialog(this, "frmSaveInfo", kWidth, kHeight, TTitleButtons::None);
    setWindowTitle(LoadStr(Msg::FileSaveInformation));

    lblMsg = new QLabel(LoadStr(Msg::FirstPageIndexHint), this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setGeometry(8, 10, kWidth - 16, 66);
    lblMsg->setWordWrap(true);
    lblMsg->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    lblLink = new QLabel(LoadStr(Msg::LinksTutorial), this);
    lblLink->setObjectName(QStringLiteral("lblLink"));
    lblLink->setGeometry(8, 80, kWidth - 16, 16);
    lblLink->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette blue = lblLink->palette();
    blue.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0xFF));
    lblLink->setPalette(blue);
    QFont underlined = lblLink->font();
    underlined.setUnderline(true);
    lblLink->setFont(underlined);
    lblLink->setCursor(LoadCursorNumber(5));
    // Reachable from the keyboard too: Tab to it, then Space or Enter.
    lblLink->setFocusPolicy(Qt::TabFocus);
    lblLink->installEventFilter(this);
    // Only the text is the link, not the width of the window.
    const int textWidth = lblLink->fontMetrics().horizontalAdvance(lblLink->text()) + 4;
    lblLink->setGeometry((kWidth - textWidth) / 2, 80, textWidth, 16);

    chkShow = new QCheckBox(LoadStr(Msg::DontShowAgain), this);
    chkShow->setObjectName(QStringLiteral("chkShow"));
    chkShow->setGeometry(8, 114, 220, 20);

    btnJoy = new QPushButton(LoadStr(Msg::ButtonOk), this);
    btnJoy->setObjectName(QStringLiteral("btnJoy"));
    btnJoy->setGeometry(kWidth - 8 - 75, 111, 75, 25);
    btnJoy->setDefault(true);
    connect(btnJoy, &QPushButton::clicked, this, &TfrmSaveInfo::btnJoyClick);
    setTabOrder(btnJoy, chkShow);
    setTabOrder(chkShow, lblLink);
    btnJoy->setFocus();
}

bool TfrmSaveInfo::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lblLink) {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto *me = static_cast<QMouseEvent *>(event);
            if (me->button() == Qt::LeftButton && lblLink->rect().contains(me->position().toPoint())) {
                lblLinkClick();
                return true;
            }
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
                lblLinkClick();
                return true;
            }
        } else if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
            // The link shows it has the focus only when reached with Tab.
            const auto reason = static_cast<QFocusEvent *>(event)->reason();
            const bool byKey = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason;
            lblLink->setFrameStyle(event->type() == QEvent::FocusIn && byKey ? int(QFrame::Box) : int(QFrame::NoFrame));
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmSaveInfo::btnJoyClick()
{
    StoreDontShowAgain(chkShow, kSetting);
    accept();
}

void TfrmSaveInfo::reject()
{
    btnJoyClick();
}

void TfrmSaveInfo::lblLinkClick()
{
    if (m_showHelpTopic)
        m_showHelpTopic(this, kLinksTutorialTopic);
}

void ShowSaveInformation(QWidget *parent, const TfrmSaveInfo::THelpOpener &showHelpTopic)
{
    if (GeneralSwitchIsOff(kSetting))
        return;
    TfrmSaveInfo dialog(parent, showHelpTopic);
    ExecDialog(dialog);
}

} // namespace wobbin
