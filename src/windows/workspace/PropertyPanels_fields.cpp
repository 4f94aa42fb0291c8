// The property panels at work: which panel shows, filling it from the current
// block, the change handlers of the fields and buttons (each a document
// operation), the alignment groups, right-click help and the picture picker.

#include "workspace/PropertyPanels.h"
#include "workspace/Controls.h"
#include "workspace/PropertyPanels_p.h"

#include "base/Paths.h"
#include "shell/Dialogs.h"
#include "imaging/ImagePicker.h"
#include "imaging/PictureLoader.h"
#include "page/WebBlock.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>
#include <algorithm>

namespace wobbin {

using namespace panels;

namespace {

// The paragraph record keeps CR LF between lines; the edit works with LF.
QString ParagraphToEdit(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString ParagraphFromEdit(QString text)
{
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return text;
}

} // namespace

const TWebChunk *TPropertyPanels::currentChunk() const
{
    if (!m_doc.Blocks.IsValidIndex(m_doc.CurrentBlockIndex))
        return nullptr;
    return &m_doc.Blocks.At(m_doc.CurrentBlockIndex);
}

bool TPropertyPanels::ShowsCurrentBlock() const
{
    return m_shownChunk && m_shownChunk == currentChunk();
}

void TPropertyPanels::ShowCurrentBlock()
{
    m_shownChunk = currentChunk();
    const bool wasFilling = m_fillingPanel;
    m_fillingPanel = true;
    fillPanel(m_shownChunk ? m_shownChunk->Kind : -1);
    m_fillingPanel = wasFilling;
}

void TPropertyPanels::ShowBlank()
{
    m_shownChunk = nullptr;
    ShowPanel(-1);
}

void TPropertyPanels::ShowPanel(int kind)
{
    QFrame *show = (kind >= 0 && kind < 6) ? m_kindPanels[std::size_t(kind)] : m_pnlBlank;
    // Every other panel is hidden; the one shown stays up if it already is
    // (no flicker, and its field keeps the keyboard focus).
    for (QFrame *p : m_kindPanels)
        if (p != show && !p->isHidden())
            p->hide();
    if (m_pnlBlank != show && !m_pnlBlank->isHidden())
        m_pnlBlank->hide();
    if (kind >= 0 && kind <= 4) {
        for (QToolButton *b : m_alignButtons[std::size_t(kind)])
            b->setChecked(false);
        m_returnButtons[std::size_t(kind)]->setChecked(false);
    }
    if (show->isHidden())
        show->show();
    show->raise();
}

QWidget *TPropertyPanels::FirstField() const
{
    if (!m_shownChunk || m_shownChunk->Kind < 0 || m_shownChunk->Kind >= kKindCount)
        return nullptr;
    return field(FirstFieldOf(m_shownChunk->Kind));
}

QLineEdit *TPropertyPanels::lineEdit(BlockField f) const
{
    return qobject_cast<QLineEdit *>(field(f));
}

QWidget *TPropertyPanels::RowNeighbour(const QWidget *button, int step) const
{
    for (std::size_t kind = 0; kind < m_returnButtons.size(); ++kind) {
        const std::array<QToolButton *, 4> row = {m_alignButtons[kind][0], m_alignButtons[kind][1],
                                                  m_alignButtons[kind][2], m_returnButtons[kind]};
        const auto at = std::find(row.begin(), row.end(), button);
        if (at == row.end())
            continue;
        const int i = int(at - row.begin());
        return row[std::size_t(((i + step) % 4 + 4) % 4)];
    }
    return nullptr;
}

// Sets an edit's text the way a program write does: only a different text
// counts as a change (and then runs the change handler).
void TPropertyPanels::setEditText(QLineEdit *edit, const QString &text)
{
    if (edit->text() != text)
        edit->setText(text);
}

void TPropertyPanels::selectCombo(QComboBox *combo, const QString &text, BlockField field)
{
    const int i = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i >= 0) {
        combo->setCurrentIndex(i);
    } else {
        combo->setCurrentIndex(0);
        writeField(combo, field);
    }
}

void TPropertyPanels::fillPanel(int kind)
{
    const TWebChunk *c = m_shownChunk;
    // A block without the record of its kind has nothing to show.
    const bool hasRecord = c && kind >= 0 && kind < kKindCount && BlockFieldText(*c, FirstFieldOf(kind));
    ShowPanel(hasRecord ? kind : -1);
    if (!hasRecord) {
        m_shownChunk = nullptr;
        return;
    }
    for (const TPanelControl &f : kPanelKinds[kind].Controls) {
        if (!f.IsField())
            continue;
        // A copy: showing the text may store a value back into the block.
        const QString text = *BlockFieldText(*c, f.Field);
        QWidget *w = field(f.Field);
        if (f.Type == Ctl::Combo) {
            selectCombo(static_cast<QComboBox *>(w), text, f.Field);
        } else if (f.Type == Ctl::Paragraph) {
            auto *para = static_cast<QPlainTextEdit *>(w);
            const QString shown = ParagraphToEdit(text);
            if (para->toPlainText() != shown)
                para->setPlainText(shown);
        } else {
            setEditText(static_cast<QLineEdit *>(w), text);
        }
    }
    if (const BlockAlignment a = BlockAlignmentOf(*c); a.Has) {
        if (a.Align >= 1 && a.Align <= 3)
            m_alignButtons[std::size_t(kind)][std::size_t(a.Align - 1)]->setChecked(true);
        m_returnButtons[std::size_t(kind)]->setChecked(a.NewLine == 1);
    }
    if (!m_doc.LoadingDocument)
        field(FirstFieldOf(kind))->setFocus(Qt::OtherFocusReason);
}

// The change handler of the eighteen fields: the control's text goes into
// its field of the block whose panel is shown, while that is the current one.
void TPropertyPanels::writeField(QObject *sender, BlockField field)
{
    if (m_doc.SuppressFieldEvents || !ShowsCurrentBlock())
        return;
    QString text;
    if (auto *e = qobject_cast<QLineEdit *>(sender))
        text = e->text();
    else if (auto *cb = qobject_cast<QComboBox *>(sender))
        text = cb->currentText();
    else if (auto *para = qobject_cast<QPlainTextEdit *>(sender))
        text = ParagraphFromEdit(para->toPlainText());
    const int kind = m_shownChunk->Kind;
    if (!m_doc.SetBlockField(m_doc.CurrentBlockIndex, field, text))
        return;
    Q_EMIT documentChanged();
    Q_EMIT fieldWritten();
    // Values the program writes back while it fills the panel are no step of the user's.
    if (!m_pickingImage && !m_fillingPanel)
        Q_EMIT pageEdited(EditStep::Field, kind, sender->objectName());
}

// One alignment group: at most one button down; clicking the down one again
// releases it. The group releases the others without running their handlers.
void TPropertyPanels::alignClicked(QToolButton *button, int kind, int value)
{
    if (button->isChecked()) {
        for (QToolButton *b : m_alignButtons[std::size_t(kind)])
            if (b != button)
                b->setChecked(false);
    }
    if (m_doc.SuppressFieldEvents || !ShowsCurrentBlock() || m_shownChunk->Kind != kind)
        return;
    if (m_doc.SetBlockAlign(m_doc.CurrentBlockIndex, button->isChecked() ? value : 0)) {
        Q_EMIT documentChanged();
        Q_EMIT pageEdited(EditStep::Align, kind, QString());
    }
}

void TPropertyPanels::newLineClicked(QToolButton *button, int kind)
{
    if (m_doc.SuppressFieldEvents || !ShowsCurrentBlock() || m_shownChunk->Kind != kind)
        return;
    if (m_doc.SetBlockNewLine(m_doc.CurrentBlockIndex, button->isChecked())) {
        Q_EMIT documentChanged();
        Q_EMIT pageEdited(EditStep::NewLine, kind, QString());
    }
}

// Right-click help of panels, labels, banners, buttons and the e-mail edits.
bool TPropertyPanels::eventFilter(QObject *watched, QEvent *event)
{
    QPoint at;
    if (!IsRightRelease(event, &at))
        return QObject::eventFilter(watched, event);
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w || !w->property("Tag").isValid())
        return false;
    Q_EMIT whatsThisRequested(w, at, w->property("Tag").toInt());
    return true; // handled here; the panel behind does not answer again
}

