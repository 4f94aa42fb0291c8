#include "workspace/Controls.h"

#include "shell/Skin.h"
#include "strings/StringTable.h"

#include <QAbstractButton>
#include <QTimer>

namespace wobbin {

void ShowImage(QLabel *image, const QString &bitmapName)
{
    if (!image)
        return;
    const QPixmap pm = LoadBitmap(bitmapName);
    if (pm.isNull())
        return;
    image->setPixmap(pm);
    image->setProperty("Bitmap", bitmapName);
    image->update();
}

QFrame *MakePanel(QWidget *parent, const char *name, int x, int y, int w, int h, QFrame::Shape shape)
{
    auto *p = new QFrame(parent);
    p->setObjectName(QLatin1String(name));
    p->setGeometry(x, y, w, h);
    p->setFrameShape(shape);
    if (shape != QFrame::NoFrame)
        p->setFrameShadow(QFrame::Sunken);
    return p;
}

TImage *MakeImage(QWidget *parent, const char *name, int x, int y, int w, int h, int tag)
{
    auto *img = new TImage(parent);
    img->setObjectName(QLatin1String(name));
    img->setGeometry(x, y, w, h);
    img->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetTag(img, tag);
    return img;
}

QLabel *MakeLabel(QWidget *parent, const char *name, int x, int y, int w, int h, bool wrap)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(x, y, w, h);
    l->setWordWrap(wrap);
    l->setAlignment(Qt::AlignLeft | (wrap ? Qt::AlignTop : Qt::AlignVCenter));
    return l;
}

QTimer *MakeTimer(QObject *parent, const char *name, int interval)
{
    auto *t = new QTimer(parent);
    t->setObjectName(QLatin1String(name));
    t->setInterval(interval);
    return t;
}

void SetText(QWidget *control, int stringId)
{
    const QString text = LoadStr(stringId);
    if (auto *l = qobject_cast<QLabel *>(control))
        l->setText(text);
    else if (auto *b = qobject_cast<QAbstractButton *>(control))
        b->setText(text);
}

} // namespace wobbin
