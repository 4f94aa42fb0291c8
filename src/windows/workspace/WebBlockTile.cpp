#include "workspace/WebBlockTile.h"

#include "shell/Skin.h"

#include <QFont>
#include <QHash>
#include <QPainter>

namespace wobbin {

namespace {

const char *const kKindBitmap[6] = {"Para", "Link", "Image", "Heading", "Email", "Line"};

// A stand-in picture for a kind whose bitmap is missing: the kind's name on a
// light (or, highlighted, dark) tile, so the column stays usable.
QPixmap drawnPicture(int kind, bool highlighted)
{
    QPixmap pm(TWebBlock::kWidth, TWebBlock::kHeight);
    pm.fill(highlighted ? QColor(0, 0, 128) : QColor(224, 224, 224));
    QPainter p(&pm);
    p.setPen(highlighted ? Qt::white : Qt::black);
    p.drawRect(0, 0, pm.width() - 1, pm.height() - 1);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(12);
    p.setFont(f);
    p.drawText(pm.rect(), Qt::AlignCenter,
               (kind >= 0 && kind < 6) ? QString::fromLatin1(kKindBitmap[kind]) : QStringLiteral("?"));
    return pm;
}

QPixmap cachedPicture(int kind, bool highlighted)
{
    static QHash<int, QPixmap> cache;
    const int key = kind * 2 + (highlighted ? 1 : 0);
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    QPixmap pm;
    if (kind >= 0 && kind < 6) {
        QString name = QString::fromLatin1(kKindBitmap[kind]);
        if (highlighted)
            name += QStringLiteral("_H");
        pm = LoadBitmap(name);
    }
    if (pm.isNull())
        pm = drawnPicture(kind, highlighted);
    cache.insert(key, pm);
    return pm;
}

} // namespace

TWebBlock::TWebBlock(QWidget *parent) : QLabel(parent)
{
    setFixedSize(kWidth, kHeight);
    setProperty("Tag", kTag);
    setScaledContents(true);
}

void TWebBlock::ClearHighlight()
{
    m_highlighted = false;
    setPixmap(KindPicture(Kind));
}

void TWebBlock::SetHighlight()
{
    m_highlighted = true;
    setPixmap(KindHighlightPicture(Kind));
}

QPixmap KindPicture(int kind) { return cachedPicture(kind, false); }
QPixmap KindHighlightPicture(int kind) { return cachedPicture(kind, true); }

QString TilePaletteName(int kind)
{
    if (kind < 0 || kind >= 6)
        return QString();
    return QStringLiteral("imgBr") + QString::fromLatin1(kKindBitmap[kind]);
}

} // namespace wobbin
