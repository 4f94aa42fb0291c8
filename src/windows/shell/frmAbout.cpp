#include "shell/frmAbout.h"

#include "shell/Dialogs.h"
#include "shell/Skin.h"
#include "shell/SmallDialog.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

namespace wobbin {

namespace {
constexpr int kWidth = 370;
constexpr int kHeight = 230;
} // namespace

TfrmAbout::TfrmAbout(QWidget *parent) : QDialog(parent)
{
    PrepareSmallDialog(this, "frmAbout", kWidth, kHeight, TTitleButtons::Close);
    setWindowTitle(LoadStr(Msg::AboutTitle));

    imgAbout = new QLabel(this);
    imgAbout->setObjectName(QStringLiteral("imgAbout"));
    imgAbout->setGeometry(2, 18, 366, 139);
    ShowBitmap(imgAbout, QStringLiteral("About"));
    imgAbout->installEventFilter(this);

    QFont bold = font();
    bold.setPointSize(9);
    bold.setBold(true);
    lblVersion = new QLabel(QStringLiteral("Version ") + QStringLiteral(WOBBIN_VERSION_TEXT), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setGeometry(2, 168, 366, 18);
    lblVersion->setAlignment(Qt::AlignCenter);
    lblVersion->setFont(bold);

    lblNotice = new QLabel(LoadStr(Msg::Copyright), this);
    lblNotice->setObjectName(QStringLiteral("lblNotice"));
    lblNotice->setGeometry(12, 192, 346, 30);
    lblNotice->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblNotice->setWordWrap(true);

    // Outside the client area: never seen, but it has the keyboard focus.
    txtSecret = new QLineEdit(this);
    txtSecret->setObjectName(QStringLiteral("txtSecret"));
    txtSecret->setGeometry(-200, -200, 40, 20);
    txtSecret->setMaxLength(32);
    connect(txtSecret, &QLineEdit::textChanged, this, &TfrmAbout::txtSecretChange);
    txtSecret->setFocus();
}

QString TfrmAbout::SecretWord()
{
    return QStringLiteral("windy");
}

void TfrmAbout::txtSecretChange()
{
    if (m_secretShown || !txtSecret->text().endsWith(SecretWord(), Qt::CaseInsensitive))
        return;
    if (ShowBitmap(imgAbout, QStringLiteral("About_Secret"))) {
        m_secretShown = true;
        PlaySoundRes(QStringLiteral("wavMate"));
    }
}

void TfrmAbout::FormClick()
{
    accept();
}

void TfrmAbout::imgAboutClick()
{
    accept();
}

void TfrmAbout::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        FormClick();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

bool TfrmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == imgAbout && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        imgAboutClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ShowAbout(QWidget *parent)
{
    TfrmAbout dialog(parent);
    ExecDialog(dialog);
}

} // namespace wobbin
