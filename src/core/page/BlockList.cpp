#include "page/BlockList.h"

#include <array>

namespace wobbin {
namespace {
const std::array<const char *, kBlockKindCount> kPaletteNames = {
    "imgBrPara", "imgBrLink", "imgBrImage", "imgBrHeading", "imgBrEmail", "imgBrLine"};
}

int KindFromPaletteName(const QString &name)
{
    for (int k = 0; k < kBlockKindCount; ++k) {
        if (name == QLatin1String(kPaletteNames[std::size_t(k)]))
            return k;
    }
    return bkNone;
}

QString AlignWord(int value)
{
    switch (value) {
    case 1: return QStringLiteral("Left");
    case 2: return QStringLiteral("Center");
    case 3: return QStringLiteral("Right");
    default: return QString();
    }
}

std::unique_ptr<TWebChunk> NewBlock(int kind)
{
    auto block = std::make_unique<TWebChunk>();
    block->Kind = kind;
    switch (kind) {
    case bkPara: block->Para = std::make_unique<TBlockPara>(); break;
    case bkLink: block->Link = std::make_unique<TBlockLink>(); break;
    case bkImage: block->Image = std::make_unique<TBlockImage>(); break;
    case bkHeading: block->Heading = std::make_unique<TBlockHeading>(); break;
    case bkEmail: block->Email = std::make_unique<TBlockEmail>(); break;
    case bkLine: block->Line = std::make_unique<TBlockLine>(); break;
    default: break;
    }
    return block;
}

std::unique_ptr<TWebChunk> CopyBlock(const TWebChunk &b)
{
    auto c = std::make_unique<TWebChunk>();
    c->Kind = b.Kind;
    c->HTML = b.HTML;
    if (b.Para) c->Para = std::make_unique<TBlockPara>(*b.Para);
    if (b.Link) c->Link = std::make_unique<TBlockLink>(*b.Link);
    if (b.Image) c->Image = std::make_unique<TBlockImage>(*b.Image);
    if (b.Heading) c->Heading = std::make_unique<TBlockHeading>(*b.Heading);
    if (b.Email) c->Email = std::make_unique<TBlockEmail>(*b.Email);
    if (b.Line) c->Line = std::make_unique<TBlockLine>(*b.Line);
    return c;
}

QString DefaultPageTitle()
{
    return QStringLiteral("Wobbin Express Version 1.0 Document");
}

TWebChunk &BlockList::Insert(int index, std::unique_ptr<TWebChunk> block)
{
    if (index < 0)
        index = 0;
    if (index > Count())
        index = Count();
    auto it = m_blocks.insert(m_blocks.begin() + index, std::move(block));
    return **it;
}

TWebChunk &BlockList::Append(std::unique_ptr<TWebChunk> block)
{
    m_blocks.push_back(std::move(block));
    return *m_blocks.back();
}

std::unique_ptr<TWebChunk> BlockList::Take(int index)
{
    if (!IsValidIndex(index))
        return nullptr;
    auto block = std::move(m_blocks[std::size_t(index)]);
    m_blocks.erase(m_blocks.begin() + index);
    return block;
}

void BlockList::Move(int from, int to)
{
    if (!IsValidIndex(from) || !IsValidIndex(to) || from == to)
        return;
    auto block = Take(from);
    Insert(to, std::move(block));
}

} // namespace wobbin
