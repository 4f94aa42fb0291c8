#include "styles/StyleWizard.h"

#include <utility>

namespace wobbin {

TStyleChunk BlankStyle()
{
    return TStyleChunk{};
}

TStyleChunk ClearedStyle()
{
    TStyleChunk s = BlankStyle();
    s.BackColour = 0x00C0C0C0;    // silver
    s.TextColour = 0x00000000;    // black
    s.LinkColour = 0x00FF0000;    // blue
    s.ActiveColour = 0x000000FF;  // red
    s.VisitedColour = 0x00FF00FF; // fuchsia
    return s;
}

TColor SwatchColour(const TStyleChunk &style, TStyleSwatch swatch)
{
    switch (swatch) {
    case TStyleSwatch::Back:
        return style.BackColour;
    case TStyleSwatch::Doc:
        return style.TextColour;
    case TStyleSwatch::Standard:
        return style.LinkColour;
    case TStyleSwatch::Active:
        return style.ActiveColour;
    case TStyleSwatch::Visited:
        return style.VisitedColour;
    }
    return 0;
}

void SetSwatchColour(TStyleChunk &style, TStyleSwatch swatch, TColor colour)
{
    switch (swatch) {
    case TStyleSwatch::Back:
        style.BackColour = colour;
        break;
    case TStyleSwatch::Doc:
        style.TextColour = colour;
        break;
    case TStyleSwatch::Standard:
        style.LinkColour = colour;
        break;
    case TStyleSwatch::Active:
        style.ActiveColour = colour;
        break;
    case TStyleSwatch::Visited:
        style.VisitedColour = colour;
        break;
    }
}

QString FirstDuplicateName(const StyleList &styles, int *second)
{
    for (int i = 0; i < styles.size(); ++i) {
        for (int j = i + 1; j < styles.size(); ++j) {
            if (styles.at(i).Name.compare(styles.at(j).Name, Qt::CaseInsensitive) == 0) {
                if (second)
                    *second = j;
                return styles.at(i).Name;
            }
        }
    }
    if (second)
        *second = -1;
    return QString();
}

TStyleWizard::TStyleWizard(const StyleList &library) : m_styles(library), m_newStyle(ClearedStyle()) {}

QStringList TStyleWizard::Names() const
{
    QStringList names;
    names.reserve(m_styles.size());
    for (const TStyleChunk &s : m_styles)
        names << s.Name;
    return names;
}

void TStyleWizard::SelectStyle(int index)
{
    if (index < 0 || index >= m_styles.size()) {
        m_selected = -1;
        return;
    }
    m_selected = index;
    m_editIndex = index;
}

bool TStyleWizard::DeleteSelected()
{
    if (m_selected < 0 || m_selected >= m_styles.size())
        return false;
    m_styles.removeAt(m_selected);
    m_selected = -1;
    m_editIndex = -1;
    m_newStyle = ClearedStyle();
    m_changed = true;
    return true;
}

bool TStyleWizard::MoveUp()
{
    if (m_selected <= 0 || m_selected >= m_styles.size())
        return false;
    const int from = m_selected, to = m_selected - 1;
    m_styles.swapItemsAt(from, to);
    if (m_editIndex == from)
        m_editIndex = to;
    else if (m_editIndex == to)
        m_editIndex = from;
    m_selected = to;
    m_changed = true;
    return true;
}

bool TStyleWizard::MoveDown()
{
    if (m_selected < 0 || m_selected >= m_styles.size() - 1)
        return false;
    const int from = m_selected, to = m_selected + 1;
    m_styles.swapItemsAt(from, to);
    if (m_editIndex == from)
        m_editIndex = to;
    else if (m_editIndex == to)
        m_editIndex = from;
    m_selected = to;
    m_changed = true;
    return true;
}

void TStyleWizard::ResetButtons()
{
    m_nextVisible = true;
    m_deleteVisible = true;
    m_modifyText = false;
    m_deleteText = false;
}

TStyleWizard::TNextResult TStyleWizard::Next()
{
    switch (m_page) {
    case TWizardPage::Start:
        ResetButtons();
        switch (m_action) {
        case TWizardAction::Add:
            m_editIndex = -1;
            m_newStyle = ClearedStyle();
            m_page = TWizardPage::Editor;
            m_nextVisible = false;
            break;
        case TWizardAction::Modify:
            m_deleteVisible = false;
            m_modifyText = true;
            m_page = TWizardPage::List;
            break;
        case TWizardAction::Delete:
            m_deleteText = true;
            m_page = TWizardPage::List;
            m_nextVisible = false;
            break;
        }
        return TNextResult::Moved;
    case TWizardPage::List:
        if (!m_nextVisible)
            return TNextResult::Ignored;
        if (m_selected < 0)
            return TNextResult::NeedSelection;
        ResetButtons();
        // The style shown is the one selected now, whatever was edited before.
        m_editIndex = m_selected;
        m_page = TWizardPage::Editor;
        m_nextVisible = false;
        return TNextResult::Moved;
    case TWizardPage::Editor:
        break;
    }
    return TNextResult::Ignored;
}

void TStyleWizard::Back()
{
    if (m_page == TWizardPage::Start)
        return;
    m_nextVisible = true;
    m_deleteVisible = false;
    m_modifyText = false;
    m_deleteText = false;
    switch (m_page) {
    case TWizardPage::Editor:
        if (m_action == TWizardAction::Modify) {
            m_modifyText = true;
            m_page = TWizardPage::List;
        } else {
            m_page = TWizardPage::Start;
        }
        break;
    case TWizardPage::List:
        m_page = TWizardPage::Start;
        break;
    case TWizardPage::Start:
        break;
    }
}

const TStyleChunk &TStyleWizard::EditStyle() const
{
    if (m_editIndex >= 0 && m_editIndex < m_styles.size())
        return m_styles.at(m_editIndex);
    return m_newStyle;
}

TStyleChunk &TStyleWizard::EditRecord()
{
    if (m_editIndex >= 0 && m_editIndex < m_styles.size())
        return m_styles[m_editIndex];
    return m_newStyle;
}

void TStyleWizard::SetName(const QString &name)
{
    EditRecord().Name = name;
    m_changed = true;
}

void TStyleWizard::SetImage(const QString &image)
{
    EditRecord().Image = image;
    m_changed = true;
}

void TStyleWizard::SetColour(TStyleSwatch swatch, TColor colour)
{
    SetSwatchColour(EditRecord(), swatch, colour);
    m_changed = true;
}

bool TStyleWizard::NeedsName() const
{
    return m_action == TWizardAction::Add && m_page == TWizardPage::Editor
        && EditStyle().Name.trimmed().isEmpty();
}

StyleList TStyleWizard::StylesToWrite() const
{
    StyleList styles = m_styles;
    if (m_action == TWizardAction::Add && m_page == TWizardPage::Editor && m_editIndex < 0)
        styles.append(m_newStyle);
    return styles;
}

void TStyleWizard::MarkSaved()
{
    const bool appended = m_action == TWizardAction::Add && m_page == TWizardPage::Editor && m_editIndex < 0;
    m_styles = StylesToWrite();
    if (appended)
        m_editIndex = int(m_styles.size()) - 1;
    m_changed = false;
}

} // namespace wobbin
