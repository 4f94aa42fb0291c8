#include "document/PageHistory.h"

#include "strings/StringTable.h"

#include <algorithm>

namespace wobbin {

namespace {
// Text ids of the step names and the kind names.
constexpr int kStepIds[] = {804, 805, 806, 807, 808, 809, 810, 811, 812, 813};
constexpr int kKindNameFirst = 820;

std::vector<std::unique_ptr<TWebChunk>> CopyBlocks(const std::vector<std::unique_ptr<TWebChunk>> &blocks)
{
    std::vector<std::unique_ptr<TWebChunk>> copy;
    copy.reserve(blocks.size());
    for (const auto &b : blocks)
        copy.push_back(CopyBlock(*b));
    return copy;
}

template <class T> bool SameRecord(const std::unique_ptr<T> &a, const std::unique_ptr<T> &b)
{
    if (!a || !b)
        return !a && !b;
    return *a == *b;
}
} // namespace

QString KindDisplayName(int kind)
{
    return IsBlockKind(kind) ? LoadStr(kKindNameFirst + kind) : QString();
}

QString EditStepName(EditStep step, int kind)
{
    const QString text = LoadStr(kStepIds[int(step)]);
    return text.contains(QLatin1String("%1")) ? text.arg(KindDisplayName(kind)).trimmed() : text;
}

bool SameBlock(const TWebChunk &a, const TWebChunk &b)
{
    return a.Kind == b.Kind && SameRecord(a.Para, b.Para) && SameRecord(a.Link, b.Link)
           && SameRecord(a.Image, b.Image) && SameRecord(a.Heading, b.Heading) && SameRecord(a.Email, b.Email)
           && SameRecord(a.Line, b.Line);
}

TPageState::TPageState(const TPageState &other)
    : Blocks(CopyBlocks(other.Blocks)), Title(other.Title), StyleEntry(other.StyleEntry), LogoOn(other.LogoOn),
      CurrentBlock(other.CurrentBlock), FirstVisible(other.FirstVisible)
{
}

TPageState &TPageState::operator=(const TPageState &other)
{
    if (this != &other) {
        Blocks = CopyBlocks(other.Blocks);
        Title = other.Title;
        StyleEntry = other.StyleEntry;
        LogoOn = other.LogoOn;
        CurrentBlock = other.CurrentBlock;
        FirstVisible = other.FirstVisible;
    }
    return *this;
}

bool TPageState::SamePage(const TPageState &other) const
{
    return Title == other.Title && StyleEntry == other.StyleEntry && LogoOn == other.LogoOn && SameBlocks(other);
}

bool TPageState::SameBlocks(const TPageState &other) const
{
    if (Blocks.size() != other.Blocks.size())
        return false;
    for (std::size_t i = 0; i < Blocks.size(); ++i)
        if (!SameBlock(*Blocks[i], *other.Blocks[i]))
            return false;
    return true;
}

void TPageHistory::Reset(TPageState start)
{
    m_states.clear();
    m_states.push_back(Entry{std::move(start), EditStep::Field, -1});
    m_position = 0;
    m_typingKey.clear();
}

bool TPageHistory::Record(TPageState after, EditStep step, int kind, const QString &typingKey)
{
    if (m_states.empty())
        Reset(TPageState());
    const bool merge = !typingKey.isEmpty() && typingKey == m_typingKey && m_position > 0 && !CanRedo();
    if (merge) {
        Entry &top = m_states.back();
        const TPageState &before = m_states[m_states.size() - 2].State;
        if (after.SamePage(before)) {
            // Typed and taken back again: nothing is left of the step.
            m_states.pop_back();
            --m_position;
            m_typingKey.clear();
            return true;
        }
        top.State = std::move(after);
        return true;
    }
    if (after.SamePage(Current())) {
        // Nothing changed; the view of the page moves along with it.
        m_states[std::size_t(m_position)].State.CurrentBlock = after.CurrentBlock;
        m_states[std::size_t(m_position)].State.FirstVisible = after.FirstVisible;
        return false;
    }
    m_states.erase(m_states.begin() + m_position + 1, m_states.end());
    m_states.push_back(Entry{std::move(after), step, kind});
    if (int(m_states.size()) > kMaxSteps + 1)
        m_states.pop_front();
    m_position = int(m_states.size()) - 1;
    m_typingKey = typingKey;
    return true;
}

QString TPageHistory::UndoName() const
{
    if (!CanUndo())
        return QString();
    const Entry &e = m_states[std::size_t(m_position)];
    return EditStepName(e.Step, e.Kind);
}

QString TPageHistory::RedoName() const
{
    if (!CanRedo())
        return QString();
    const Entry &e = m_states[std::size_t(m_position) + 1];
    return EditStepName(e.Step, e.Kind);
}

const TPageState *TPageHistory::Undo()
{
    m_typingKey.clear();
    if (!CanUndo())
        return nullptr;
    const TPageState &undone = m_states[std::size_t(m_position)].State;
    --m_position;
    m_restored = Current();
    // The block the step changed becomes current again, the column where it stood.
    const int count = int(m_restored.Blocks.size());
    m_restored.CurrentBlock = count > 0 ? std::clamp(undone.CurrentBlock, 0, count - 1) : -1;
    m_restored.FirstVisible = undone.FirstVisible;
    return &m_restored;
}

const TPageState *TPageHistory::Redo()
{
    m_typingKey.clear();
    if (!CanRedo())
        return nullptr;
    ++m_position;
    return &Current();
}

} // namespace wobbin
