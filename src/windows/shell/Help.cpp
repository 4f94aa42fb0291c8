#include "shell/Help.h"

#include "base/Paths.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QPointer>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWhatsThis>

namespace wobbin {

namespace {

struct HelpState {
    QString folder;
    THelp::Shown last = THelp::Shown::None;
    int lastContext = 0;
    QString lastText;
    QPointer<QDialog> window;
    QPointer<QTextBrowser> browser;
};

HelpState &State()
{
    static HelpState s;
    return s;
}

QString ReadText(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

QString Between(const QString &text, const QString &open, const QString &close)
{
    const QRegularExpression re(open + QStringLiteral("(.*?)") + close,
                                QRegularExpression::CaseInsensitiveOption
                                    | QRegularExpression::DotMatchesEverythingOption);
    const auto m = re.match(text);
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

// The window the help belongs to: the modal dialog open now (a help window
// owned by anything under it could not be used), else the window asking.
QWidget *HelpOwner(QWidget *asking)
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    if (asking)
        return asking->window();
    return QApplication::activeWindow();
}

// The help window: Escape closes it, as it closes a dialog.
class THelpWindow : public QDialog
{
public:
    explicit THelpWindow(QWidget *owner) : QDialog(owner, Qt::Window) {}

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Escape) {
            close();
            return;
        }
        QDialog::keyPressEvent(event);
    }
};

QTextBrowser *EnsureWindow(QWidget *parent)
{
    auto &s = State();
    QWidget *owner = HelpOwner(parent);
    if (s.window && s.window->parentWidget() != owner && owner != s.window) {
        // Reused with the window that asks now, so that a modal dialog open
        // meanwhile does not block it.
        const bool visible = s.window->isVisible();
        s.window->setParent(owner, Qt::Window);
        if (visible)
            s.window->show();
    }
    if (!s.window) {
        auto *dlg = new THelpWindow(owner);
        dlg->setObjectName(QStringLiteral("frmHelp"));
        dlg->setAttribute(Qt::WA_DeleteOnClose);
        dlg->resize(520, 420);
        auto *layout = new QVBoxLayout(dlg);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *browser = new QTextBrowser(dlg);
        browser->setObjectName(QStringLiteral("helpBrowser"));
        browser->setOpenLinks(true);
        browser->setOpenExternalLinks(false);
        layout->addWidget(browser);
        s.window = dlg;
        s.browser = browser;
    }
    s.browser->setSearchPaths({s.folder});
    return s.browser;
}

void ShowFile(const QString &file, const QString &title, QWidget *parent)
{
    QTextBrowser *b = EnsureWindow(parent);
    b->setSource(QUrl::fromLocalFile(file));
    State().window->setWindowTitle(title.isEmpty() ? QStringLiteral("Help") : title);
    State().window->show();
    State().window->raise();
    State().window->activateWindow();
}

} // namespace

void THelp::SetHelpFolder(const QString &folder) { State().folder = folder; }

QString THelp::TopicFile(int context)
{
    const QString path = FindPathNoCase(QDir(State().folder).filePath(QStringLiteral("topic%1.html").arg(context)));
    return QFile::exists(path) ? path : QString();
}

QString THelp::TopicTitle(int context)
{
    const QString file = TopicFile(context);
    return file.isEmpty() ? QString() : Between(ReadText(file), QStringLiteral("<title>"), QStringLiteral("</title>"));
}

QString THelp::TopicBody(int context)
{
    const QString file = TopicFile(context);
    return file.isEmpty() ? QString() : Between(ReadText(file), QStringLiteral("<body[^>]*>"), QStringLiteral("</body>"));
}

void THelp::ShowPopup(int context, QPoint globalPos, QWidget *parent)
{
    auto &s = State();
    QString body = TopicBody(context);
    if (body.isEmpty())
        body = QStringLiteral("<p>No help topic is available for this item.</p>");
    s.last = Shown::Popup;
    s.lastContext = context;
    s.lastText = body;
    QWhatsThis::showText(globalPos, body, parent);
}

void THelp::ShowTopic(int context, QWidget *parent)
{
    auto &s = State();
    s.last = Shown::Topic;
    s.lastContext = context;
    const QString file = TopicFile(context);
    s.lastText = file.isEmpty() ? QString() : TopicBody(context);
    if (file.isEmpty()) {
        ShowContents(parent);
        s.last = Shown::Topic;
        s.lastContext = context;
        return;
    }
    ShowFile(file, TopicTitle(context), parent);
}

void THelp::ShowContents(QWidget *parent)
{
    auto &s = State();
    s.last = Shown::Contents;
    s.lastContext = 0;
    const QString file = FindPathNoCase(QDir(s.folder).filePath(QStringLiteral("Wobbin Express.html")));
    s.lastText = ReadText(file);
    ShowFile(file, QStringLiteral("Wobbin Express Help"), parent);
}

THelp::Shown THelp::LastShown() { return State().last; }
int THelp::LastContext() { return State().lastContext; }
QString THelp::LastText() { return State().lastText; }
QWidget *THelp::HelpWindow() { return State().window; }

} // namespace wobbin
