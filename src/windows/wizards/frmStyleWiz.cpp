#include "wizards/frmStyleWiz.h"

#include "shell/Dialogs.h"
#include "shell/Palette.h"
#include "shell/Skin.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "base/Paths.h"
#include "styles/StyleBackground.h"
#include "viewer/HtmlViewer.h"
#include "shell/Accessible.h"
#include "shell/FocusFrame.h"
#include "shell/Help.h"

#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>

namespace wobbin {

namespace {

constexpr int kWidth = 500;
// The help topic of the wizard: its pages, the colour swatches, the background picture.
constexpr int kStyleWizardHelp = 36;
constexpr int kHeight = 352;

QColor ToQColor(TColor c)
{
    // As the pages show it: the low three bytes, red first.
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

TColor FromQColor(const QColor &c)
{
    return TColor(c.red()) | (TColor(c.green()) << 8) | (TColor(c.blue()) << 16);
}

// A text from the string table without its accelerator mark.
QString Plain(int id)
{
    QString s = LoadStr(id);
    s.remove(QLatin1Char('&'));
    if (s.endsWith(QLatin1Char(':')))
        s.chop(1);
    return s;
}

QLabel *MakeLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry,
                  bool wrap = false)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    l->setWordWrap(wrap);
    if (wrap)
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QPushButton *MakeButton(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(geometry);
    return b;
}

} // namespace

// A colour swatch: a sunken panel painted in one colour that is clicked (or
// pressed with the space bar when it has the focus) to choose another.
class TColourSwatch : public QFrame
{
public:
    TColourSwatch(QWidget *parent, const char *name, std::function<void()> clicked)
        : QFrame(parent), m_clicked(std::move(clicked))
    {
        setObjectName(QString::fromLatin1(name));
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setLineWidth(2);
        setFocusPolicy(Qt::StrongFocus);
        setCursor(Qt::PointingHandCursor);
    }

    void SetColour(const QColor &colour)
    {
        m_colour = colour;
        setAccessibleDescription(LoadStr(Msg::ColourChosen).arg(colour.name(QColor::HexRgb).toUpper()));
        update();
    }
    QColor Colour() const { return m_colour; }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter p(this);
        p.fillRect(contentsRect(), m_colour);
        if (hasFocus()) {
            p.setPen(QPen(m_colour.lightness() > 128 ? Qt::black : Qt::white, 1, Qt::DotLine));
            p.drawRect(contentsRect().adjusted(1, 1, -2, -2));
        }
        p.end();
        QFrame::paintEvent(event);
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton)
            m_pressed = true;
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
        m_pressed = false;
        if (click && m_clicked)
            m_clicked();
    }
    void keyPressEvent(QKeyEvent *event) override
    {
        if ((event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            && m_clicked) {
            m_clicked();
            return;
        }
        QFrame::keyPressEvent(event);
    }

private:
    std::function<void()> m_clicked;
    QColor m_colour = kSilver;
    bool m_pressed = false;
};

// ------------------------------------------------------------------ creation

TfrmStyleWiz::TfrmStyleWiz(const QString &appDir, const StyleList &styles, QWidget *parent)
    : QDialog(parent), m_wizard(styles), m_appDir(appDir)
{
    FormCreate();
}

TfrmStyleWiz::~TfrmStyleWiz() = default;

