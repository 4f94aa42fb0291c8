#include "viewer/HtmlViewer.h"

#include "settings/AppPaths.h"
#include "base/Paths.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QDateTime>
#include <QMimeDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>

#include <memory>

namespace wobbin {

namespace {

const QByteArray kScheme = QByteArrayLiteral("wobbinview");
const QString kHost = QStringLiteral("local");
const QColor kSilver(192, 192, 192);

// Serves the viewer's documents: texts handed to the viewer are kept in
// memory under a name in their base folder; everything else is a file, found
// without regard to letter case, and only when it lies inside a folder the
// viewers show (the base folders of their pages and the HTML folder).
class TViewerSchemeHandler : public QWebEngineUrlSchemeHandler
{
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    void SetDocument(const QString &path, const QByteArray &html) { m_documents.insert(path, html); }
    void RemoveDocument(const QString &path) { m_documents.remove(path); }
    void SetFolder(const void *viewer, const QString &folder) { m_folders.insert(viewer, folder); }
    void RemoveFolder(const void *viewer) { m_folders.remove(viewer); }

    QStringList AllowedFolders() const
    {
        QStringList folders = m_folders.values();
        if (!AppDir().isEmpty())
            folders << HTMLFolder();
        return folders;
    }

    void requestStarted(QWebEngineUrlRequestJob *job) override
    {
        const QString raw = job->requestUrl().path(QUrl::FullyDecoded);
        const QString path = QDir::cleanPath(raw);
        const auto doc = m_documents.constFind(path);
        if (!raw.contains(QChar(0)) && doc != m_documents.constEnd()) {
            Reply(job, QByteArrayLiteral("text/html;charset=utf-8"), *doc);
            return;
        }
        const QString found = ViewerFileFor(raw, AllowedFolders());
        QFile file(found);
        if (found.isEmpty() || !file.open(QIODevice::ReadOnly)) {
            job->fail(found.isEmpty() ? QWebEngineUrlRequestJob::RequestDenied
                                      : QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        const QByteArray data = file.readAll();
        QByteArray mime = m_mimes.mimeTypeForFileNameAndData(found, data).name().toLatin1();
        if (mime.isEmpty())
            mime = QByteArrayLiteral("application/octet-stream");
        Reply(job, mime, data);
    }

private:
    static void Reply(QWebEngineUrlRequestJob *job, const QByteArray &mime, const QByteArray &data)
    {
        auto *buffer = new QBuffer(job);
        buffer->setData(data);
        buffer->open(QIODevice::ReadOnly);
        job->reply(mime, buffer);
    }

    QHash<QString, QByteArray> m_documents;
    QHash<const void *, QString> m_folders;
    QMimeDatabase m_mimes;
};

// The viewers show the user's own page, not a web application: from the
// network only pictures and style sheets, no local files by "file:", and
// nothing that a script or a plug-in would fetch.
class TViewerRequestGuard : public QWebEngineUrlRequestInterceptor
{
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        if (!ViewerMayRequest(info.requestUrl(), int(info.resourceType())))
            info.block(true);
    }
};

TViewerSchemeHandler *g_handler = nullptr;
QWebEngineProfile *g_profile = nullptr;

// One private profile for every viewer: nothing is stored on disk.
QWebEngineProfile *SharedProfile()
{
    if (!g_profile) {
        g_profile = new QWebEngineProfile(QCoreApplication::instance());
        g_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        g_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        g_handler = new TViewerSchemeHandler(g_profile);
        g_profile->installUrlSchemeHandler(kScheme, g_handler);
        g_profile->setUrlRequestInterceptor(new TViewerRequestGuard(g_profile));
        QObject::connect(g_profile, &QObject::destroyed, [] {
            g_profile = nullptr;
            g_handler = nullptr;
        });
    }
    return g_profile;
}

QUrl ViewerUrlForPath(const QString &nativePath)
{
    QUrl url;
    url.setScheme(QString::fromLatin1(kScheme));
    url.setHost(kHost);
    url.setPath(QDir::cleanPath(QFileInfo(nativePath).absoluteFilePath()));
    return url;
}

// Frames are counted with requestAnimationFrame in a world of our own, so
// page scripts cannot disturb it.
const char *kStartFrameCount =
    "window.__wobbinFrames = 0;"
    "(function next() { requestAnimationFrame(function () {"
    "  window.__wobbinFrames++; if (window.__wobbinFrames < 3) next(); }); })();"
    "0;";
const char *kReadFrameCount = "window.__wobbinFrames === undefined ? -1 : window.__wobbinFrames;";
constexpr quint32 kFrameWorld = QWebEngineScript::ApplicationWorld;

bool SameAddress(const QUrl &a, const QUrl &b)
{
    return a.scheme() == b.scheme() && a.host() == b.host()
        && QDir::cleanPath(a.path(QUrl::FullyDecoded)) == QDir::cleanPath(b.path(QUrl::FullyDecoded));
}

} // namespace

QUrl ViewerUrlToExternal(const QUrl &url)
{
    if (url.scheme() != QLatin1String(kScheme))
        return url;
    QUrl local = QUrl::fromLocalFile(url.path());
    local.setQuery(url.query());
    local.setFragment(url.fragment());
    return local;
}

QString ViewerFileFor(const QString &decodedPath, const QStringList &allowedFolders)
{
    if (decodedPath.isEmpty() || decodedPath.contains(QChar(0)) || !decodedPath.startsWith(QLatin1Char('/')))
        return QString();
    // Backslashes of stored paths ("graphics\a.gif") are separators too.
    QString path = decodedPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    path = QDir::cleanPath(path);
    const QString found = FindPathNoCase(path);
    const QFileInfo info(found);
    if (!info.isFile())
        return QString();
    // Where it really is, after every link: it must lie inside an allowed folder.
    const QString real = info.canonicalFilePath();
    if (real.isEmpty())
        return QString();
    for (const QString &folder : allowedFolders) {
        if (folder.isEmpty())
            continue;
        const QString root = QFileInfo(FindPathNoCase(ToNativePath(folder))).canonicalFilePath();
        if (!root.isEmpty() && real.startsWith(root == QLatin1String("/") ? root : root + QLatin1Char('/')))
            return found;
    }
    return QString();
}

bool ViewerMayRequest(const QUrl &url, int resourceType)
{
    using Info = QWebEngineUrlRequestInfo;
    const QString scheme = url.scheme().toLower();
    const auto type = Info::ResourceType(resourceType);
    if (scheme == QLatin1String(kScheme)) {
        // The viewer's own pages, their frames, pictures, style sheets and fonts.
        return type == Info::ResourceTypeMainFrame || type == Info::ResourceTypeSubFrame
            || type == Info::ResourceTypeImage || type == Info::ResourceTypeStylesheet
            || type == Info::ResourceTypeFontResource || type == Info::ResourceTypeFavicon;
    }
    if (scheme == QLatin1String("data"))
        return type == Info::ResourceTypeImage || type == Info::ResourceTypeStylesheet
            || type == Info::ResourceTypeFontResource;
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return type == Info::ResourceTypeImage || type == Info::ResourceTypeStylesheet;
    // "file:" and everything else: never.
    return false;
}

// The page of a viewer: hands link clicks and new-window requests to the
// viewer instead of navigating.
class TViewerPage : public QWebEnginePage
{
public:
    TViewerPage(QWebEngineProfile *profile, THtmlViewer *viewer)
        : QWebEnginePage(profile, viewer), m_viewer(viewer)
    {
    }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override
    {
        if (type == NavigationTypeLinkClicked) {
            // Handed on only after a real click (or key) of the user on the
            // view; nothing a page does by itself gets out.
            if (isMainFrame && m_viewer->UserJustActed())
                m_viewer->ReportLink(url);
            return false;
        }
        if (!isMainFrame)
            return url.scheme() == QLatin1String(kScheme) || url.scheme() == QLatin1String("about")
                || url.scheme() == QLatin1String("data");   // frames of the page itself
        // Only the viewer's own loads; a page redirecting elsewhere or
        // submitting a form stays where it is.
        return url.scheme() == QLatin1String(kScheme) || url.scheme() == QLatin1String("about")
            || url.scheme() == QLatin1String("data");
    }

