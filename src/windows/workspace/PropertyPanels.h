#pragma once
// The property panels of the Build workspace, on the right of pnlBuild: one
// per block kind (its fields, its alignment and new-line buttons, the Image
// panel's picture picker) and the blank panel. A panel shows the values of
// the page document's current block; every change the user makes in it goes
// into the block through the document's own operations.

#include "document/PageHistory.h"
#include "page/PageDocument.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <array>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QToolButton;
class QWidget;

namespace wobbin {

class TPictureLoader;
namespace panels {
struct TPanelControl;
}
struct ImagePickResult;
struct TWebChunk;

// Result of the Image panel's picture picker.
struct TImagePickOutcome {
    bool chosen = false;  // a file was chosen in the dialog
    bool ok = false;      // the fields were written
    QString error;        // shown to the user when not ok
};

class TPropertyPanels : public QObject
{
    Q_OBJECT
public:
    // Creates the seven panels as children of pnlBuild, the blank one in front.
    TPropertyPanels(QWidget *pnlBuild, TPageDocument &document, QObject *parent = nullptr);
    ~TPropertyPanels() override;

    // The HTML folder (holds "graphics" for picked pictures).
    void SetHTMLFolder(const QString &folder) { m_htmlFolder = folder; }
    QString HTMLFolder() const { return m_htmlFolder; }

    // The panel of the document's current block, filled with its values; the
    // blank panel when there is none or it lacks the record of its kind.
    // Filling may store values back (a combo's fallback, or texts that differ
    // from the ones shown before), as the fields' change handlers do.
    void ShowCurrentBlock();
    // The blank panel in front; no block shown.
    void ShowBlank();
    // The panel of that kind in front (-1: the blank one), its buttons
    // released; the block shown stays.
    void ShowPanel(int kind);
    void AssignHelpContext();

    // A block's values are shown.
    bool ShowsBlock() const { return m_shownChunk != nullptr; }
    // The block shown is the document's current block.
    bool ShowsCurrentBlock() const;
    // The first field of the panel shown; nullptr with the blank panel.
    QWidget *FirstField() const;
    // The button `step` places on along the row of alignment and new-line
    // buttons that holds `button` (round at the ends); nullptr for any other control.
    QWidget *RowNeighbour(const QWidget *button, int step) const;
    // The six kind panels, by block kind.
    const std::array<QFrame *, 6> &KindPanels() const { return m_kindPanels; }

Q_SIGNALS:
    // The page changed (the document's changed flag is set).
    void documentChanged();
    // A field's text went into its block (right after documentChanged).
    void fieldWritten();
    // The user changed the block: one step for the history (after the change).
    void pageEdited(wobbin::EditStep step, int kind, const QString &typingKey);
    void whatsThisRequested(QWidget *control, QPoint globalPos, int context);
    // A picture chosen for the Image panel has been read (or could not be).
    void imagePicked(const wobbin::TImagePickOutcome &outcome);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // ---- construction (PropertyPanels.cpp)
    void buildPanel(int kind);
    void makePicker(QWidget *panel, const panels::TPanelControl &c);
    void setUpAccessible();
    QFrame *makePanel(const QString &name, const QString &banner, const QString &bannerBitmap, int kind);
    QLabel *makeLabel(QWidget *parent, const QString &name, int textId, int x, int y, int w = 0, int h = 0);
    QLineEdit *makeEdit(QWidget *parent, const QString &name, int x, int y, int w, BlockField field);
    QComboBox *makeCombo(QWidget *parent, const QString &name, int y, int firstTextId, BlockField field);
    QToolButton *makeSpeed(QWidget *parent, const QString &name, int glyph, int textId, int hintId, int tag,
                           int x, int y);
    void makeAlignRow(QWidget *panel, const QString &prefix, int kind, int y);

    // ---- showing and changing the block (PropertyPanels_fields.cpp)
    const TWebChunk *currentChunk() const;
    void fillPanel(int kind);
    void setEditText(QLineEdit *edit, const QString &text);
    void selectCombo(QComboBox *combo, const QString &text, BlockField field);
    void writeField(QObject *sender, BlockField field);
    void alignClicked(QToolButton *button, int kind, int value);
    void newLineClicked(QToolButton *button, int kind);
    void pickImage();
    void imageRead(const ImagePickResult &result);

    TPageDocument &m_doc;
    QWidget *m_pnlBuild;
    QString m_htmlFolder;
    const TWebChunk *m_shownChunk = nullptr; // block whose values the panel shows
    bool m_pickingImage = false;             // the picker writes three fields as one step
    bool m_fillingPanel = false;             // the panel is being filled from its block

    std::array<QFrame *, 6> m_kindPanels{};
    QFrame *m_pnlBlank = nullptr;
    // The eighteen fields (line edits, the combo boxes and the paragraph), by BlockField.
    std::array<QWidget *, kBlockFieldCount> m_fields{};
    QWidget *field(BlockField f) const { return m_fields[std::size_t(f)]; }
    QLineEdit *lineEdit(BlockField f) const;
    QToolButton *m_spdImgFile = nullptr;
    TPictureLoader *m_pictureLoader = nullptr;
    const TWebChunk *m_pickTarget = nullptr; // the block shown when the picture was chosen
    QPointer<QWidget> m_pickFocusMovedTo;    // where the focus went from the picker button meanwhile
    // Alignment buttons [kind 0..4][Left, Center, Right] and new-line buttons [kind].
    std::array<std::array<QToolButton *, 3>, 5> m_alignButtons{};
    std::array<QToolButton *, 5> m_returnButtons{};
};

} // namespace wobbin
