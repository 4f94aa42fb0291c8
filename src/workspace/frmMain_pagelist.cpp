// The list of templates and saved pages on the Choose panel: filling it, the
// picture of the selected entry, and its pop-up commands Delete and Rename.
#include "workspace/frmMain.h"

#include "app/Dialogs_gui.h"
#include "base/Paths.h"
#include "app/Skin_gui.h"
#include "app/StringTable.h"
#include "page/PageFile.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace wobbin {

namespace {

enum { PathRole = Qt::UserRole, KindRole = Qt::UserRole + 1 };

QString ListFolder(const QString &appDir, const QString &name)
{
    return FindPathNoCase(ToNativePath(JoinPath(appDir, name)));
}

// Blanks and control characters at either end removed.
QString TrimCaption(const QString &caption)
{
    int from = 0, to = caption.size();
    auto blank = [](QChar c) { return c.isSpace() || c.category() == QChar::Other_Control; };
    while (from < to && blank(caption.at(from)))
        ++from;
    while (to > from && blank(caption.at(to - 1)))
        --to;
    return caption.mid(from, to - from);
}

bool HasForbiddenCharacter(const QString &caption)
{
    for (const QChar c : caption)
        if (QStringLiteral("/\\:*?\"<>|").contains(c))
            return true;
    return false;
}

// The picture beside a page file follows the page: an old picture left at
// the new name by an earlier page of that name is replaced.
void MovePicture(const QString &from, const QString &to)
{
    const QString source = from + QStringLiteral(".bmp");
    if (!QFileInfo::exists(source))
        return;
    const QString target = to + QStringLiteral(".bmp");
    if (QFileInfo::exists(target) && QFileInfo(target).canonicalFilePath() != QFileInfo(source).canonicalFilePath())
        QFile::remove(target);
    QFile::rename(source, target);
}

// Choosing a style with the arrow keys applies it as a click does: the row
// before a key press is compared with the row once the list has handled it.
class TStyleKeys : public QObject
{
public:
    TStyleKeys(QListWidget *list, std::function<void()> chosen)
        : QObject(list), m_list(list), m_chosen(std::move(chosen))
    {
        list->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int before = m_list->currentRow();
            QTimer::singleShot(0, this, [this, before] {
                if (m_list->currentRow() != before && m_list->currentRow() >= 0)
                    m_chosen();
            });
        }
        return false;
    }

private:
    QListWidget *m_list;
    std::function<void()> m_chosen;
};

} // namespace

void TfrmMain::GetTemplates()
{
    lvTemplates->clear();
    const struct {
        const char *folder;
        const char *mask;
        const char *icon;
    } passes[] = {{"template", "*.qzt", "Icon_Template"}, {"save", "*.qze", "Icon_Page"}};
    for (int pass = 0; pass < 2; ++pass) {
        const QDir dir(ListFolder(AppDir, QLatin1String(passes[pass].folder)));
        if (!dir.exists())
            continue;
        const QIcon icon(LoadBitmap(QLatin1String(passes[pass].icon)));
        // The file system gives no useful order here; sorting by name keeps the
        // list the same from one visit to the next.
        QDir::Filters filters = QDir::Files | QDir::Hidden | QDir::System;
        QFileInfoList files = dir.entryInfoList({QLatin1String(passes[pass].mask)}, filters,
                                                QDir::Name | QDir::IgnoreCase);
        for (const QFileInfo &fi : files) {
            const QString name = fi.fileName();
            const int dot = name.lastIndexOf(QLatin1Char('.'));
            auto *item = new QListWidgetItem(icon, dot > 0 ? name.left(dot) : name);
            item->setData(PathRole, QDir::toNativeSeparators(fi.absoluteFilePath()));
            item->setData(KindRole, pass);
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            lvTemplates->addItem(item);
        }
    }
    lvTemplates->setCurrentItem(nullptr);
    lvTemplates->clearSelection();
    if (lvTemplates->count() > 0)
        lvTemplates->scrollToItem(lvTemplates->item(0));
}

void TfrmMain::ShowPreview(const QString &path)
{
    const QString picture = ReadPreviewPicture(FindPathNoCase(ToNativePath(path)));
    const QPixmap pm = picture.isEmpty() ? QPixmap() : QPixmap(picture);
    if (pm.isNull()) {
        // No picture of this entry: the mascot, not the picture of another entry.
        imgPreView->hide();
        imgFrontPip->show();
        return;
    }
    imgPreView->setPixmap(pm);
    imgPreView->show();
    imgFrontPip->hide();
    lblChoosePreview->show();
}

