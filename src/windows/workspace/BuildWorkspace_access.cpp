// The Build workspace for a screen reader: the palette images are buttons
// ("Add a Heading block"), the column a list whose tiles read as "Block 3 of
// 12, Heading: Biscuit's Page", the shredder a picture with its purpose; a
// block added, moved or shredded is announced with its new place.

#include "workspace/BuildWorkspace.h"
#include "workspace/BuildWorkspace_p.h"
#include "shell/Accessible.h"
#include "workspace/WebBlockTile.h"

#include "strings/StringTable.h"
#include "strings/Msg.h"

#include <QLabel>
#include <QToolButton>

namespace wobbin {

namespace {
constexpr int kSummaryLength = 60;

// What a block says, in a few words: its text, address or picture.
QString BlockSummary(const TWebChunk &b)
{
    QString text;
    switch (b.Kind) {
    case bkPara: text = b.Para ? b.Para->Text : QString(); break;
    case bkLink:
        if (b.Link)
            text = !b.Link->LinkText.isEmpty() ? b.Link->LinkText : b.Link->URL;
        break;
    case bkImage:
        if (b.Image)
            text = !b.Image->AltText.isEmpty() ? b.Image->AltText : b.Image->FileName;
        break;
    case bkHeading: text = b.Heading ? b.Heading->Text : QString(); break;
    case bkEmail:
        if (b.Email)
            text = !b.Email->LinkText.isEmpty() ? b.Email->LinkText : b.Email->Address;
        break;
    case bkLine: text = b.Line ? b.Line->LineWidth : QString(); break;
    default: break;
    }
    text = text.simplified();
    if (text.size() > kSummaryLength)
        text = text.left(kSummaryLength - 3).trimmed() + QStringLiteral("...");
    return text;
}
} // namespace

void TBuildWorkspace::setUpAccessible()
{
    // The panels name their own fields (TPropertyPanels).
    for (int k = 0; k < 6; ++k)
        MakeAccessible(m_palette[std::size_t(k)], QAccessible::Button, LoadStr(840 + k), LoadStr(Msg::AddBlockHint));
    MakeAccessible(m_pnlToolBox, QAccessible::List, LoadStr(Msg::PageLayoutName), LoadStr(Msg::PageLayoutHint));
    for (QLabel *shredder : {m_imgShredderBack, m_imgShredder})
        MakeAccessible(shredder, QAccessible::Graphic, LoadStr(Msg::ShredderName), LoadStr(Msg::ShredderHint));
    connect(this, &TBuildWorkspace::pageEdited, this,
            [this](EditStep step, int kind, const QString &) { announceStep(step, kind); });
}

QString TBuildWorkspace::TileAccessibleName(int blockIndex) const
{
    if (!m_doc.Blocks.IsValidIndex(blockIndex))
        return QString();
    const TWebChunk &b = m_doc.Blocks.At(blockIndex);
    const QString place = QString::number(blockIndex + 1);
    const QString count = QString::number(m_doc.Blocks.Count());
    const QString summary = BlockSummary(b);
    return summary.isEmpty() ? LoadStr(Msg::BlockPosition).arg(place, count, KindDisplayName(b.Kind))
                             : LoadStr(Msg::BlockPositionDetails).arg(place, count, KindDisplayName(b.Kind), summary);
}

void TBuildWorkspace::refreshTileNames()
{
    for (TWebBlock *tile : m_tiles)
        SetAccessibleNameNotified(tile, TileAccessibleName(tile->BlockIndex));
}

void TBuildWorkspace::announceStep(EditStep step, int kind)
{
    refreshTileNames();
    const QString name = KindDisplayName(kind);
    const QString count = QString::number(m_doc.Blocks.Count());
    const QString place = QString::number(m_doc.CurrentBlockIndex + 1);
    switch (step) {
    case EditStep::Add: Announce(m_pnlToolBox, LoadStr(Msg::BlockAdded).arg(name, place, count)); break;
    case EditStep::Move: Announce(m_pnlToolBox, LoadStr(Msg::BlockMoved).arg(name, place, count)); break;
    case EditStep::Shred: Announce(m_pnlToolBox, LoadStr(Msg::BlockShredded).arg(name, count)); break;
    default: break;
    }
}

} // namespace wobbin