    QWebEnginePage *createWindow(WebWindowType) override
    {
        // A link with a target: catch the address of the first navigation of
        // the would-be window and drop the window.
        auto *catcher = new TLinkCatcher(profile(), m_viewer);
        return catcher;
    }

private:
    class TLinkCatcher : public QWebEnginePage
    {
    public:
        TLinkCatcher(QWebEngineProfile *profile, THtmlViewer *viewer)
            : QWebEnginePage(profile, viewer), m_viewer(viewer)
        {
        }

    protected:
        bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool) override
        {
            if (!m_reported && !url.isEmpty() && url.scheme() != QLatin1String("about")
                && type == NavigationTypeLinkClicked && m_viewer->UserJustActed()) {
                m_reported = true;
                m_viewer->ReportLink(url);
            }
            deleteLater();
            return false;
        }

    private:
        THtmlViewer *m_viewer;
        bool m_reported = false;
    };

    THtmlViewer *m_viewer;
};

void THtmlViewer::RegisterScheme()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    QWebEngineUrlScheme scheme(kScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalScheme
                    | QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

THtmlViewer::THtmlViewer(QWidget *parent, Variant variant)
    : QFrame(parent), m_variant(variant)
{
    RegisterScheme();
    m_baseFolder = QDir::currentPath();
    m_scrollBars = variant == Variant::Preview;
    // Clicks and keys of the user on the view: a link is handed on only
    // right after one of them.
    qApp->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_view = new QWebEngineView(this);
    m_page = new TViewerPage(SharedProfile(), this);
    m_page->setBackgroundColor(kSilver);
    m_view->setPage(m_page);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    layout->addWidget(m_view);
    SetBorder(variant == Variant::Preview);
    ApplySettings();
    PublishFolder();

    if (variant == Variant::StyleSample) {
        QWebEngineScript noSelect;
        noSelect.setName(QStringLiteral("wobbin-no-selection"));
        noSelect.setInjectionPoint(QWebEngineScript::DocumentReady);
        noSelect.setWorldId(QWebEngineScript::ApplicationWorld);
        noSelect.setSourceCode(QStringLiteral(
            "(function(){var s=document.createElement('style');"
            "s.textContent='*{-webkit-user-select:none !important;user-select:none !important;}';"
            "(document.head||document.documentElement).appendChild(s);})();"));
        m_page->scripts().insert(noSelect);
    }

    connect(m_page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        switch (info.status()) {
        case QWebEngineLoadingInfo::LoadStartedStatus:
            return;
        case QWebEngineLoadingInfo::LoadSucceededStatus:
            OnLoadFinished(true);
            return;
        default:
            // A load given up for a newer one ends as failed or stopped:
            // only the end of the load asked for last counts.
            if (SameAddress(info.url(), m_currentUrl))
                OnLoadFinished(false);
            return;
        }
    });
    // Jumps inside the page (to an anchor) leave no history either.
    // (Queued: the engine must finish the navigation before its history is cut.)
    connect(m_page, &QWebEnginePage::urlChanged, this, [this] { m_page->history()->clear(); },
            Qt::QueuedConnection);
}

THtmlViewer::~THtmlViewer()
{
    // The page may still report on its loads while it goes: not to us.
    disconnect(m_page, nullptr, this, nullptr);
    delete m_view;
    m_view = nullptr;
    delete m_page;
    m_page = nullptr;
    if (!m_documentPath.isEmpty() && g_handler)
        g_handler->RemoveDocument(m_documentPath);
    if (g_handler)
        g_handler->RemoveFolder(this);
}

void THtmlViewer::PublishFolder()
{
    if (g_handler)
        g_handler->SetFolder(this, m_baseFolder);
}

bool THtmlViewer::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type t = event->type();
    if (t == QEvent::MouseButtonRelease || t == QEvent::KeyPress) {
        auto *w = qobject_cast<QWidget *>(watched);
        if (w && m_view && (w == m_view || m_view->isAncestorOf(w))) {
            bool counts = t == QEvent::MouseButtonRelease;
            if (t == QEvent::KeyPress) {
                const int key = static_cast<QKeyEvent *>(event)->key();
                counts = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
            }
            if (counts && event->spontaneous())
                m_userAction.start();
        }
    }
    return QFrame::eventFilter(watched, event);
}