void TfrmMain::lvTemplatesClick()
{
    QListWidgetItem *item = lvTemplates->currentItem();
    if (item && item->isSelected() && !m_renaming)
        ShowPreview(item->data(PathRole).toString());
}

void TfrmMain::lvTemplatesDblClick()
{
    QListWidgetItem *item = lvTemplates->currentItem();
    if (item && item->isSelected() && !m_renaming)
        DoTemplate(item->data(PathRole).toString(), item->data(KindRole).toInt() == 1);
}

void TfrmMain::Delete1Click()
{
    QListWidgetItem *item = lvTemplates->currentItem();
    if (!item || m_renaming)
        return;
    const QString path = FindPathNoCase(ToNativePath(item->data(PathRole).toString()));
    const QString question = LoadStr(5080) + QStringLiteral(" \"") + item->text() + QStringLiteral("\"?");
    if (MsgBox(this, question, QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    if (QFileInfo::exists(path) && !QFile::remove(path)) {
        MsgBox(this, QStringLiteral("The file \"%1\" could not be deleted.").arg(QDir::toNativeSeparators(path)),
               QMessageBox::Warning, QMessageBox::Ok);
        GetTemplates();
        return;
    }
    // A picture left without its page is removed as well.
    const QString picture = path + QStringLiteral(".bmp");
    if (QFileInfo::exists(picture))
        QFile::remove(picture);
    imgPreView->hide();
    imgFrontPip->show();
    GetTemplates();
}

void TfrmMain::Rename1Click()
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

void TfrmMain::lvTemplatesEdited()
{
    if (!m_renaming)
        return;
    m_renaming = false;
    QListWidgetItem *item = lvTemplates->item(m_renameRow);
    if (!item || item->data(PathRole).toString() != m_renamePath)
        return;
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);

    const QString oldCaption = m_renameCaption;
    QString caption = item->text();
    if (TrimCaption(caption).isEmpty())
        caption = oldCaption;
    if (HasForbiddenCharacter(caption)) {
        MsgBox(this, LoadStr(5082), QMessageBox::Warning, QMessageBox::Ok);
        caption = oldCaption;
    }
    item->setText(caption);
    if (caption == oldCaption)
        return;

    const QString oldPath = FindPathNoCase(ToNativePath(m_renamePath));
    const QFileInfo oldInfo(oldPath);
    if (!oldInfo.exists()) {
        GetTemplates();
        return;
    }
    const QString suffix = oldInfo.fileName().mid(oldInfo.fileName().lastIndexOf(QLatin1Char('.')));
    const QString newPath = oldInfo.dir().filePath(caption + suffix);
    const QFileInfo newInfo(newPath);
    // Another file of that name stays as it is: renaming never replaces a page.
    if (newInfo.exists() && newInfo.canonicalFilePath() != oldInfo.canonicalFilePath()) {
        MsgBox(this,
               QStringLiteral("A file named \"%1\" already exists. \"%2\" keeps its name.")
                   .arg(caption + suffix, oldCaption),
               QMessageBox::Warning, QMessageBox::Ok);
        item->setText(oldCaption);
        return;
    }
    if (!QFile::rename(oldPath, newPath)) {
        MsgBox(this, QStringLiteral("\"%1\" could not be renamed.").arg(oldCaption), QMessageBox::Warning,
               QMessageBox::Ok);
        GetTemplates();
        return;
    }
    MovePicture(oldPath, newPath);
    // The open document follows its file.
    if (!CurrentFileName.isEmpty()
        && QFileInfo(FindPathNoCase(ToNativePath(CurrentFileName))).absoluteFilePath() == oldInfo.absoluteFilePath()) {
        CurrentFileName = QDir::toNativeSeparators(newPath);
        SetCaption();
    }
    GetTemplates();
}

void TfrmMain::connectDocumentHandlers()
{
    connect(Delete1, &QAction::triggered, this, &TfrmMain::Delete1Click);
    connect(Rename1, &QAction::triggered, this, &TfrmMain::Rename1Click);
    connect(menFileMake, &QAction::triggered, this, &TfrmMain::menFileMakeClick);
    connect(btnEditStyle, &QPushButton::clicked, this, &TfrmMain::btnEditStyleClick);
    new TStyleKeys(lstStyles, [this] { lstStylesClick(); });
    // The caption editor has written its text (or was cancelled) by the time
    // it closes; finish the rename after the view has taken the editor down.
    connect(lvTemplates->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this] { lvTemplatesEdited(); }, Qt::QueuedConnection);
}

} // namespace wobbin