void TfrmStyleWiz::FormCreate()
{
    setObjectName(QStringLiteral("frmStyleWiz"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(LoadStr(Msg::StyleWizardTitle));
    setFixedSize(kWidth, kHeight);
    setFont(QFont(LoadStr(Msg::DefaultFontName), 8));
    UseProgramPalette(this);
    CentreOverParent(this);

    m_htmlFolder = FindPathNoCase(ToNativePath(JoinPath(m_appDir, QStringLiteral("HTMLFiles"))));
    m_words.DocumentText = LoadStr(Msg::DocumentText);
    m_words.StandardLink = LoadStr(Msg::StandardLink);
    m_words.ActiveLink = LoadStr(Msg::ActiveLink);
    m_words.VisitedLink = LoadStr(Msg::VisitedLink);

    PageControl1 = new QStackedWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(0, 0, kWidth, 304);
    tab1 = new QWidget;
    tab1->setObjectName(QStringLiteral("tab1"));
    tab2 = new QWidget;
    tab2->setObjectName(QStringLiteral("tab2"));
    tab3 = new QWidget;
    tab3->setObjectName(QStringLiteral("tab3"));
    PageControl1->addWidget(tab1);
    PageControl1->addWidget(tab2);
    PageControl1->addWidget(tab3);
    BuildStartPage();
    BuildEditorPage();
    BuildListPage();

    auto *bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    bevel->setGeometry(8, 306, kWidth - 16, 4);

    butHelp = MakeButton(this, "butHelp", LoadStr(Msg::ButtonHelp), QRect(8, 318, 75, 25));
    BackButt = MakeButton(this, "BackButt", LoadStr(Msg::ButtonBack), QRect(252, 318, 75, 25));
    NextButt = MakeButton(this, "NextButt", LoadStr(Msg::ButtonNext), QRect(327, 318, 75, 25));
    FinishButt = MakeButton(this, "FinishButt", LoadStr(Msg::ButtonFinish), QRect(327, 318, 75, 25));
    CancelButt = MakeButton(this, "CancelButt", LoadStr(Msg::ButtonCancel), QRect(417, 318, 75, 25));
    for (QPushButton *b : {butHelp, BackButt, NextButt, FinishButt, CancelButt})
        b->setAutoDefault(false);

    connect(butHelp, &QPushButton::clicked, this, &TfrmStyleWiz::butHelpClick);
    connect(BackButt, &QPushButton::clicked, this, &TfrmStyleWiz::BackButtClick);
    connect(NextButt, &QPushButton::clicked, this, &TfrmStyleWiz::NextButtClick);
    connect(FinishButt, &QPushButton::clicked, this, &TfrmStyleWiz::FinishButtClick);
    connect(CancelButt, &QPushButton::clicked, this, &TfrmStyleWiz::CancelButtClick);

    // The working copy is already made (m_wizard); the fields start cleared.
    FillingFields = true;
    ClearStyle();
    FillingFields = false;
    ShowStyles();
    ShowState();
    NameControls();
    // The wizard opens with the focus, shown, on its first choice.
    new TFocusFrame(this);
    setAttribute(Qt::WA_KeyboardFocusChange);
    radAdd->setFocus(Qt::TabFocusReason);
}

void TfrmStyleWiz::NameControls()
{
    // What a screen reader says of the controls that show no text of their own.
    NameFromLabel(txtImgFilename, lblImg);
    NameFromLabel(lstStyles, lblMsg1);
    spdImgFile->setAccessibleName(Plain(Msg::BackgroundImage));
    const std::pair<TColourSwatch *, QLabel *> swatches[] = {
        {pnlBack, lblColour}, {pnlDoc, lblDocText}, {pnlStandard, lblStandard},
        {pnlActive, lblActive}, {pnlVisited, lblVisited}};
    for (const auto &[swatch, label] : swatches) {
        SetAccessibleRole(swatch, QAccessible::Button);
        NameFromLabel(swatch, label);
    }
    spbUp->setAccessibleName(LoadStr(Msg::MoveUp));
    spbUp->setToolTip(LoadStr(Msg::MoveUp));
    spbDown->setAccessibleName(LoadStr(Msg::MoveDown));
    spbDown->setToolTip(LoadStr(Msg::MoveDown));
}

void TfrmStyleWiz::BuildStartPage()
{
    imgWizard = new QLabel(tab1);
    imgWizard->setObjectName(QStringLiteral("imgWizard"));
    imgWizard->setGeometry(8, 8, 154, 264);
    imgWizard->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    imgWizard->setAlignment(Qt::AlignCenter);
    ShowBitmap(imgWizard, QStringLiteral("Wizard_Style"));

    const int x = 178, w = kWidth - x - 12;
    QFont heading = font();
    heading.setPointSize(11);
    heading.setBold(true);
    lblWelcome = MakeLabel(tab1, "lblWelcome", LoadStr(Msg::StyleWizardIntro), QRect(x, 12, w, 40), true);
    lblWelcome->setFont(heading);
    lblAbout = MakeLabel(tab1, "lblAbout", LoadStr(Msg::StyleWizardExplains), QRect(x, 60, w, 44), true);
    lblChoose = MakeLabel(tab1, "lblChoose", LoadStr(Msg::StyleWizardChooseTask), QRect(x, 106, w, 32), true);
    lblQuestion = MakeLabel(tab1, "lblQuestion", LoadStr(Msg::WhatToDo), QRect(x, 158, w, 18));
    QFont bold = font();
    bold.setBold(true);
    lblQuestion->setFont(bold);

    radAdd = new QRadioButton(LoadStr(Msg::AddStyle), tab1);
    radAdd->setObjectName(QStringLiteral("radAdd"));
    radAdd->setGeometry(x + 10, 184, w - 10, 22);
    radModify = new QRadioButton(LoadStr(Msg::ModifyStyle), tab1);
    radModify->setObjectName(QStringLiteral("radModify"));
    radModify->setGeometry(x + 10, 210, w - 10, 22);
    radDelete = new QRadioButton(LoadStr(Msg::DeleteStyle), tab1);
    radDelete->setObjectName(QStringLiteral("radDelete"));
    radDelete->setGeometry(x + 10, 236, w - 10, 22);
    radAdd->setChecked(true);

    connect(radAdd, &QRadioButton::toggled, this, [this](bool on) { if (on) radAddClick(); });
    connect(radModify, &QRadioButton::toggled, this, [this](bool on) { if (on) radModifyClick(); });
    connect(radDelete, &QRadioButton::toggled, this, [this](bool on) { if (on) radDeleteClick(); });
}

void TfrmStyleWiz::BuildEditorPage()
{
    lblName = MakeLabel(tab2, "lblName", LoadStr(Msg::StyleName), QRect(12, 14, 76, 16));
    txtStyleName = new QLineEdit(tab2);
    txtStyleName->setObjectName(QStringLiteral("txtStyleName"));
    txtStyleName->setGeometry(90, 10, 206, 22);
    lblName->setBuddy(txtStyleName);
    connect(txtStyleName, &QLineEdit::textChanged, this, &TfrmStyleWiz::txtStyleNameChange);

    grpBack = new QGroupBox(LoadStr(Msg::BackgroundProperties), tab2);
    grpBack->setObjectName(QStringLiteral("grpBack"));
    grpBack->setGeometry(8, 40, 290, 110);
    lblImg = MakeLabel(grpBack, "lblImg", LoadStr(Msg::BackgroundImage), QRect(10, 20, 200, 16));
    txtImgFilename = new QLineEdit(grpBack);
    txtImgFilename->setObjectName(QStringLiteral("txtImgFilename"));
    txtImgFilename->setGeometry(10, 38, 238, 22);
    txtImgFilename->setReadOnly(true);
    txtImgFilename->setFocusPolicy(Qt::ClickFocus);
    QPalette ro = txtImgFilename->palette();
    ro.setColor(QPalette::Base, kSilver);
    txtImgFilename->setPalette(ro);
    connect(txtImgFilename, &QLineEdit::textChanged, this, &TfrmStyleWiz::txtImgFilenameChange);
    spdImgFile = new QToolButton(grpBack);
    spdImgFile->setObjectName(QStringLiteral("spdImgFile"));
    spdImgFile->setGeometry(252, 37, 26, 24);
    spdImgFile->setIcon(QIcon(LoadBitmap(QStringLiteral("ImgFile"))));
    spdImgFile->setIconSize(QSize(18, 18));
    spdImgFile->setToolTip(Plain(Msg::BackgroundImage));
    spdImgFile->setCursor(Qt::PointingHandCursor);
    connect(spdImgFile, &QToolButton::clicked, this, &TfrmStyleWiz::spdImgFileClick);

    pnlBack = new TColourSwatch(grpBack, "pnlBack", [this] { pnlBackClick(); });
    pnlBack->setGeometry(10, 72, 34, 24);
    lblColour = MakeLabel(grpBack, "lblColour", LoadStr(Msg::BackgroundColour), QRect(52, 76, 120, 16));
    butClear = MakeButton(grpBack, "butClear", LoadStr(Msg::ClearImage), QRect(178, 72, 100, 25));
    butClear->setAutoDefault(false);
    connect(butClear, &QPushButton::clicked, this, &TfrmStyleWiz::butClearClick);

    grpLinks = new QGroupBox(LoadStr(Msg::TextLinkColours), tab2);
    grpLinks->setObjectName(QStringLiteral("grpLinks"));
    grpLinks->setGeometry(8, 156, 290, 140);
    struct Row { TColourSwatch **swatch; const char *name; QLabel **label; const char *labelName; int text; void (TfrmStyleWiz::*click)(); };
    const Row rows[] = {
        {&pnlDoc, "pnlDoc", &lblDocText, "lblDocText", 513, &TfrmStyleWiz::pnlDocClick},
        {&pnlStandard, "pnlStandard", &lblStandard, "lblStandard", 516, &TfrmStyleWiz::pnlStandardClick},
        {&pnlActive, "pnlActive", &lblActive, "lblActive", 514, &TfrmStyleWiz::pnlActiveClick},
        {&pnlVisited, "pnlVisited", &lblVisited, "lblVisited", 515, &TfrmStyleWiz::pnlVisitedClick},
    };
    int y = 22;
    for (const Row &r : rows) {
        const auto click = r.click;
        *r.swatch = new TColourSwatch(grpLinks, r.name, [this, click] { (this->*click)(); });
        (*r.swatch)->setGeometry(10, y, 34, 24);
        *r.label = MakeLabel(grpLinks, r.labelName, LoadStr(r.text), QRect(52, y + 4, 220, 16));
        y += 29;
    }

    ctlHTML = new THtmlViewer(tab2, THtmlViewer::Variant::StyleSample);
    ctlHTML->setObjectName(QStringLiteral("ctlHTML"));
    ctlHTML->SetBorder(true);
    ctlHTML->SetScrollBars(false);
    ctlHTML->SetBaseFolder(m_htmlFolder);
    ctlHTML->setGeometry(308, 10, kWidth - 308 - 10, 286);
    ctlHTML->setFocusPolicy(Qt::NoFocus);

    QWidget::setTabOrder(txtStyleName, spdImgFile);
    QWidget::setTabOrder(spdImgFile, pnlBack);
    QWidget::setTabOrder(pnlBack, butClear);
    QWidget::setTabOrder(butClear, pnlDoc);
    QWidget::setTabOrder(pnlDoc, pnlStandard);
    QWidget::setTabOrder(pnlStandard, pnlActive);
    QWidget::setTabOrder(pnlActive, pnlVisited);
}

void TfrmStyleWiz::BuildListPage()
{
    lblMsg1 = MakeLabel(tab3, "lblMsg1", LoadStr(Msg::YourStyleList), QRect(12, 10, 300, 16));
    lstStyles = new QListWidget(tab3);
    lstStyles->setObjectName(QStringLiteral("lstStyles"));
    lstStyles->setGeometry(12, 30, 380, 198);
    lstStyles->setSelectionMode(QAbstractItemView::SingleSelection);
    lblMsg1->setBuddy(lstStyles);
    // The selection, not the current row: a list that merely receives the
    // focus gets a current row but nothing is chosen.
    connect(lstStyles, &QListWidget::itemSelectionChanged, this, [this] { lstStylesClick(); });

    spbUp = new QToolButton(tab3);
    spbUp->setObjectName(QStringLiteral("spbUp"));
    spbUp->setGeometry(402, 30, 30, 30);
    spbUp->setIcon(QIcon(LoadBitmap(QStringLiteral("Arrow_Up"))));
    spbUp->setIconSize(QSize(16, 16));
    connect(spbUp, &QToolButton::clicked, this, [this] { spbMoveClick(-1); });
    spbDown = new QToolButton(tab3);
    spbDown->setObjectName(QStringLiteral("spbDown"));
    spbDown->setGeometry(402, 64, 30, 30);
    spbDown->setIcon(QIcon(LoadBitmap(QStringLiteral("Arrow_Down"))));
    spbDown->setIconSize(QSize(16, 16));
    connect(spbDown, &QToolButton::clicked, this, [this] { spbMoveClick(+1); });

    butDelete = MakeButton(tab3, "butDelete", LoadStr(Msg::ButtonDelete), QRect(402, 203, 75, 25));
    butDelete->setAutoDefault(false);
    connect(butDelete, &QPushButton::clicked, this, &TfrmStyleWiz::butDeleteClick);

    const QRect bottom(12, 238, kWidth - 24, 48);
    lblDelete = MakeLabel(tab3, "lblDelete", LoadStr(Msg::DeleteStyleHint), bottom, true);
    lblModify = MakeLabel(tab3, "lblModify", LoadStr(Msg::ModifyStyleHint), bottom, true);
    lblMsg2 = MakeLabel(tab3, "lblMsg2", LoadStr(Msg::StyleOrderHint), bottom, true);
    lblMsg2->hide();
}

// ------------------------------------------------------------------ state shown

void TfrmStyleWiz::ShowState()
{
    switch (m_wizard.Page()) {
    case TWizardPage::Start:
        PageControl1->setCurrentWidget(tab1);
        break;
    case TWizardPage::Editor:
        PageControl1->setCurrentWidget(tab2);
        break;
    case TWizardPage::List:
        PageControl1->setCurrentWidget(tab3);
        break;
    }
    BackButt->setEnabled(m_wizard.BackEnabled());
    NextButt->setVisible(m_wizard.NextVisible());
    FinishButt->setVisible(m_wizard.FinishVisible());
    NextButt->setDefault(m_wizard.NextVisible());
    FinishButt->setDefault(m_wizard.FinishVisible());
    butDelete->setVisible(m_wizard.DeleteButtonVisible());
    lblModify->setVisible(m_wizard.ModifyTextVisible());
    lblDelete->setVisible(m_wizard.DeleteTextVisible());
    const bool anyStyle = !m_wizard.WizardStyles().isEmpty();
    const int selected = m_wizard.Selected();
    spbUp->setEnabled(anyStyle && selected > 0);
    spbDown->setEnabled(anyStyle && selected >= 0 && selected < m_wizard.WizardStyles().size() - 1);
    butDelete->setEnabled(selected >= 0);
}

void TfrmStyleWiz::ShowFinish()
{
    NextButt->hide();
    FinishButt->show();
}

void TfrmStyleWiz::ShowStyles()
{
    const QSignalBlocker block(lstStyles);
    lstStyles->clear();
    lstStyles->addItems(m_wizard.Names());
    const int selected = m_wizard.Selected();
    if (selected >= 0) {
        lstStyles->setCurrentRow(selected, QItemSelectionModel::ClearAndSelect);
        lstStyles->scrollToItem(lstStyles->item(selected));
    } else {
        lstStyles->setCurrentRow(-1);
        lstStyles->clearSelection();
    }
}

void TfrmStyleWiz::ShowMyDetails()
{
    const bool was = FillingFields;
    FillingFields = true;
    const TStyleChunk &style = m_wizard.EditStyle();
    txtStyleName->setText(style.Name);
    txtImgFilename->setText(style.Image);
    SetColours();
    FillingFields = was;
}

void TfrmStyleWiz::SetColours()
{
    const TStyleChunk &style = m_wizard.EditStyle();
    pnlBack->SetColour(ToQColor(style.BackColour));
    pnlDoc->SetColour(ToQColor(style.TextColour));
    pnlStandard->SetColour(ToQColor(style.LinkColour));
    pnlActive->SetColour(ToQColor(style.ActiveColour));
    pnlVisited->SetColour(ToQColor(style.VisitedColour));
}

void TfrmStyleWiz::ClearStyle()
{
    // The style edited is already a cleared one (see TStyleWizard::Next); the
    // fields follow it.
    ShowMyDetails();
}

// ------------------------------------------------------------------ sample

QString TfrmStyleWiz::CreateHTML()
{
    lblDocText->setText(LoadStr(Msg::DocumentText));
    lblActive->setText(LoadStr(Msg::ActiveLink));
    lblVisited->setText(LoadStr(Msg::VisitedLink));
    lblStandard->setText(LoadStr(Msg::StandardLink));
    return CreateStyleSampleHTML(m_wizard.EditStyle(), m_words);
}

QString TfrmStyleWiz::SampleHTML() const
{
    return m_sampleHTML;
}

bool TfrmStyleWiz::SaveFromHTML(const QString &path)
{
    return WriteStyleSample(path, SampleHTML()).ok();
}

void TfrmStyleWiz::RefreshHTML()
{
    const QString html = CreateHTML();
    m_sampleHTML = html;
    const QString path = StyleSamplePath(m_htmlFolder);
    if (SaveFromHTML(path)) {
        ctlHTML->LoadFromFile(path);
    } else {
        // A folder that cannot be written still shows the sample.
        ctlHTML->SetBaseFolder(m_htmlFolder);
        ctlHTML->LoadFromText(html);
    }
}

void TfrmStyleWiz::UpdateHTML()
{
    RefreshHTML();
}

// ------------------------------------------------------------------ handlers

void TfrmStyleWiz::radAddClick()
{
    m_wizard.SetWizardAction(TWizardAction::Add);
}

void TfrmStyleWiz::radModifyClick()
{
    m_wizard.SetWizardAction(TWizardAction::Modify);
}

void TfrmStyleWiz::radDeleteClick()
{
    m_wizard.SetWizardAction(TWizardAction::Delete);
}

void TfrmStyleWiz::NextButtClick()
{
    const TWizardPage from = m_wizard.Page();
    const auto result = m_wizard.Next();
    if (result == TStyleWizard::TNextResult::NeedSelection) {
        MsgBox(this, LoadStr(Msg::SelectStyleToEdit), QMessageBox::NoIcon, QMessageBox::Ok);
        lstStyles->setFocus();
        return;
    }
    if (result != TStyleWizard::TNextResult::Moved)
        return;
    if (m_wizard.Page() == TWizardPage::Editor) {
        ShowMyDetails();
        ShowState();
        UpdateHTML();
        txtStyleName->setFocus();
        if (from == TWizardPage::List)
            txtStyleName->selectAll();
        return;
    }
    ShowStyles();
    ShowState();
    lstStyles->setFocus();
}

void TfrmStyleWiz::BackButtClick()
{
    m_wizard.Back();
    if (m_wizard.Page() == TWizardPage::List)
        ShowStyles();
    ShowState();
    if (m_wizard.Page() == TWizardPage::Start) {
        switch (m_wizard.WizardAction()) {
        case TWizardAction::Add: radAdd->setFocus(); break;
        case TWizardAction::Modify: radModify->setFocus(); break;
        case TWizardAction::Delete: radDelete->setFocus(); break;
        }
    } else {
        lstStyles->setFocus();
    }
}

void TfrmStyleWiz::lstStylesClick()
{
    const QModelIndexList selected = lstStyles->selectionModel()->selectedRows();
    m_wizard.SelectStyle(selected.isEmpty() ? -1 : selected.constFirst().row());
    ShowMyDetails();
    ShowState();
}

void TfrmStyleWiz::txtStyleNameChange()
{
    if (FillingFields)
        return;
    m_wizard.SetName(txtStyleName->text());
}

void TfrmStyleWiz::txtImgFilenameChange()
{
    if (FillingFields)
        return;
    m_wizard.SetImage(txtImgFilename->text());
}

void TfrmStyleWiz::spdImgFileClick()
{
    const QString folder = ToNativePath(JoinPath(m_htmlFolder, QStringLiteral("backgrnd")));
    const FileDialogResult r = OpenFileDialog(this, Plain(Msg::BackgroundImage), folder, QString(),
                                              QStringLiteral("JPG Files (*.jpg)|*.jpg|GIF Files (*.gif)|*.gif"));
    if (!r.Chosen)
        return;
    const TBackgroundCopy copy = CopyBackgroundPicture(m_htmlFolder, r.FileName);
    if (!copy.Ok) {
        MsgBox(this, LoadStr(Msg::PictureNotCopied).arg(copy.Error), QMessageBox::Warning, QMessageBox::Ok);
        return;
    }
    txtImgFilename->setText(copy.StoredPath);
    // The same picture chosen again changes no text, but may be new on disk.
    UpdateHTML();
}

void TfrmStyleWiz::butClearClick()
{
    txtImgFilename->clear();
    UpdateHTML();
}

void TfrmStyleWiz::SwatchClick(TColourSwatch *swatch, TStyleSwatch which)
{
    QColor chosen;
    if (!ColourDialog(this, ToQColor(SwatchColour(m_wizard.EditStyle(), which)), chosen))
        return;
    m_wizard.SetColour(which, FromQColor(chosen));
    swatch->SetColour(ToQColor(SwatchColour(m_wizard.EditStyle(), which)));
    UpdateHTML();
}

void TfrmStyleWiz::pnlBackClick() { SwatchClick(pnlBack, TStyleSwatch::Back); }
void TfrmStyleWiz::pnlDocClick() { SwatchClick(pnlDoc, TStyleSwatch::Doc); }
void TfrmStyleWiz::pnlStandardClick() { SwatchClick(pnlStandard, TStyleSwatch::Standard); }
void TfrmStyleWiz::pnlActiveClick() { SwatchClick(pnlActive, TStyleSwatch::Active); }
void TfrmStyleWiz::pnlVisitedClick() { SwatchClick(pnlVisited, TStyleSwatch::Visited); }

void TfrmStyleWiz::RemoveStyle(int index)
{
    if (index != m_wizard.Selected())
        m_wizard.SelectStyle(index);
    m_wizard.DeleteSelected();
}

void TfrmStyleWiz::butDeleteClick()
{
    if (m_wizard.Selected() < 0)
        return;
    RemoveStyle(m_wizard.Selected());
    ShowStyles();
    FillingFields = true;
    ClearStyle();
    FillingFields = false;
    ShowState();
    lstStyles->setFocus();
}

// The up (step -1) and down (+1) arrows: the chosen style one place along.
void TfrmStyleWiz::spbMoveClick(int step)
{
    if (!(step < 0 ? m_wizard.MoveUp() : m_wizard.MoveDown()))
        return;
    ShowStyles();
    ShowState();
}

// ------------------------------------------------------------------ closing

QMessageBox::StandardButton TfrmStyleWiz::AskForSave()
{
    if (!m_wizard.StylesChanged())
        return QMessageBox::No;
    return MsgBoxCaption(this, LoadStr(Msg::StyleListChanged), LoadStr(Msg::SaveStyleListQuestion), QMessageBox::Question,
                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
}

bool TfrmStyleWiz::KeepDuplicateNames(const StyleList &styles)
{
    int second = -1;
    const QString name = FirstDuplicateName(styles, &second);
    if (name.isEmpty())
        return true;
    if (MsgBox(this, LoadStr(Msg::StyleNameTaken).arg(name), QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
               QMessageBox::No)
        == QMessageBox::Yes)
        return true;
    // Back to where the name can be changed.
    if (m_wizard.Page() == TWizardPage::Editor) {
        txtStyleName->setFocus();
        txtStyleName->selectAll();
    } else if (second >= 0 && second < lstStyles->count()) {
        lstStyles->setCurrentRow(second);
        lstStyles->setFocus();
    }
    return false;
}

bool TfrmStyleWiz::WriteStylesToFile()
{
    const StyleList styles = m_wizard.StylesToWrite();
    const TResult<void> written = wobbin::WriteStylesToFile(m_appDir, styles);
    if (!written.ok()) {
        MsgBox(this, TError(Msg::StyleListNotSaved, written.error().Text()).Text(), QMessageBox::Warning,
               QMessageBox::Ok);
        return false;
    }
    m_wizard.MarkSaved();
    m_written = true;
    return true;
}

void TfrmStyleWiz::FinishButtClick()
{
    if (m_wizard.NeedsName()) {
        MsgBox(this, LoadStr(Msg::StyleNeedsName), QMessageBox::NoIcon, QMessageBox::Ok);
        txtStyleName->setFocus();
        return;
    }
    const auto answer = AskForSave();
    if (answer == QMessageBox::Cancel)
        return;
    if (answer == QMessageBox::Yes) {
        if (!KeepDuplicateNames(m_wizard.StylesToWrite()))
            return;
        // A library that could not be written keeps the wizard open with the
        // work in it, so that the user may try again or cancel.
        if (!WriteStylesToFile())
            return;
    }
    accept();
}

void TfrmStyleWiz::CancelButtClick()
{
    QDialog::reject();
}

void TfrmStyleWiz::reject()
{
    CancelButtClick();
}

void TfrmStyleWiz::butHelpClick()
{
    THelp::ShowTopic(kStyleWizardHelp, this);
}

bool RunStyleWizard(QWidget *parent, const QString &appDir, const StyleList &styles)
{
    TfrmStyleWiz wizard(appDir, styles, parent);
    ExecDialog(wizard);
    return wizard.LibraryWritten();
}

} // namespace wobbin
