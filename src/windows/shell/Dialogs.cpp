#include "shell/Dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <deque>

namespace wobbin {

namespace {

struct DialogPreset {
    enum Kind { File, Cancel, Colour } kind = Cancel;
    QString path;
    int filterIndex = 1;
    QColor colour;
};

struct DialogState {
    std::deque<QMessageBox::StandardButton> answers;
    std::deque<DialogPreset> dialogs;
    bool nonInteractive = false;
    QStringList messages;
    QMessageBox::Icon lastIcon = QMessageBox::NoIcon;
    QString lastCaption;
    QStringList fileDialogs;
    std::deque<std::function<void(QDialog *)>> drivers;
    QStringList windows;
};

DialogState &State()
{
    static DialogState s;
    return s;
}

QString ProgramTitle()
{
    const QString name = QApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Wobbin Express") : name;
}

QMessageBox::StandardButton FallbackAnswer(QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton)
{
    if (defaultButton != QMessageBox::NoButton && buttons.testFlag(defaultButton))
        return defaultButton;
    for (auto b : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok})
        if (buttons.testFlag(b))
            return b;
    return QMessageBox::NoButton;
}

// Takes the next file/colour preset, if any.
bool TakeDialogPreset(DialogPreset &out)
{
    auto &s = State();
    if (s.dialogs.empty())
        return false;
    out = s.dialogs.front();
    s.dialogs.pop_front();
    return true;
}

QString WithDefaultExt(const QString &path, const QString &defaultExt)
{
    if (path.isEmpty() || defaultExt.isEmpty())
        return path;
    if (!QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QLatin1Char('.') + defaultExt;
}

QWidget *OwnerWindow(const QWidget *dialog)
{
    if (dialog->parentWidget())
        return dialog->parentWidget()->window();
    QWidget *active = QApplication::activeWindow();
    return active != dialog ? active : nullptr;
}

void PlaceOverOwner(QWidget *dialog)
{
    const QWidget *owner = OwnerWindow(dialog);
    QScreen *screen = owner ? owner->screen() : dialog->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    const QRect over = owner && owner->isVisible() ? owner->frameGeometry() : area;
    if (!over.isValid())
        return;
    // The frame's own size once the window manager has framed it, else the
    // window's (the decorations are then added around it).
    const QSize size = dialog->frameGeometry().size().expandedTo(dialog->size());
    QPoint topLeft = over.center() - QPoint(size.width() / 2, size.height() / 2);
    if (area.isValid()) {
        topLeft.setX(qBound(area.left(), topLeft.x(), qMax(area.left(), area.right() - size.width())));
        topLeft.setY(qBound(area.top(), topLeft.y(), qMax(area.top(), area.bottom() - size.height())));
    }
    dialog->move(topLeft);
}

// Centres the dialog each time it is about to show, when its size is known.
class TCentreOnShow : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched == parent())
            PlaceOverOwner(static_cast<QWidget *>(watched));
        return false;
    }
};

} // namespace

TFocusReturn::TFocusReturn()
    : m_window(QApplication::activeWindow()), m_focus(QApplication::focusWidget())
{
    if (m_focus && !m_window)
        m_window = m_focus->window();
}

TFocusReturn::~TFocusReturn()
{
    if (!m_window || !m_window->isVisible())
        return;
    // Another modal window still open keeps the keyboard.
    const QWidget *modal = QApplication::activeModalWidget();
    if (modal && modal != m_window)
        return;
    if (QApplication::activeWindow() != m_window)
        m_window->activateWindow();
    if (m_focus && m_focus->window() == m_window && m_focus->isVisible() && m_focus->isEnabled()
        && QApplication::focusWidget() != m_focus)
        m_focus->setFocus(Qt::OtherFocusReason);
}

