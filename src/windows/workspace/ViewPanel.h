#pragma once
// The View panel: everything inside pnlView. The page rendered by the HTML
// viewer (tab "Web") and its HTML text (tab "HTML", editable by hand), the
// style list with its Edit Styles button, the page title and the logo option.
// The controls mirror the document (TDocument); what the user does there goes
// to the document, which decides.

#include <QImage>
#include <QObject>
#include <QRect>
#include <QString>
#include <functional>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class QUrl;
class QWidget;

namespace wobbin {

class TDocument;
class THtmlViewer;
class TWhatsThis;

class TViewPanel : public QObject
{
    Q_OBJECT
public:
    // Creates the controls as children of pnlView (629 x 295).
    TViewPanel(QWidget *pnlView, TDocument &document, TWhatsThis &whatsThis, QObject *parent = nullptr);

    void StringEmUp();
    // The folder the viewer resolves the page's pictures against.
    void SetHTMLFolder(const QString &folder);

    // ---- the preview
    // Loads the viewer: from the file written for the page (when given), then
    // from the viewer's text.
    void RenderPreview(const QString &viewerText, const QString &previewFile);
    // The viewer back on the Web tab at its usual size (609 x 181).
    void SetHTMLView();
    // True when the Web tab (not the HTML text) is shown.
    bool WebTabShown() const;
    // The viewer enlarged over the work area, and back.
    void Enlarge(QWidget *workArea);
    void Restore();
    void FitEnlarged(const QRect &area);
    bool Enlarged() const { return m_enlarged; }
    // The preview at the width of a phone's screen (about 390 pixels), as a
    // visitor on a phone sees the page: a page without a viewport is drawn at
    // a desktop width and shrunk, as phones do.
    void SetPhoneWidth(bool on);
    bool PhoneWidth() const;
    // The rendered page at the size of the work area, for the page picture.
    QImage CapturePagePicture(QWidget *workArea);
    THtmlViewer *Viewer() const { return m_viewer; }

    // ---- the dialogs this panel opens
    // Before the first hand edit of the HTML: the HTML warning. True keeps
    // the edit.
    bool ConfirmFirstHandEdit();
    // The Edit Styles button: the style wizard runs here, modally; when it
    // wrote the library, the library is read again.
    void EditStyles();

Q_SIGNALS:
    // A link clicked in the preview, for the browser.
    void linkClicked(const QString &address);

private:
    void memHTMLChange();
    void pagePreviewChange();
    void lstStylesClick();
    void txtTitleChange();
    void chkFitsPhonesClick(bool on);
    void placeViewer(const QRect &area);
    void applyPhoneZoom();
    void showHtml(const QString &text);
    void showTitle(const QString &title);
    void showStyles(const QStringList &entries);
    void loadViewer(const QString &viewerText);

    TDocument &m_doc;
    QTabWidget *pagePreview = nullptr;
    QWidget *tabWebView = nullptr;
    QWidget *tabHTML = nullptr;
    THtmlViewer *m_viewer = nullptr; // ctlHTML
    QPlainTextEdit *memHTML = nullptr;
    QPlainTextEdit *tmpMemo = nullptr;
    QLabel *lblPreStyle = nullptr, *lblPreDesc = nullptr;
    QListWidget *lstStyles = nullptr;
    QPushButton *btnEditStyle = nullptr;
    QFrame *pnlTitle = nullptr;
    QLabel *lblTitleCaption = nullptr;
    QLineEdit *txtTitle = nullptr;
    QCheckBox *chkLogo = nullptr;
    QCheckBox *chkFitsPhones = nullptr;
    QToolButton *btnPhoneWidth = nullptr;

    // Re-entry guards of the program's own writes into the controls.
    bool m_settingHtml = false;
    bool m_undoing = false;
    bool m_titleEcho = false;
    bool m_enlarged = false;
    bool m_capturing = false;
    QRect m_enlargedArea;
};

} // namespace wobbin