// The Image panel's picture picker. The picture is copied, converted and
// measured on a thread of its own, so that a slow one never freezes the
// window; imagePicked tells how it went.
void TPropertyPanels::pickImage()
{
    if (m_pictureLoader && m_pictureLoader->IsBusy())
        return;
    const QString initial = FindPathNoCase(ToNativePath(JoinPath(m_htmlFolder, QStringLiteral("graphics"))));
    const FileDialogResult r = OpenFileDialog(
        m_pnlBuild->window(), QStringLiteral("Open"), initial, QString(),
        QStringLiteral("All Graphic Files|*.jpg;*.bmp;*.gif;*.pcx;*.png;*.pcd;*.tif;*.tga;*.eps|"
                       "jpeg|*.jpg|bmp|*.bmp|gif|*.gif|pcx|*.pcx|png|*.png|pcd|*.pcd|"
                       "tif|*.tif|tga|*.tga|eps|*.eps"));
    if (!r.Chosen || r.FileName.isEmpty())
        return;
    // The block the panel shows when the picker starts is the one that gets the picture.
    m_pickTarget = m_shownChunk;
    if (!m_pictureLoader) {
        m_pictureLoader = new TPictureLoader(this);
        connect(m_pictureLoader, &TPictureLoader::picked, this, &TPropertyPanels::imageRead);
    }
    // The window stays usable meanwhile; only a second pick waits. The
    // button's focus, which Qt moves on while it is off, comes back after.
    const bool hadFocus = m_spdImgFile->window()->focusWidget() == m_spdImgFile;
    m_spdImgFile->setEnabled(false);
    m_pickFocusMovedTo = hadFocus ? m_spdImgFile->window()->focusWidget() : nullptr;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    m_pictureLoader->StartPick(r.FileName, m_htmlFolder);
}