bool THtmlViewer::UserJustActed() const
{
    return m_userAction.isValid() && m_userAction.elapsed() < 2000;
}

void THtmlViewer::ApplySettings()
{
    QWebEngineSettings *s = m_page->settings();
    if (m_variant == Variant::StyleSample) {
        s->setFontFamily(QWebEngineSettings::StandardFont, QStringLiteral("Arial"));
        s->setFontFamily(QWebEngineSettings::SansSerifFont, QStringLiteral("Arial"));
        s->setFontSize(QWebEngineSettings::DefaultFontSize, 15);   // 11 points at 96 dpi
    } else {
        s->setFontFamily(QWebEngineSettings::StandardFont, QStringLiteral("Times New Roman"));
        s->setFontFamily(QWebEngineSettings::SerifFont, QStringLiteral("Times New Roman"));
    }
    s->setFontFamily(QWebEngineSettings::FixedFont, QStringLiteral("Courier New"));
    s->setDefaultTextEncoding(QStringLiteral("windows-1252"));
    s->setAttribute(QWebEngineSettings::AutoLoadImages, true);
    s->setAttribute(QWebEngineSettings::ShowScrollBars, m_scrollBars);
    // The preview shows the user's page, not a web application: no script runs.
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::AllowRunningInsecureContent, false);
    s->setAttribute(QWebEngineSettings::WebGLEnabled, false);
    s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    s->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    // Pictures and style sheets of the web may be shown; the request guard
    // of the profile refuses everything else.
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    s->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    s->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
}

