#include "workspace/ChoosePanel.h"

#include <QKeyEvent>
#include <QTimer>

#include "shell/Dialogs.h"
#include "shell/Skin.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "base/Paths.h"
#include "document/Document.h"
#include "page/PageFile.h"
#include "shell/Accessible.h"
#include "workspace/Controls.h"
#include "shell/Help.h"
#include "workspace/WhatsThis.h"

#include <QAbstractItemDelegate>
#include <QKeyEvent>
#include <QTimer>
#include <QAction>
#include <QListWidget>
#include <QMenu>

namespace wobbin {

namespace {
enum { PathRole = Qt::UserRole, KindRole = Qt::UserRole + 1 };
}

TChoosePanel::TChoosePanel(QWidget *pnlChoose, TDocument &document, TWhatsThis &whatsThis, QObject *parent)
    : QObject(parent), m_doc(document), m_whatsThis(whatsThis)
{
    lblChooseDesc1 = MakeLabel(pnlChoose, "lblChooseDesc1", 12, 6, 400, 16);
    lblChooseDesc2 = MakeLabel(pnlChoose, "lblChooseDesc2", 12, 22, 400, 30, true);
    lblChoosePages = MakeLabel(pnlChoose, "lblChoosePages", 12, 54, 200, 16);
    QFont bold = lblChoosePages->font();
    bold.setBold(true);
    lblChoosePages->setFont(bold);

    lvTemplates = new QListWidget(pnlChoose);
    lvTemplates->setObjectName(QStringLiteral("lvTemplates"));
    lvTemplates->setGeometry(12, 72, 390, 214);
    lvTemplates->setViewMode(QListView::ListMode);
    lvTemplates->setFlow(QListView::TopToBottom);
    lvTemplates->setWrapping(true);
    lvTemplates->setResizeMode(QListView::Adjust);
    lvTemplates->setIconSize(QSize(32, 32));
    lvTemplates->setSpacing(2);
    lvTemplates->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SetTag(lvTemplates, 20);

    lblChoosePreview = MakeLabel(pnlChoose, "lblChoosePreview", 418, 54, 200, 16);
    lblChoosePreview->setFont(bold);
    Panel2 = MakePanel(pnlChoose, "Panel2", 418, 70, 200, 223, QFrame::Panel);
    SetTag(Panel2, 11);
    imgPreView = MakeImage(Panel2, "imgPreView", 2, 2, 196, 219, 11);
    imgPreView->setScaledContents(true);
    imgPreView->hide();
    imgFrontPip = MakeImage(Panel2, "imgFrontPip", (200 - 83) / 2, (223 - 98) / 2, 83, 98, 11);

    popFiles = new QMenu(pnlChoose->window());
    popFiles->setObjectName(QStringLiteral("popFiles"));
    auto add = [this](const char *name, const char *text) {
        QAction *a = popFiles->addAction(QString::fromLatin1(text));
        a->setObjectName(QLatin1String(name));
        return a;
    };
    Delete1 = add("Delete1", "Delete");
    Rename1 = add("Rename1", "Rename");
    WhatsThis1 = add("WhatsThis1", "What's This?");

    for (QWidget *w : {static_cast<QWidget *>(imgFrontPip), static_cast<QWidget *>(imgPreView),
                       static_cast<QWidget *>(Panel2)})
        m_whatsThis.Watch(w);
    // The list's right click offers the entry's commands when one is selected.
    lvTemplates->viewport()->installEventFilter(this);
    lvTemplates->installEventFilter(this);

    connect(lvTemplates, &QListWidget::itemClicked, this, [this] { lvTemplatesClick(); });
    connect(lvTemplates, &QListWidget::itemDoubleClicked, this, [this] { lvTemplatesDblClick(); });
    connect(Delete1, &QAction::triggered, this, &TChoosePanel::Delete1Click);
    connect(Rename1, &QAction::triggered, this, &TChoosePanel::Rename1Click);
    connect(WhatsThis1, &QAction::triggered, this, &TChoosePanel::WhatsThis1Click);
    // The caption editor has written its text (or was cancelled) by the time
    // it closes; finish the rename after the view has taken the editor down.
    connect(lvTemplates->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this] { lvTemplatesEdited(); }, Qt::QueuedConnection);
    connect(&m_doc, &TDocument::pageListChanged, this, &TChoosePanel::GetTemplates);
}

void TChoosePanel::StringEmUp()
{
    SetText(lblChooseDesc1, Msg::ChooseTemplateIntro);
    SetText(lblChooseDesc2, Msg::ChooseSavedPageIntro);
    SetText(lblChoosePages, Msg::TemplatesAndSavedPages);
    NameFromLabel(lvTemplates, lblChoosePages);
    SetText(lblChoosePreview, Msg::Preview);
    lvTemplates->setToolTip(LoadStr(Msg::PageListHint));
    WhatsThis1->setText(LoadStr(Msg::WhatsThis));
    Delete1->setText(LoadStr(Msg::DeletePage));
    Rename1->setText(LoadStr(Msg::RenamePage));
}

void TChoosePanel::PaintEmAll() { ShowImage(imgFrontPip, QStringLiteral("Preview")); }