void TPropertyPanels::imageRead(const ImagePickResult &r)
{
    QApplication::restoreOverrideCursor();
    m_spdImgFile->setEnabled(true);
    if (m_pickFocusMovedTo && m_spdImgFile->window()->focusWidget() == m_pickFocusMovedTo && m_spdImgFile->isVisible())
        m_spdImgFile->setFocus(Qt::OtherFocusReason);
    m_pickFocusMovedTo = nullptr;
    TImagePickOutcome out;
    out.chosen = true;
    const TWebChunk *target = m_pickTarget;
    m_pickTarget = nullptr;
    if (!r.ok) {
        out.error = r.error;
        MsgBox(m_pnlBuild->window(), r.error, QMessageBox::Critical);
    } else if (!target || target != m_shownChunk || target != currentChunk() || target->Kind != bkImage) {
        out.error = QStringLiteral("The picture block is no longer shown.");
    } else {
        // The three fields are one step of the page's history.
        m_pickingImage = true;
        lineEdit(BlockField::ImageFile)->setText(r.relativePath);
        lineEdit(BlockField::ImageHeight)->setText(r.height);
        lineEdit(BlockField::ImageWidth)->setText(r.width);
        m_pickingImage = false;
        Q_EMIT pageEdited(EditStep::Picture, bkImage, QString());
        out.ok = true;
    }
    Q_EMIT imagePicked(out);
}

} // namespace wobbin
