#include "shell/KeyringWait.h"

#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "publish/PasswordVault.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>

namespace wobbin {

namespace {

QPointer<QFrame> &Notice()
{
    static QPointer<QFrame> notice;
    return notice;
}

void ShowNotice(bool waiting)
{
    QPointer<QFrame> &notice = Notice();
    if (!waiting) {
        delete notice.data();
        return;
    }
    if (notice || !qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    QWidget *over = QApplication::activeWindow();
    notice = new QFrame(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    notice->setObjectName(QStringLiteral("frmKeyringWait"));
    notice->setAttribute(Qt::WA_ShowWithoutActivating);
    notice->setFrameShape(QFrame::Box);
    auto *text = new QLabel(LoadStr(Msg::WaitingForKeyring), notice);
    text->setObjectName(QStringLiteral("lblKeyringWait"));
    auto *layout = new QVBoxLayout(notice);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->addWidget(text);
    notice->adjustSize();
    const QRect area = over ? over->frameGeometry()
                            : (QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                                : QRect());
    notice->move(area.center() - notice->rect().center());
    notice->show();
}

} // namespace

void ShowKeyringWaitsInWindows()
{
    SetVaultWaitNotice(&ShowNotice);
}

} // namespace wobbin