void CentreOverParent(QWidget *dialog)
{
    if (!dialog || dialog->findChild<TCentreOnShow *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    dialog->installEventFilter(new TCentreOnShow(dialog));
}

void TDialogs::PresetAnswer(QMessageBox::StandardButton button) { State().answers.push_back(button); }

void TDialogs::PresetFile(const QString &path, int filterIndex)
{
    DialogPreset p;
    p.kind = DialogPreset::File;
    p.path = path;
    p.filterIndex = filterIndex;
    State().dialogs.push_back(p);
}

void TDialogs::PresetCancel() { State().dialogs.push_back(DialogPreset{}); }

void TDialogs::PresetColour(const QColor &colour)
{
    DialogPreset p;
    p.kind = DialogPreset::Colour;
    p.colour = colour;
    State().dialogs.push_back(p);
}

void TDialogs::ClearPresets()
{
    auto &s = State();
    s.answers.clear();
    s.dialogs.clear();
    s.messages.clear();
    s.fileDialogs.clear();
    s.drivers.clear();
    s.windows.clear();
    s.lastIcon = QMessageBox::NoIcon;
    s.lastCaption.clear();
}

int TDialogs::PendingPresets()
{
    return int(State().answers.size() + State().dialogs.size() + State().drivers.size());
}
void TDialogs::SetNonInteractive(bool on) { State().nonInteractive = on; }
QStringList TDialogs::ShownMessages() { return State().messages; }
QString TDialogs::LastMessage() { return State().messages.isEmpty() ? QString() : State().messages.last(); }
QMessageBox::Icon TDialogs::LastIcon() { return State().lastIcon; }
QString TDialogs::LastCaption() { return State().lastCaption; }
QStringList TDialogs::ShownFileDialogs() { return State().fileDialogs; }
void TDialogs::PresetDialog(std::function<void(QDialog *)> drive) { State().drivers.push_back(std::move(drive)); }
QStringList TDialogs::ShownDialogs() { return State().windows; }

int ExecDialog(QDialog &dialog)
{
    auto &s = State();
    s.windows << dialog.objectName();
    CentreOverParent(&dialog);
    const TFocusReturn focusReturn;
    if (!s.drivers.empty()) {
        auto drive = std::move(s.drivers.front());
        s.drivers.pop_front();
        QPointer<QDialog> shown(&dialog);
        // Once the window is up and its own event loop runs.
        QTimer::singleShot(0, &dialog, [shown, drive] {
            if (shown)
                drive(shown);
        });
        return dialog.exec();
    }
    if (s.nonInteractive)
        return -1;
    return dialog.exec();
}

QMessageBox::StandardButton MsgBox(QWidget *parent, const QString &text, QMessageBox::Icon icon,
                                   QMessageBox::StandardButtons buttons,
                                   QMessageBox::StandardButton defaultButton)
{
    return MsgBoxCaption(parent, ProgramTitle(), text, icon, buttons, defaultButton);
}

QMessageBox::StandardButton MsgBoxCaption(QWidget *parent, const QString &caption, const QString &text,
                                          QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                          QMessageBox::StandardButton defaultButton)
{
    auto &s = State();
    s.messages << text;
    s.lastIcon = icon;
    s.lastCaption = caption;
    if (!s.answers.empty()) {
        const auto answer = s.answers.front();
        s.answers.pop_front();
        return answer;
    }
    if (s.nonInteractive)
        return FallbackAnswer(buttons, defaultButton);

    const TFocusReturn focusReturn;
    QMessageBox box(icon, caption, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    CentreOverParent(&box);
    const int r = box.exec();
    return static_cast<QMessageBox::StandardButton>(r);
}

QStringList ConvertFilter(const QString &filter)
{
    QStringList out;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts[i].trimmed();
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt reads the patterns from the parentheses: rebuild them from the pattern part.
        const int paren = desc.indexOf(QLatin1Char('('));
        if (paren >= 0)
            desc = desc.left(paren).trimmed();
        out << desc + QStringLiteral(" (") + patterns.simplified() + QLatin1Char(')');
    }
    return out;
}

namespace {
enum class FileDialogMode { Open, Save, Folder };
}

// The one way every file and folder dialog goes: a preset a test gave, none
// when not interactive, else Qt's dialog centred over its parent.
static FileDialogResult RunFileDialog(QWidget *parent, const QString &title, const QString &initialDir,
                                      const QString &fileName, const QString &filter, int filterIndex,
                                      const QString &defaultExt, FileDialogMode mode)
{
    auto &s = State();
    s.fileDialogs << title;
    FileDialogResult result;
    const bool save = mode == FileDialogMode::Save;
    const bool folder = mode == FileDialogMode::Folder;
    DialogPreset preset;
    if (TakeDialogPreset(preset)) {
        if (preset.kind == DialogPreset::File) {
            result.Chosen = true;
            result.FileName = save ? WithDefaultExt(preset.path, defaultExt) : preset.path;
            if (!folder)
                result.FilterIndex = preset.filterIndex;
        }
        return result;
    }
    if (s.nonInteractive)
        return result;

    const TFocusReturn focusReturn;
    QFileDialog dlg(parent, title);
    CentreOverParent(&dlg);
    QStringList filters;
    if (folder) {
        dlg.setFileMode(QFileDialog::Directory);
        dlg.setOption(QFileDialog::ShowDirsOnly, true);
    } else {
        dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        filters = ConvertFilter(filter);
        if (!filters.isEmpty()) {
            dlg.setNameFilters(filters);
            if (filterIndex >= 1 && filterIndex <= filters.size())
                dlg.selectNameFilter(filters.at(filterIndex - 1));
        }
        if (!defaultExt.isEmpty())
            dlg.setDefaultSuffix(defaultExt);
    }
    if (!initialDir.isEmpty() && QDir(initialDir).exists())
        dlg.setDirectory(initialDir);
    if (!fileName.isEmpty())
        dlg.selectFile(QFileInfo(fileName).fileName());
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return result;
    result.Chosen = true;
    result.FileName = QDir::toNativeSeparators(dlg.selectedFiles().constFirst());
    if (!folder)
        result.FilterIndex = std::max(1, int(filters.indexOf(dlg.selectedNameFilter())) + 1);
    return result;
}

FileDialogResult OpenFileDialog(QWidget *parent, const QString &title, const QString &initialDir,
                                const QString &fileName, const QString &filter, int filterIndex)
{
    return RunFileDialog(parent, title, initialDir, fileName, filter, filterIndex, QString(), FileDialogMode::Open);
}

FileDialogResult SaveFileDialog(QWidget *parent, const QString &title, const QString &initialDir,
                                const QString &fileName, const QString &filter,
                                const QString &defaultExt, int filterIndex)
{
    return RunFileDialog(parent, title, initialDir, fileName, filter, filterIndex, defaultExt, FileDialogMode::Save);
}

FileDialogResult FolderDialog(QWidget *parent, const QString &title, const QString &initialDir)
{
    return RunFileDialog(parent, title, initialDir, QString(), QString(), 0, QString(), FileDialogMode::Folder);
}

bool ColourDialog(QWidget *parent, const QColor &initial, QColor &chosen)
{
    DialogPreset preset;
    if (TakeDialogPreset(preset)) {
        if (preset.kind != DialogPreset::Colour)
            return false;
        chosen = preset.colour;
        return true;
    }
    if (State().nonInteractive)
        return false;
    const TFocusReturn focusReturn;
    const QColor c = QColorDialog::getColor(initial, parent);
    if (!c.isValid())
        return false;
    chosen = c;
    return true;
}

} // namespace wobbin
