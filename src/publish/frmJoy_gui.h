#pragma once
// The congratulation after a successful upload: fireworks in imgJoy (eleven
// frames, one every 200 ms, the sound "wavWorks" at the first of each round),
// four texts, OK, and "Don't show this screen again." (General "ShowJoy").

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;

namespace wobbin {

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

    void btnJoyClick();
    void timAnimationTimer();
};

// Shows TfrmJoy modally unless General "ShowJoy" is "No"; true when shown.
bool ShowJoyUnlessSwitchedOff(QWidget *parent);

} // namespace wobbin
