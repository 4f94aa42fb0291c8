#pragma once
// The style wizard's rules, without its window: a working copy of the style
// library, the style being edited, the page shown with the buttons and texts
// that go with it, the list operations and what Finish writes. The library
// itself is touched only by Finish answered with Yes (see StylesToWrite and
// WriteStylesToFile).

#include "styles/StyleLibrary.h"

#include <QString>
#include <QStringList>

namespace wobbin {

enum class TWizardAction { Add = 0, Modify = 1, Delete = 2 };

// The three pages: the start page with the choice of action, the style
// editor with its sample, and the list of styles.
enum class TWizardPage { Start = 0, Editor = 1, List = 2 };

// The five colour swatches of the editor.
enum class TStyleSwatch { Back, Doc, Standard, Active, Visited };

// A record with empty strings and zero colours.
TStyleChunk BlankStyle();
// A new style's defaults: silver background, black text, blue links, red
// active links, fuchsia visited links; no name, no image.
TStyleChunk ClearedStyle();

// The colour field of a style that a swatch edits.
TColor SwatchColour(const TStyleChunk &style, TStyleSwatch swatch);
void SetSwatchColour(TStyleChunk &style, TStyleSwatch swatch, TColor colour);

// The first name (in list order) that more than one style carries, compared
// without regard to letter case as pages look styles up; empty when every
// name is used once. *second (when given) receives the index of its second
// use.
QString FirstDuplicateName(const StyleList &styles, int *second = nullptr);

class TStyleWizard
{
public:
    // Starts on the start page with Add chosen and a copy of the library.
    explicit TStyleWizard(const StyleList &library = {});

    // ---- the working copy and the list page
    const StyleList &WizardStyles() const { return m_styles; }
    QStringList Names() const;
    // The selected entry of the list, -1 for none.
    int Selected() const { return m_selected; }
    // Selecting an entry makes it the style edited (edits go straight into
    // it); -1 clears the selection and leaves the style edited alone.
    void SelectStyle(int index);

    // Removes the selected style; the editor starts afresh with a cleared
    // style and nothing is selected. False when nothing was selected.
    bool DeleteSelected();
    // Moves the selected style one place up / down, keeping it selected.
    // False (and nothing marked changed) at the top / bottom or without a
    // selection.
    bool MoveUp();
    bool MoveDown();

    // ---- the start page
    TWizardAction WizardAction() const { return m_action; }
    void SetWizardAction(TWizardAction action) { m_action = action; }

    // ---- page flow
    TWizardPage Page() const { return m_page; }
    enum class TNextResult { Moved, NeedSelection, Ignored };
    // Next: from the start page to the editor (Add: with a fresh cleared
    // style) or to the list (Modify, Delete); from the list (Modify) to the
    // editor with the selected style, or NeedSelection when none is selected
    // (the page stays as it was).
    TNextResult Next();
    // Back: from the editor to the start page (Add) or the list (Modify);
    // from the list to the start page.
    void Back();

    // What the buttons and texts of the pages show.
    bool BackEnabled() const { return m_page != TWizardPage::Start; }
    bool NextVisible() const { return m_nextVisible; }
    bool FinishVisible() const { return !m_nextVisible; }
    bool DeleteButtonVisible() const { return m_deleteVisible; }
    bool ModifyTextVisible() const { return m_modifyText; }
    bool DeleteTextVisible() const { return m_deleteText; }

    // ---- the style edited
    const TStyleChunk &EditStyle() const;
    // Index in the working copy of the style edited, -1 for a new style.
    int EditIndex() const { return m_editIndex; }
    void SetName(const QString &name);
    void SetImage(const QString &image);
    void SetColour(TStyleSwatch swatch, TColor colour);

    // Set by every change of the working copy or the style edited.
    bool StylesChanged() const { return m_changed; }

    // ---- Finish
    // Adding a style without a name (or a name of blanks only) is refused.
    bool NeedsName() const;
    // The library Finish would write: the working copy, with the new style
    // at its end when adding.
    StyleList StylesToWrite() const;
    // After the library was written: the working copy becomes what was
    // written and nothing counts as changed any more.
    void MarkSaved();

private:
    TStyleChunk &EditRecord();
    void ResetButtons();

    StyleList m_styles;
    TStyleChunk m_newStyle;     // the style edited when it is not in the list
    int m_editIndex = -1;       // the list entry edited, -1 for m_newStyle
    int m_selected = -1;
    TWizardAction m_action = TWizardAction::Add;
    TWizardPage m_page = TWizardPage::Start;
    bool m_nextVisible = true;
    bool m_deleteVisible = true;
    bool m_modifyText = false;
    bool m_deleteText = false;
    bool m_changed = false;
};

} // namespace wobbin
