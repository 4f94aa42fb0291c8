#include "workspace/ViewPanel.h"

#include "settings/PageWritingSetting.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "shell/frmHTMLWarn.h"
#include "document/Document.h"
#include "page/PageText.h"
#include "wizards/frmStyleWiz.h"
#include "viewer/HtmlViewer.h"
#include "shell/Accessible.h"
#include "workspace/Controls.h"
#include "workspace/WhatsThis.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineView>

namespace wobbin {

namespace {

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

constexpr int kViewerWidth = 609;
constexpr int kViewerHeight = 181;
// The screen of a phone in CSS pixels, and the width a phone lays out a page
// without a viewport at before it shrinks it to the screen.
constexpr int kPhoneWidth = 390;
constexpr int kDesktopLayoutWidth = 980;
constexpr int kScrollBarWidth = 15;

} // namespace

TViewPanel::TViewPanel(QWidget *pnlView, TDocument &document, TWhatsThis &whatsThis, QObject *parent)
    : QObject(parent), m_doc(document)
{
    pagePreview = new QTabWidget(pnlView);
    pagePreview->setObjectName(QStringLiteral("pagePreview"));
    pagePreview->setGeometry(8, 2, 615, 207);
    pagePreview->setDocumentMode(false);
    tabWebView = new QWidget;
    tabWebView->setObjectName(QStringLiteral("tabWebView"));
    tabHTML = new QWidget;
    tabHTML->setObjectName(QStringLiteral("tabHTML"));
    pagePreview->addTab(tabWebView, QStringLiteral("Web"));
    pagePreview->addTab(tabHTML, QStringLiteral("HTML"));

    m_viewer = new THtmlViewer(tabWebView, THtmlViewer::Variant::Preview);
    m_viewer->setObjectName(QStringLiteral("ctlHTML"));
    m_viewer->setGeometry(0, 0, kViewerWidth, kViewerHeight);
    SetTag(m_viewer, 21);

    memHTML = new QPlainTextEdit(tabHTML);
    memHTML->setObjectName(QStringLiteral("memHTML"));
    memHTML->setGeometry(0, 0, kViewerWidth, kViewerHeight);
    memHTML->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont mono(QStringLiteral("Courier New"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPointSize(9);
    memHTML->setFont(mono);
    SetTag(memHTML, 32);
    // The line buffer the viewer is loaded from.
    tmpMemo = new QPlainTextEdit(pnlView);
    tmpMemo->setObjectName(QStringLiteral("tmpMemo"));
    tmpMemo->hide();

    lblPreStyle = MakeLabel(pnlView, "lblPreStyle", 10, 212, 150, 16);
    lstStyles = MakeControl<QListWidget>(pnlView, "lstStyles", 10, 228, 160, 62, 31);
    btnEditStyle = MakeControl<QPushButton>(pnlView, "btnEditStyle", 176, 228, 92, 24, 31);

    pnlTitle = MakePanel(pnlView, "pnlTitle", 280, 212, 340, 44, QFrame::Panel);
    SetTag(pnlTitle, 30);
    lblTitleCaption = MakeLabel(pnlTitle, "lblTitleCaption", 6, 3, 200, 14);
    txtTitle = MakeControl<QLineEdit>(pnlTitle, "txtTitle", 6, 18, 328, 21, 30);

    chkLogo = new QCheckBox(pnlView);
    chkLogo->setObjectName(QStringLiteral("chkLogo"));
    chkLogo->setGeometry(176, 258, 200, 18);
    chkLogo->setChecked(m_doc.LogoOn());
    SetTag(chkLogo, 33);

    // One choice for all pages, kept in the settings.
    chkFitsPhones = new QCheckBox(pnlView);
    chkFitsPhones->setObjectName(QStringLiteral("chkFitsPhones"));
    chkFitsPhones->setGeometry(176, 276, 200, 18);
    m_doc.SetHtmlForm(SavedHtmlForm());
    chkFitsPhones->setChecked(m_doc.Form() == HtmlForm::FitsPhones);
    SetTag(chkFitsPhones, 34);

    btnPhoneWidth = new QToolButton(pagePreview);
    btnPhoneWidth->setObjectName(QStringLiteral("btnPhoneWidth"));
    btnPhoneWidth->setCheckable(true);
    btnPhoneWidth->setAutoRaise(true);
    SetTag(btnPhoneWidth, 35);
    pagePreview->setCornerWidget(btnPhoneWidth, Qt::TopRightCorner);

    lblPreDesc = MakeLabel(pnlView, "lblPreDesc", 382, 258, 238, 34, true);

    for (QWidget *w : std::initializer_list<QWidget *>{lstStyles, btnEditStyle, pnlTitle, chkLogo, chkFitsPhones,
                                                       btnPhoneWidth})
        whatsThis.Watch(w);
    whatsThis.SetFullTopicContext(TagOf(lstStyles));

    // What the user does goes to the document.
    connect(memHTML, &QPlainTextEdit::textChanged, this, &TViewPanel::memHTMLChange);
    connect(pagePreview, &QTabWidget::currentChanged, this, &TViewPanel::pagePreviewChange);
    connect(lstStyles, &QListWidget::itemClicked, this, [this] { lstStylesClick(); });
    new TStyleKeys(lstStyles, [this] { lstStylesClick(); });
    connect(txtTitle, &QLineEdit::textChanged, this, &TViewPanel::txtTitleChange);
    connect(chkLogo, &QCheckBox::toggled, &m_doc, &TDocument::ChooseLogo);
    connect(chkFitsPhones, &QCheckBox::toggled, this, &TViewPanel::chkFitsPhonesClick);
    connect(btnPhoneWidth, &QToolButton::toggled, this, &TViewPanel::SetPhoneWidth);
    connect(m_viewer, &THtmlViewer::loadFinished, this, &TViewPanel::applyPhoneZoom);
    connect(btnEditStyle, &QPushButton::clicked, this, &TViewPanel::EditStyles);
    // A link clicked in the preview opens in the browser; the preview stays.
    connect(m_viewer, &THtmlViewer::linkClicked, this,
            [this](const QUrl &url) { Q_EMIT linkClicked(url.toString(QUrl::FullyEncoded)); });

    // What the document does shows here.
    connect(&m_doc, &TDocument::htmlChanged, this, &TViewPanel::showHtml);
    connect(&m_doc, &TDocument::titleChanged, this, &TViewPanel::showTitle);
    connect(&m_doc, &TDocument::stylesChanged, this, &TViewPanel::showStyles);
    connect(&m_doc, &TDocument::styleSelected, lstStyles, [this](int entry) { lstStyles->setCurrentRow(entry); });
    connect(&m_doc, &TDocument::logoChanged, chkLogo, &QCheckBox::setChecked);
    connect(&m_doc, &TDocument::htmlFormChanged, this, [this](HtmlForm form) {
        const QSignalBlocker quiet(chkFitsPhones);
        chkFitsPhones->setChecked(form == HtmlForm::FitsPhones);
    });
}

void TViewPanel::StringEmUp()
{
    const QString fontName = LoadStr(Msg::DefaultFontName);
    for (QWidget *w : std::initializer_list<QWidget *>{pnlTitle, lblPreStyle}) {
        QFont wf = w->font();
        wf.setFamily(fontName);
        w->setFont(wf);
    }
    SetText(chkLogo, Msg::InsertLogo);
    SetText(chkFitsPhones, Msg::FitsPhones);
    btnPhoneWidth->setText(LoadStr(Msg::PhoneWidth));
    btnPhoneWidth->setToolTip(LoadStr(Msg::PhoneWidthHint));
    SetText(lblPreDesc, Msg::PreviewHint);
    pagePreview->setTabText(pagePreview->indexOf(tabWebView), LoadStr(Msg::TabWeb));
    pagePreview->setTabText(pagePreview->indexOf(tabHTML), LoadStr(Msg::TabHtml));
    SetText(lblPreStyle, Msg::StyleLabel);
    SetText(btnEditStyle, Msg::EditStyles);
    lblTitleCaption->setText(LoadStr(Msg::PageTitle));
    // A screen reader names the controls after their labels.
    NameFromLabel(lstStyles, lblPreStyle);
    NameFromLabel(txtTitle, lblTitleCaption);
    memHTML->setAccessibleName(LoadStr(Msg::PageHtmlText));
    // The pane of the two views (its tabs take the keys for it).
    MakeAccessible(pagePreview, QAccessible::Pane, LoadStr(Msg::PagePreview));
}

void TViewPanel::SetHTMLFolder(const QString &folder) { m_viewer->SetBaseFolder(folder); }

// ---------------------------------------------------------------- mirrors of the document

void TViewPanel::showHtml(const QString &text)
{
    const bool was = m_settingHtml;
    m_settingHtml = true;
    memHTML->setPlainText(text);
    m_settingHtml = was;
}

void TViewPanel::showTitle(const QString &title)
{
    m_titleEcho = true;
    txtTitle->setText(title);
    m_titleEcho = false;
}

void TViewPanel::showStyles(const QStringList &entries)
{
    lstStyles->clear();
    lstStyles->addItems(entries);
}

// ---------------------------------------------------------------- the user's input

void TViewPanel::memHTMLChange()
{
    if (m_settingHtml || m_undoing)
        return;
    if (m_doc.TakeHandEdit(memHTML->toPlainText()) == TDocument::HandEdit::Taken)
        return;
    // Answered No: the change just made is taken back.
    m_undoing = true;
    memHTML->undo();
    m_undoing = false;
}

bool TViewPanel::ConfirmFirstHandEdit() { return AskHTMLWarning(memHTML->window()); }

void TViewPanel::lstStylesClick()
{
    lstStyles->setEnabled(false);
    m_doc.ChooseStyle(lstStyles->currentRow());
    lstStyles->setEnabled(true);
    lstStyles->setFocus();
}

void TViewPanel::EditStyles()
{
    if (RunStyleWizard(btnEditStyle->window(), m_doc.AppDir(), m_doc.Styles()))
        m_doc.ReloadStyles();
}

void TViewPanel::chkFitsPhonesClick(bool on)
{
    const HtmlForm form = on ? HtmlForm::FitsPhones : HtmlForm::Classic;
    // Refused (hand edits kept): the document puts the box back.
    if (m_doc.ChooseHtmlForm(form))
        SaveHtmlForm(form);
}

void TViewPanel::txtTitleChange()
{
    if (!m_titleEcho)
        m_doc.SetTitleFromUser(txtTitle->text());
}

// ---------------------------------------------------------------- the preview

void TViewPanel::loadViewer(const QString &viewerText)
{
    tmpMemo->setPlainText(viewerText);
    m_viewer->SetBaseFolder(m_doc.HTMLFolder());
    m_viewer->LoadFromText(tmpMemo->toPlainText());
}

void TViewPanel::RenderPreview(const QString &viewerText, const QString &previewFile)
{
    if (!previewFile.isEmpty())
        m_viewer->LoadFromFile(previewFile);
    loadViewer(viewerText);
}

void TViewPanel::pagePreviewChange()
{
    if (WebTabShown() && !m_enlarged)
        loadViewer(m_doc.ViewerText());
}

bool TViewPanel::WebTabShown() const { return pagePreview->currentWidget() == tabWebView; }

void TViewPanel::placeViewer(const QRect &area)
{
    QRect r = area;
    if (PhoneWidth()) {
        // The page area a phone's width, the viewer's frame and scroll bar around it.
        const int frame = 2 * m_viewer->frameWidth();
        const int width = qMin(area.width(), kPhoneWidth + frame + (m_viewer->ScrollBars() ? kScrollBarWidth : 0));
        r = QRect(area.x() + (area.width() - width) / 2, area.y(), width, area.height());
    }
    m_viewer->setGeometry(r);
    applyPhoneZoom();
}

void TViewPanel::applyPhoneZoom()
{
    // A phone lays out a page without a viewport at a desktop width and
    // shrinks it to its screen; a page with one at the screen's own width.
    const bool shrink = PhoneWidth() && !m_capturing && !HasViewport(m_doc.HtmlText());
    const qreal zoom = shrink ? qreal(kPhoneWidth) / kDesktopLayoutWidth : 1.0;
    if (!qFuzzyCompare(m_viewer->View()->zoomFactor(), zoom))
        m_viewer->View()->setZoomFactor(zoom);
}

bool TViewPanel::PhoneWidth() const { return btnPhoneWidth->isChecked(); }

void TViewPanel::SetPhoneWidth(bool on)
{
    if (btnPhoneWidth->isChecked() != on) {
        btnPhoneWidth->setChecked(on); // comes back here through its signal
        return;
    }
    if (m_enlarged)
        FitEnlarged(m_enlargedArea);
    else if (m_viewer->parentWidget() == tabWebView)
        placeViewer(QRect(0, 0, kViewerWidth, kViewerHeight));
}

void TViewPanel::SetHTMLView()
{
    pagePreview->setCurrentWidget(tabWebView);
    m_viewer->setParent(tabWebView);
    placeViewer(QRect(0, 0, kViewerWidth, kViewerHeight));
    m_viewer->show();
    m_viewer->raise();
}

void TViewPanel::Enlarge(QWidget *workArea)
{
    m_enlarged = true;
    m_viewer->setParent(workArea);
    m_viewer->show();
    m_viewer->raise();
}

void TViewPanel::FitEnlarged(const QRect &area)
{
    m_enlargedArea = area;
    if (m_enlarged)
        placeViewer(area);
}

void TViewPanel::Restore()
{
    m_enlarged = false;
    SetHTMLView();
}

QImage TViewPanel::CapturePagePicture(QWidget *workArea)
{
    THtmlViewer *viewer = m_viewer;
    QWidget *oldParent = viewer->parentWidget();
    const QRect oldGeometry = viewer->geometry();
    const bool wasVisible = viewer->isVisible();
    const bool hadBorder = viewer->HasBorder();
    const bool hadScrollBars = viewer->ScrollBars();
    // The page picture shows the page as on a desktop, whatever the preview's width.
    m_capturing = true;
    applyPhoneZoom();

    // The page drawn at the size of the work area, without frame or scroll
    // bars. The work area is only up while the enlarged preview shows; it is
    // brought up for the capture and put back afterwards.
    const bool areaWasVisible = workArea->isVisible();
    workArea->show();
    workArea->raise();
    viewer->setParent(workArea);
    viewer->SetBorder(false);
    viewer->SetScrollBars(false);
    viewer->setGeometry(4, 0, workArea->width() - 4, workArea->height() - 10);
    viewer->show();
    viewer->raise();
    // Drawn afresh at this size, so the grab waits for this very rendering.
    loadViewer(m_doc.ViewerText());
    const QImage picture = viewer->GrabClientArea();

    viewer->hide();
    if (!areaWasVisible)
        workArea->hide();
    viewer->setParent(oldParent);
    viewer->SetBorder(hadBorder);
    viewer->SetScrollBars(hadScrollBars);
    m_capturing = false;
    if (oldParent == tabWebView) {
        SetHTMLView();
    } else {
        viewer->setGeometry(oldGeometry);
        applyPhoneZoom();
    }
    viewer->setVisible(wasVisible);
    return picture;
}

} // namespace wobbin