void THtmlViewer::SetBaseFolder(const QString &folder)
{
    m_baseFolder = ToNativePath(folder);
    PublishFolder();
}

void THtmlViewer::SetBorder(bool on)
{
    if (on)
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
    else
        setFrameStyle(QFrame::NoFrame);
    setLineWidth(on ? 1 : 0);
}

bool THtmlViewer::HasBorder() const
{
    return frameShape() != QFrame::NoFrame;
}

void THtmlViewer::SetScrollBars(bool on)
{
    m_scrollBars = on;
    // The engine's setting is applied with the next load (StartLoad); the
    // page shown now is switched by a style sheet, or loaded again when it
    // was loaded without scroll bars and they are wanted now.
    if (on && !m_loadedWithScrollBars && m_currentUrl.isValid()) {
        StartLoad(m_currentUrl);
        return;
    }
    ApplyScrollBarStyle();
}

void THtmlViewer::ApplyScrollBarStyle()
{
    const QString js = QStringLiteral(
        "(function(){var id='__wobbin_no_scroll_bars';var s=document.getElementById(id);"
        "if(%1){if(s){s.remove();var d=document.documentElement;var o=d.style.overflow;"
        "d.style.overflow='hidden';void d.offsetHeight;d.style.overflow=o;void d.offsetHeight;}return;}"
        "if(!s){s=document.createElement('style');s.id=id;"
        "s.textContent='::-webkit-scrollbar{display:none !important;width:0 !important;height:0 !important;}';"
        "(document.head||document.documentElement).appendChild(s);}})();")
                           .arg(m_scrollBars ? QStringLiteral("true") : QStringLiteral("false"));
    m_page->runJavaScript(js, kFrameWorld);
}

void THtmlViewer::LoadFromFile(const QString &path)
{
    const QString native = FindPathNoCase(path);
    const QFileInfo info(native);
    m_baseFolder = info.absolutePath();
    PublishFolder();
    if (!m_documentPath.isEmpty() && g_handler) {
        g_handler->RemoveDocument(m_documentPath);
        m_documentPath.clear();
    }
    StartLoad(ViewerUrlForPath(info.absoluteFilePath()));
}

void THtmlViewer::LoadFromLines(const QStringList &lines)
{
    LoadFromText(lines.join(QLatin1String("\r\n")));
}

QString THtmlViewer::NewDocumentPath() const
{
    // A name in the base folder that no real file is likely to have, new for
    // every load so that the engine never serves an old text from its cache.
    const QString folder = QDir::cleanPath(QFileInfo(m_baseFolder).absoluteFilePath());
    return folder + QStringLiteral("/~wobbin-view-%1-%2.html")
                        .arg(reinterpret_cast<quintptr>(this), 0, 16)
                        .arg(m_loadSerial + 1);
}

void THtmlViewer::LoadFromText(const QString &text)
{
    if (!m_documentPath.isEmpty() && g_handler)
        g_handler->RemoveDocument(m_documentPath);
    m_documentPath = NewDocumentPath();
    if (g_handler)
        g_handler->SetDocument(m_documentPath, text.toUtf8());
    StartLoad(ViewerUrlForPath(m_documentPath));
}

