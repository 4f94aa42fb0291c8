#pragma once
// THtmlViewer: the HTML preview control of the main window and the style
// wizard. It renders an HTML file, or HTML text whose relative references
// ("graphics\a.gif", "backgrnd\stars.gif") are resolved against a base
// folder, finding files without regard to letter case. Links clicked in the
// preview never navigate inside it; they are reported through linkClicked.
//
// The viewer is a sandbox for a page that may be hostile: no script runs, no
// "file:" address is loaded, from the network only pictures and style sheets
// come, the viewer's own addresses serve only files inside the folder of the
// page shown and the HTML folder, and an address is reported only after a
// real click (or Enter) of the user, never because the page asked for it.

#include <QElapsedTimer>
#include <QFrame>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class QWebEngineView;
class QWebEnginePage;

namespace wobbin {

class TViewerPage;

class THtmlViewer : public QFrame
{
    Q_OBJECT

public:
    enum class Variant {
        Preview,      // main window: Times New Roman, scroll bars, selection allowed
        StyleSample   // style wizard: Arial 11, no scroll bars, no selection
    };

    explicit THtmlViewer(QWidget *parent = nullptr, Variant variant = Variant::Preview);
    ~THtmlViewer() override;

    // Registers the viewer's private URL scheme with the web engine. Must run
    // before the first web engine object is made; the constructor calls it,
    // and a program that makes other web engine objects first calls it early.
    static void RegisterScheme();

    // Renders an HTML file; its folder becomes the base folder.
    void LoadFromFile(const QString &path);
    // Renders HTML text (lines joined by CR LF) against the base folder.
    void LoadFromLines(const QStringList &lines);
    void LoadFromText(const QString &text);

    // The folder relative references are resolved against (native or
    // backslash path). Defaults to the current folder.
    void SetBaseFolder(const QString &folder);
    QString BaseFolder() const { return m_baseFolder; }

    // Single border on or off.
    void SetBorder(bool on);
    bool HasBorder() const;
    // Scroll bars on or off, for the page shown and the pages loaded later.
    void SetScrollBars(bool on);
    bool ScrollBars() const { return m_scrollBars; }


    // True while a load has been started and has not finished.
    bool IsLoading() const { return m_loading; }
    // Waits (running the event loop) until the current load has finished and
    // the page has been painted. Returns false on timeout.
    bool WaitForRendered(int timeoutMs = 30000);

    // The pixels of the client area once the current load is rendered. Runs
    // the event loop while it waits; an empty image only if nothing could be
    // grabbed.
    QImage GrabClientArea(int timeoutMs = 30000);
    // The same without blocking: calls done once rendering has finished (or
    // the timeout passed). done is not called if the viewer is destroyed first.
    void GrabClientAreaAsync(std::function<void(const QImage &)> done, int timeoutMs = 30000);

    // The address shown, as a local file URL for loaded files and texts.
    QUrl CurrentUrl() const;
    // Number of back/forward entries (always 0: the viewer keeps no history).
    int HistoryCount() const;

    QWebEngineView *View() const { return m_view; }

    // True right after the user clicked or pressed Enter on the view.
    bool UserJustActed() const;

Q_SIGNALS:
    // A link was clicked (or a page asked to open a window). Relative links
    // are reported as local file URLs.
    void linkClicked(const QUrl &url);
    // A load finished (ok false when the page could not be loaded).
    void loadFinished(bool ok);
    // A load finished and its first frames have been painted.
    void rendered();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class TViewerPage;
    void PublishFolder();
    void ApplySettings();
    void ApplyScrollBarStyle();
    void StartLoad(const QUrl &url);
    void OnLoadFinished(bool ok);
    void PollFrames();
    void ReportLink(const QUrl &url);
    QString NewDocumentPath() const;

    Variant m_variant;
    QWebEngineView *m_view = nullptr;
    TViewerPage *m_page = nullptr;
    QString m_baseFolder;
    QString m_documentPath;    // in-memory document currently registered, if any
    QUrl m_currentUrl;
    bool m_scrollBars = true;
    bool m_loadedWithScrollBars = true;
    bool m_loading = false;
    bool m_rendered = false;
    int m_loadSerial = 0;
    QElapsedTimer m_userAction;
};

// Maps a viewer address back to the local file it stands for (other
// addresses are returned unchanged).
QUrl ViewerUrlToExternal(const QUrl &url);

// The file that a path of the viewer's own addresses (decoded) stands for,
// found without regard to letter case, when it may be served: a file lying,
// after "..", encoded slashes and symbolic links are worked out, inside one
// of the allowed folders. Empty otherwise (also for a NUL in the path).
QString ViewerFileFor(const QString &decodedPath, const QStringList &allowedFolders);

// Whether the viewer lets a page request this address for this kind of
// resource (a QWebEngineUrlRequestInfo::ResourceType): its own addresses for
// pages, frames, pictures, style sheets and fonts; "data:" pictures, style
// sheets and fonts; http and https pictures and style sheets only; never
// "file:" or anything else.
bool ViewerMayRequest(const QUrl &url, int resourceType);

} // namespace wobbin
