#include "publish/frmJoy_gui.h"

#include "app/Settings.h"
#include "app/Skin_gui.h"
#include "app/StringTable.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace wobbin {

namespace {
constexpr int kWidth = 434;
constexpr int kHeight = 224;
constexpr int kFrames = 11;
} // namespace

TfrmJoy::TfrmJoy(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmJoy"));
    setModal(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(pal);
    setAutoFillBackground(true);
    const QString arial = LoadStr(32);
    setFont(QFont(arial.isEmpty() ? QStringLiteral("Arial") : arial, 8));
    setWindowTitle(LoadStr(1000));

    imgJoy = new QLabel(this);
    imgJoy->setObjectName(QStringLiteral("imgJoy"));
    imgJoy->setGeometry(8, 8, 160, 160);
    imgJoy->setScaledContents(true);
    ShowBitmap(imgJoy, QStringLiteral("Joy"));

    // The four texts one below the other beside the picture.
    const int left = 180, width = kWidth - left - 10;
    int top = 8;
    QLabel **labels[] = {&lbl1, &lbl2, &lbl3, &lbl4};
    for (int i = 0; i < 4; ++i) {
        auto *l = new QLabel(LoadStr(1001 + i), this);
        l->setObjectName(QStringLiteral("lbl%1").arg(i + 1));
        l->setWordWrap(true);
        const int h = l->heightForWidth(width);
        l->setGeometry(left, top, width, h);
        top += h + 5;
        *labels[i] = l;
    }
    lbl1->setStyleSheet(QStringLiteral("font-weight: bold"));
    lbl1->setGeometry(left, 8, width, lbl1->heightForWidth(width));

    chkJoy = new QCheckBox(LoadStr(30), this);
    chkJoy->setObjectName(QStringLiteral("chkJoy"));
    btnJoy = new QPushButton(LoadStr(6), this);
    btnJoy->setObjectName(QStringLiteral("btnJoy"));
    btnJoy->setDefault(true);
    connect(btnJoy, &QPushButton::clicked, this, &TfrmJoy::btnJoyClick);

    // The check box and the button under the texts; the window grows only when
    // the texts need more room than its stored size.
    const int bottom = qMax(top, 168 + 6);
    chkJoy->setGeometry(8, bottom + 4, left - 8 + 80, 22);
    btnJoy->setGeometry(kWidth - 10 - 80, bottom, 80, 26);
    setFixedSize(kWidth, qMax(kHeight, bottom + 26 + 8));

    timAnimation = new QTimer(this);
    timAnimation->setObjectName(QStringLiteral("timAnimation"));
    timAnimation->setInterval(200);
    connect(timAnimation, &QTimer::timeout, this, &TfrmJoy::timAnimationTimer);
    timAnimation->start();
}

void TfrmJoy::btnJoyClick()
{
    if (chkJoy->isChecked())
        WriteSetting(QStringLiteral("General"), QStringLiteral("ShowJoy"), QStringLiteral("No"));
    timAnimation->stop();
    accept();
}

void TfrmJoy::timAnimationTimer()
{
    ++JoyFrame;
    if (JoyFrame < 1 || JoyFrame > kFrames) {
        JoyFrame = 0;
        return;
    }
    ShowBitmap(imgJoy, QStringLiteral("Fire%1").arg(JoyFrame));
    if (JoyFrame == 1)
        PlaySoundRes(QStringLiteral("wavWorks"));
    if (JoyFrame == kFrames)
        JoyFrame = 0;
}

bool ShowJoyUnlessSwitchedOff(QWidget *parent)
{
    if (ReadSetting(QStringLiteral("General"), QStringLiteral("ShowJoy")) == QLatin1String("No"))
        return false;
    TfrmJoy joy(parent);
    joy.exec();
    return true;
}

} // namespace wobbin