void THtmlViewer::StartLoad(const QUrl &url)
{
    ++m_loadSerial;
    m_loading = true;
    m_rendered = false;
    m_currentUrl = url;
    m_page->settings()->setAttribute(QWebEngineSettings::ShowScrollBars, m_scrollBars);
    m_loadedWithScrollBars = m_scrollBars;
    m_page->load(url);
}

void THtmlViewer::OnLoadFinished(bool ok)
{
    m_loading = false;
    // The preview keeps no history: nothing to go back or forward to.
    m_page->history()->clear();
    Q_EMIT loadFinished(ok);
    m_rendered = false;
    if (!m_scrollBars)
        ApplyScrollBarStyle();
    m_page->runJavaScript(QString::fromLatin1(kStartFrameCount), kFrameWorld);
    PollFrames();
}

void THtmlViewer::PollFrames()
{
    const int serial = m_loadSerial;
    QPointer<THtmlViewer> self(this);
    m_page->runJavaScript(QString::fromLatin1(kReadFrameCount), kFrameWorld,
                          [self, serial](const QVariant &v) {
                              // A page being deleted answers its pending scripts
                              // while the viewer is half gone (no view any more).
                              if (!self || !self->m_view || self->m_loadSerial != serial
                                  || self->m_loading)
                                  return;
                              // A hidden view paints nothing: it counts as rendered
                              // once loaded, and a grab waits for frames anew.
                              if (v.toInt() >= 3 || !self->m_view->isVisible()) {
                                  self->m_rendered = true;
                                  Q_EMIT self->rendered();
                                  return;
                              }
                              QTimer::singleShot(15, self, [self, serial] {
                                  if (self && self->m_loadSerial == serial && !self->m_loading)
                                      self->PollFrames();
                              });
                          });
}

void THtmlViewer::ReportLink(const QUrl &url)
{
    Q_EMIT linkClicked(ViewerUrlToExternal(url));
}

QUrl THtmlViewer::CurrentUrl() const
{
    return ViewerUrlToExternal(m_page->url().isEmpty() ? m_currentUrl : m_page->url());
}

int THtmlViewer::HistoryCount() const
{
    QWebEngineHistory *h = m_page->history();
    return h->backItems(100).size() + h->forwardItems(100).size();
}

bool THtmlViewer::WaitForRendered(int timeoutMs)
{
    if (!m_loading && m_rendered)
        return true;
    QEventLoop loop;
    QTimer safety;
    safety.setSingleShot(true);
    connect(&safety, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &THtmlViewer::rendered, &loop, &QEventLoop::quit);
    safety.start(timeoutMs);
    while (!(!m_loading && m_rendered) && safety.isActive())
        loop.exec();
    return !m_loading && m_rendered;
}

QImage THtmlViewer::GrabClientArea(int timeoutMs)
{
    if (m_loading || !m_rendered) {
        WaitForRendered(timeoutMs);
    } else {
        // Already rendered, but the widget may have been moved or resized
        // since: let the engine paint a few more frames first.
        m_rendered = false;
        m_page->runJavaScript(QString::fromLatin1(kStartFrameCount), kFrameWorld);
        PollFrames();
        WaitForRendered(timeoutMs);
    }
    QCoreApplication::processEvents();
    return m_view->grab().toImage();
}

void THtmlViewer::GrabClientAreaAsync(std::function<void(const QImage &)> done, int timeoutMs)
{
    struct Pending
    {
        std::function<void(const QImage &)> done;
        QMetaObject::Connection onRendered;
        bool finished = false;
    };
    auto pending = std::make_shared<Pending>();
    pending->done = std::move(done);
    // The safety timer is the context of both connections: deleting it
    // drops them and the pending state with them.
    auto *safety = new QTimer(this);
    safety->setSingleShot(true);
    auto finish = [this, pending, safety] {
        if (pending->finished)
            return;
        pending->finished = true;
        QObject::disconnect(pending->onRendered);
        safety->stop();
        safety->deleteLater();
        pending->done(m_view->grab().toImage());
    };
    if (!m_loading && m_rendered) {
        m_rendered = false;
        m_page->runJavaScript(QString::fromLatin1(kStartFrameCount), kFrameWorld);
        PollFrames();
    }
    pending->onRendered = connect(this, &THtmlViewer::rendered, safety, finish);
    connect(safety, &QTimer::timeout, safety, finish);
    safety->start(timeoutMs);
}

} // namespace wobbin
