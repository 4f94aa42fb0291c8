#pragma once
// The Choose panel: everything inside pnlChoose. The list of templates and
// saved pages (lvTemplates) with its pop-up commands Delete and Rename, and
// the preview box showing the picture of the selected entry or the mascot.
// What the commands do to the files is decided in document/PageList.h.

#include "document/PageList.h"

#include <QObject>
#include <QPixmap>
#include <QString>

class QAction;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QWidget;

namespace wobbin {

class TDocument;
class TImage;
class TWhatsThis;

class TChoosePanel : public QObject
{
    Q_OBJECT
public:
    // Creates the controls as children of pnlChoose (629 x 294).
    TChoosePanel(QWidget *pnlChoose, TDocument &document, TWhatsThis &whatsThis, QObject *parent = nullptr);

    // Texts from the string table and the mascot's picture.
    void StringEmUp();
    void PaintEmAll();

    // Reads the list again (templates first); nothing is selected afterwards.
    void GetTemplates();
    // The entry selected in the list; false when none is.
    bool SelectedEntry(PageListEntry &entry) const;
    // The picture of the file beside the page, or the mascot when it has none.
    void ShowPreview(const QString &path);
    // The picture of the page just saved.
    void ShowPicture(const QPixmap &picture);
    // The mascot instead of a page picture.
    void ShowMascot();

    // Handlers of the list and its pop-up menu.
    void lvTemplatesClick();
    void lvTemplatesDblClick();
    void Delete1Click();
    void Rename1Click();
    void WhatsThis1Click();
    // Finishes an in-place rename once the caption editor has closed.
    void lvTemplatesEdited();

Q_SIGNALS:
    // An entry was double-clicked: open it.
    void openRequested(const QString &path, bool isPage);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TDocument &m_doc;
    TWhatsThis &m_whatsThis;
    QLabel *lblChooseDesc1 = nullptr, *lblChooseDesc2 = nullptr, *lblChoosePages = nullptr,
           *lblChoosePreview = nullptr;
    QListWidget *lvTemplates = nullptr;
    QFrame *Panel2 = nullptr;
    TImage *imgPreView = nullptr;
    TImage *imgFrontPip = nullptr;
    QMenu *popFiles = nullptr;
    QAction *Delete1 = nullptr, *Rename1 = nullptr, *WhatsThis1 = nullptr;

    bool m_renaming = false;
    int m_renameRow = -1;
    QString m_renameCaption;
    QString m_renamePath;
};

} // namespace wobbin