void TChoosePanel::GetTemplates()
{
    lvTemplates->clear();
    const QIcon icons[] = {QIcon(LoadBitmap(QStringLiteral("Icon_Template"))),
                           QIcon(LoadBitmap(QStringLiteral("Icon_Page")))};
    for (const PageListEntry &entry : ListPages(m_doc.AppDir())) {
        auto *item = new QListWidgetItem(icons[entry.Kind], entry.Caption);
        item->setData(PathRole, entry.Path);
        item->setData(KindRole, entry.Kind);
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        lvTemplates->addItem(item);
    }
    lvTemplates->setCurrentItem(nullptr);
    lvTemplates->clearSelection();
    if (lvTemplates->count() > 0)
        lvTemplates->scrollToItem(lvTemplates->item(0));
}

bool TChoosePanel::SelectedEntry(PageListEntry &entry) const
{
    const QListWidgetItem *item = lvTemplates->currentItem();
    if (!item || !item->isSelected())
        return false;
    entry = {item->text(), item->data(PathRole).toString(), item->data(KindRole).toInt()};
    return true;
}

void TChoosePanel::ShowPreview(const QString &path)
{
    const QString picture = ReadPreviewPicture(FindPathNoCase(ToNativePath(path)));
    const QPixmap pm = picture.isEmpty() ? QPixmap() : QPixmap(picture);
    if (pm.isNull()) {
        // No picture of this entry: the mascot, not the picture of another entry.
        ShowMascot();
        return;
    }
    ShowPicture(pm);
    lblChoosePreview->show();
}

void TChoosePanel::ShowPicture(const QPixmap &picture)
{
    imgPreView->setPixmap(picture);
    imgPreView->show();
    imgFrontPip->hide();
}

void TChoosePanel::ShowMascot()
{
    imgPreView->hide();
    imgFrontPip->show();
}

void TChoosePanel::lvTemplatesClick()
{
    PageListEntry entry;
    if (!m_renaming && SelectedEntry(entry))
        ShowPreview(entry.Path);
}

void TChoosePanel::lvTemplatesDblClick()
{
    PageListEntry entry;
    if (!m_renaming && SelectedEntry(entry))
        Q_EMIT openRequested(entry.Path, entry.IsPage());
}

void TChoosePanel::Delete1Click()
{
    QListWidgetItem *item = lvTemplates->currentItem();
    if (!item || m_renaming)
        return;
    if (MsgBox(lvTemplates, DeletePageQuestion(item->text()), QMessageBox::Warning,
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    const TResult<void> deleted = DeletePage(item->data(PathRole).toString());
    if (!deleted.ok()) {
        MsgBox(lvTemplates, deleted.error().Text(), QMessageBox::Warning, QMessageBox::Ok);
        GetTemplates();
        return;
    }
    ShowMascot();
    GetTemplates();
}

void TChoosePanel::Rename1Click()
{
    QListWidgetItem *item = lvTemplates->currentItem();
    if (!item || m_renaming)
        return;
    m_renameRow = lvTemplates->row(item);
    m_renameCaption = item->text();
    m_renamePath = item->data(PathRole).toString();
    m_renaming = true;
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    lvTemplates->editItem(item);
    // The rename finishes in lvTemplatesEdited when the editor closes.
}

void TChoosePanel::lvTemplatesEdited()
{
    if (!m_renaming)
        return;
    m_renaming = false;
    QListWidgetItem *item = lvTemplates->item(m_renameRow);
    if (!item || item->data(PathRole).toString() != m_renamePath)
        return;
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);

    const RenameOutcome r = RenamePage(m_renamePath, m_renameCaption, item->text());
    item->setText(r.Caption);
    if (!r.Message.isEmpty())
        MsgBox(lvTemplates, r.Message, QMessageBox::Warning, QMessageBox::Ok);
    if (r.Outcome == RenameOutcome::Renamed)
        m_doc.FileRenamed(FindPathNoCase(ToNativePath(m_renamePath)), r.NewPath);
    if (r.Outcome == RenameOutcome::Renamed || r.Outcome == RenameOutcome::Missing
        || r.Outcome == RenameOutcome::Failed)
        GetTemplates();
}

void TChoosePanel::WhatsThis1Click() { THelp::ShowPopup(TagOf(lvTemplates), popFiles->pos(), lvTemplates->window()); }

bool TChoosePanel::eventFilter(QObject *watched, QEvent *event)
{
    // The page list by keyboard: the arrows choose (and show the picture),
    // Enter opens, F2 renames, Delete deletes after its question.
    if (watched == lvTemplates && event->type() == QEvent::KeyPress && !m_renaming) {
        auto *e = static_cast<QKeyEvent *>(event);
        switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            lvTemplatesDblClick();
            return true;
        case Qt::Key_F2:
            Rename1Click();
            return true;
        case Qt::Key_Delete:
            Delete1Click();
            return true;
        default:
            QTimer::singleShot(0, this, [this] { lvTemplatesClick(); });
            return false;
        }
    }
    QPoint at;
    if (!IsRightRelease(event, &at))
        return false;
    PageListEntry entry;
    if (SelectedEntry(entry))
        popFiles->popup(at);
    else
        m_whatsThis.PopUp(TagOf(lvTemplates), at);
    return true;
}

} // namespace wobbin
