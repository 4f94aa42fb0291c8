#pragma once
// The undo history of the page: every change the user makes to the page (its
// blocks, their fields, the title, the style and the logo footer) is one step
// that can be undone and redone. The history keeps the page as it stood after
// each step; undoing puts back the page as it stood before. Typing into one
// field is one step until the focus leaves the field. Loading a page, New and
// a template start a fresh history. The HTML text and its hand edits are not
// part of it.

#include "page/BlockList.h"

#include <QString>
#include <deque>
#include <vector>

namespace wobbin {

// What a step did; with the block's kind it names the step ("Move Heading").
enum class EditStep { Add, Move, Shred, Field, Align, NewLine, Picture, Title, Style, Logo };

// The name of a step as the Edit menu shows it after "Undo " or "Redo ".
QString EditStepName(EditStep step, int kind);
// The name of a block kind in texts ("Heading", "E-mail"); empty for no kind.
QString KindDisplayName(int kind);

// The page as it stood at one moment: everything a step can change, and
// where the column stood and which block was current.
struct TPageState {
    std::vector<std::unique_ptr<TWebChunk>> Blocks;
    QString Title;
    int StyleEntry = -1;
    bool LogoOn = true;
    int CurrentBlock = -1;
    int FirstVisible = 0;

    TPageState() = default;
    TPageState(const TPageState &other);
    TPageState &operator=(const TPageState &other);
    TPageState(TPageState &&) = default;
    TPageState &operator=(TPageState &&) = default;

    // The same page (the view, current block and first visible, aside).
    bool SamePage(const TPageState &other) const;
    // The same blocks in the same order with the same values.
    bool SameBlocks(const TPageState &other) const;
};

// Two blocks with the same kind and the same values in every field.
bool SameBlock(const TWebChunk &a, const TWebChunk &b);

class TPageHistory
{
public:
    // Steps kept; older ones are forgotten.
    static constexpr int kMaxSteps = 200;

    // A fresh history starting at that page.
    void Reset(TPageState start);

    // The page after a change. False (and nothing recorded) when the page is
    // the same as before. A typing key (the field typed into) merges the
    // change into the previous step while the same field is typed into.
    bool Record(TPageState after, EditStep step, int kind, const QString &typingKey = QString());
    // The focus left the field: the next change is a step of its own.
    void EndTyping() { m_typingKey.clear(); }

    bool CanUndo() const { return m_position > 0; }
    bool CanRedo() const { return m_position + 1 < int(m_states.size()); }
    // The name of the step undo or redo would take back or do again; empty when none.
    QString UndoName() const;
    QString RedoName() const;

    // The page to put back, nullptr when there is nothing to undo or redo.
    // After an undo the current block is the one the step changed.
    const TPageState *Undo();
    const TPageState *Redo();
    // The page undo or redo would put back (its view aside), without moving.
    const TPageState *UndoTarget() const { return CanUndo() ? &m_states[std::size_t(m_position) - 1].State : nullptr; }
    const TPageState *RedoTarget() const { return CanRedo() ? &m_states[std::size_t(m_position) + 1].State : nullptr; }

    // The page as the history has it now.
    const TPageState &Current() const { return m_states.at(std::size_t(m_position)).State; }
    int StepCount() const { return int(m_states.size()) - 1; }
    int Position() const { return m_position; }

private:
    struct Entry {
        TPageState State;  // the page after the step (entry 0: the start)
        EditStep Step = EditStep::Field;
        int Kind = -1;
    };
    std::deque<Entry> m_states;
    int m_position = 0;
    QString m_typingKey;
    TPageState m_restored; // the page handed out by the last Undo
};

} // namespace wobbin
