// The property panels of the Build workspace: their construction, help
// contexts and names for a screen reader.

#include "workspace/PropertyPanels.h"
#include "workspace/Controls.h"

#include "shell/Accessible.h"
#include "shell/Skin.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "page/WebBlock.h"

#include <QComboBox>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPen>
#include <QPlainTextEdit>
#include <QToolButton>

namespace wobbin {

namespace {

constexpr int kPanelLeft = 338;
constexpr int kPanelTop = 20;
constexpr int kPanelWidth = 281;
constexpr int kPanelHeight = 273;

// Help contexts of the alignment and new-line buttons.
constexpr int kTagLeft = 92;
constexpr int kTagCenter = 94;
constexpr int kTagRight = 93;
constexpr int kTagReturn = 95;

// Help context given to a kind panel, its labels and its banner.
constexpr int kPanelTag[6] = {50, 53, 56, 45, 62, 47};

const char *const kAlignPrefix[5] = {"spdPara", "spdLink", "spdImage", "spdHead", "spdEmail"};

void setTag(QWidget *w, int tag) { w->setProperty("Tag", tag); }

// Glyphs of the alignment buttons (0 left, 1 center, 2 right) and of the
// new-line button (3): lines of text set as the button does, or a return arrow.
QIcon buttonGlyph(int which)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QPen(QColor(32, 32, 96), 1.6));
    if (which < 3) {
        const int widths[4] = {14, 9, 12, 7};
        for (int i = 0; i < 4; ++i) {
            const int w = widths[i];
            const int x = which == 0 ? 1 : which == 1 ? (16 - w) / 2 : 15 - w;
            const int y = 3 + i * 3;
            p.drawLine(x, y, x + w - 1, y);
        }
    } else {
        p.setRenderHint(QPainter::Antialiasing);
        p.drawLine(13, 2, 13, 10);
        p.drawLine(13, 10, 3, 10);
        p.drawLine(3, 10, 6, 7);
        p.drawLine(3, 10, 6, 13);
    }
    return QIcon(pm);
}

} // namespace

TPropertyPanels::TPropertyPanels(QWidget *pnlBuild, TPageDocument &document, QObject *parent)
    : QObject(parent), m_doc(document), m_pnlBuild(pnlBuild)
{
    buildParaPanel();
    buildLinkPanel();
    buildImagePanel();
    buildHeadingPanel();
    buildEmailPanel();
    buildLinePanel();
    m_pnlBlank = makePanel(QStringLiteral("pnlBlank"), QString(), QString(), -1);
    m_pnlBlank->show();
    m_pnlBlank->raise();
    AssignHelpContext();
    // Right-click help of every control in a panel that carries a tag.
    for (QFrame *panel : m_kindPanels)
        for (QWidget *w : panel->findChildren<QWidget *>())
            if (w->focusPolicy() != Qt::NoFocus)
                w->installEventFilter(this);
    setUpAccessible();
}

TPropertyPanels::~TPropertyPanels() = default;

QFrame *TPropertyPanels::makePanel(const QString &name, const QString &banner,
                                   const QString &bannerBitmap, int kind)
{
    auto *panel = new QFrame(m_pnlBuild);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setGeometry(kPanelLeft, kPanelTop, kPanelWidth, kPanelHeight);
    panel->setAutoFillBackground(true);
    panel->hide();
    setTag(panel, kind >= 0 ? kPanelTag[kind] : 0);
    panel->installEventFilter(this);
    if (!banner.isEmpty()) {
        auto *img = new QLabel(panel);
        img->setObjectName(banner);
        img->setGeometry(8, 8, 83, 16);
        img->setScaledContents(true);
        ShowBitmap(img, bannerBitmap);
        setTag(img, kPanelTag[kind]);
        img->installEventFilter(this);
    }
    return panel;
}

QLabel *TPropertyPanels::makeLabel(QWidget *parent, const QString &name, int textId, int x, int y,
                                   int w, int h)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setText(LoadStr(textId));
    label->setWordWrap(h > 14);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(x, y, w > 0 ? w : kPanelWidth - x - 8, h > 0 ? h : 14);
    setTag(label, parent->property("Tag").toInt());
    label->installEventFilter(this);
    return label;
}

QLineEdit *TPropertyPanels::makeEdit(QWidget *parent, const QString &name, int x, int y, int w,
                                     BlockField field)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(x, y, w, 21);
    connect(edit, &QLineEdit::textChanged, this, [this, edit, field] { writeField(edit, field); });
    return edit;
}

// The size and thickness lists: six texts from the string table.
QComboBox *TPropertyPanels::makeCombo(QWidget *parent, const QString &name, int y, int firstTextId,
                                      BlockField field)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setGeometry(8, y, 150, 22);
    for (int id = firstTextId; id < firstTextId + 6; ++id)
        combo->addItem(LoadStr(id));
    connect(combo, &QComboBox::activated, this, [this, combo, field] { writeField(combo, field); });
    return combo;
}

QToolButton *TPropertyPanels::makeSpeed(QWidget *parent, const QString &name, int glyph, int textId,
                                        int hintId, int tag, int x, int y)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(name);
    b->setCheckable(true);
    b->setAutoRaise(false);
    // The text is what a screen reader says; the button shows its glyph.
    b->setText(LoadStr(textId));
    b->setAccessibleName(LoadStr(textId));
    b->setIcon(buttonGlyph(glyph));
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    b->setToolTip(LoadStr(hintId));
    b->setGeometry(x, y, 25, 25);
    // Tab reaches the row after the panel's fields; the arrows go along it
    // and Space presses (see BuildWorkspace_keys.cpp). A click leaves the
    // focus where it is.
    b->setFocusPolicy(Qt::TabFocus);
    // Pressed (checked) and released must tell apart at a glance: a raised
    // grey button, and a sunken one in the program's gold; the one with the
    // keyboard focus has a navy frame.
    b->setStyleSheet(QStringLiteral(
        "QToolButton { background: #d4d0c8; color: #000000; selection-background-color: #000080;"
        " border: 1px solid; border-radius: 2px; border-color: #ffffff #404040 #404040 #ffffff; }"
        "QToolButton:checked { background: #f0b830; border: 2px solid;"
        " border-color: #404040 #ffffff #ffffff #404040; }"
        "QToolButton:pressed { background: #c89010; }"
        "QToolButton:focus { border: 2px solid #000080; }"));
    setTag(b, tag);
    b->installEventFilter(this);
    return b;
}

void TPropertyPanels::makeAlignRow(QWidget *panel, const QString &prefix, int kind, int y)
{
    const int tags[3] = {kTagLeft, kTagCenter, kTagRight};
    const char *const suffix[3] = {"Left", "Center", "Right"};
    for (int i = 0; i < 3; ++i) {
        QToolButton *b = makeSpeed(panel, prefix + QString::fromLatin1(suffix[i]), i, 870 + i, 5020 + i, tags[i],
                                   8 + i * 27, y);
        m_alignButtons[std::size_t(kind)][std::size_t(i)] = b;
        const int value = i + 1;
        connect(b, &QToolButton::clicked, this, [this, b, kind, value] { alignClicked(b, kind, value); });
    }
    QToolButton *r = makeSpeed(panel, prefix + QStringLiteral("Return"), 3, Msg::NewLineAfterBlock, Msg::StartNewLine, kTagReturn,
                               8 + 3 * 27 + 10, y);
    m_returnButtons[std::size_t(kind)] = r;
    connect(r, &QToolButton::clicked, this, [this, r, kind] { newLineClicked(r, kind); });
}

void TPropertyPanels::buildParaPanel()
{
    QFrame *p = makePanel(QStringLiteral("pnlPara"), QStringLiteral("imgParagraphT"),
                          QStringLiteral("Para_T"), bkPara);
    m_kindPanels[bkPara] = p;
    makeLabel(p, QStringLiteral("lblPara"), Msg::ParagraphTitle, 98, 9);
    makeLabel(p, QStringLiteral("lblParaDesc"), Msg::ParagraphHint, 8, 30, 0, 40);
    makeLabel(p, QStringLiteral("lblParaPara"), Msg::ParagraphText, 8, 72);
    m_txtParagraph = new QPlainTextEdit(p);
    m_txtParagraph->setObjectName(QStringLiteral("txtParagraph"));
    m_txtParagraph->setGeometry(8, 88, kPanelWidth - 16, 142);
    m_txtParagraph->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_txtParagraph->setTabChangesFocus(true);
    connect(m_txtParagraph, &QPlainTextEdit::textChanged, this,
            [this] { writeField(m_txtParagraph, BlockField::ParaText); });
    makeAlignRow(p, QString::fromLatin1(kAlignPrefix[bkPara]), bkPara, 240);
}

void TPropertyPanels::buildLinkPanel()
{
    QFrame *p = makePanel(QStringLiteral("pnlLink"), QStringLiteral("imgLinkT"),
                          QStringLiteral("Link_T"), bkLink);
    m_kindPanels[bkLink] = p;
    const int w = kPanelWidth - 16;
    makeLabel(p, QStringLiteral("lblLInkDesc"), Msg::LinkHint, 8, 28, 0, 28);
    makeLabel(p, QStringLiteral("lblLinkURL"), Msg::LinkAddress, 8, 58);
    m_txtLinkURL = makeEdit(p, QStringLiteral("txtLinkURL"), 8, 72, w, BlockField::LinkURL);
    makeLabel(p, QStringLiteral("lblLinkEG1"), Msg::LinkExamplePrefix, 8, 95, 28);
    QLabel *eg2 = makeLabel(p, QStringLiteral("lblLinkEG2"), Msg::LinkExampleAddress, 36, 95, 230);
    eg2->setFont(QFont(LoadStr(Msg::DefaultFontName).isEmpty() ? QStringLiteral("Arial") : LoadStr(Msg::DefaultFontName)));
    makeLabel(p, QStringLiteral("lblLinkPre"), Msg::LinkTextBefore, 8, 112);
    m_txtLinkPre = makeEdit(p, QStringLiteral("txtLinkPre"), 8, 126, w, BlockField::LinkPre);
    makeLabel(p, QStringLiteral("lblLinkLink"), Msg::LinkText, 8, 150);
    m_txtLinkLink = makeEdit(p, QStringLiteral("txtLinkLink"), 8, 164, w, BlockField::LinkText);
    makeLabel(p, QStringLiteral("lblLinkPost"), Msg::LinkTextAfter, 8, 188);
    m_txtLinkPost = makeEdit(p, QStringLiteral("txtLinkPost"), 8, 202, w, BlockField::LinkPost);
    makeLabel(p, QStringLiteral("lblLinkEG3"), Msg::LinkTextHint, 130, 234, 143, 34);
    makeAlignRow(p, QString::fromLatin1(kAlignPrefix[bkLink]), bkLink, 240);
}

void TPropertyPanels::buildImagePanel()
{
    QFrame *p = makePanel(QStringLiteral("pnlImage"), QStringLiteral("imgImageT"),
                          QStringLiteral("Image_T"), bkImage);
    m_kindPanels[bkImage] = p;
    const int w = kPanelWidth - 16;
    makeLabel(p, QStringLiteral("lblImg"), Msg::ImageTitle, 98, 9);
    makeLabel(p, QStringLiteral("lblImgFilename"), Msg::ImageFile, 8, 40);
    m_txtImgFileName = makeEdit(p, QStringLiteral("txtImgFileName"), 8, 54, w - 28, BlockField::ImageFile);
    m_spdImgFile = new QToolButton(p);
    m_spdImgFile->setObjectName(QStringLiteral("spdImgFile"));
    m_spdImgFile->setGeometry(8 + w - 24, 53, 24, 23);
    m_spdImgFile->setText(QStringLiteral("..."));
    if (const QPixmap pm = LoadBitmap(QStringLiteral("ImgFile")); !pm.isNull()) {
        m_spdImgFile->setIcon(QIcon(pm));
        m_spdImgFile->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    setTag(m_spdImgFile, 56);
    m_spdImgFile->installEventFilter(this);
    connect(m_spdImgFile, &QToolButton::clicked, this, [this] { pickImage(); });
    makeLabel(p, QStringLiteral("lblImgHeight"), Msg::ImageHeight, 8, 88, 60);
    m_txtImgHeight = makeEdit(p, QStringLiteral("txtImgHeight"), 70, 86, 60, BlockField::ImageHeight);
    makeLabel(p, QStringLiteral("lblImgWidth"), Msg::ImageWidth, 140, 88, 60);
    m_txtImgWidth = makeEdit(p, QStringLiteral("txtImgWidth"), 204, 86, 60, BlockField::ImageWidth);
    makeLabel(p, QStringLiteral("lblImgAlt"), Msg::ImageDescription, 8, 116);
    m_txtImgDesc = makeEdit(p, QStringLiteral("txtImgDesc"), 8, 130, w, BlockField::ImageAlt);
    makeLabel(p, QStringLiteral("lblImgLink"), Msg::ImageLinkGoesTo, 8, 160);
    makeLabel(p, QStringLiteral("lblImgURL"), Msg::ImageLinkAddress, 8, 178);
    m_txtImgLink = makeEdit(p, QStringLiteral("txtImgLink"), 8, 192, w, BlockField::ImageLink);
    makeAlignRow(p, QString::fromLatin1(kAlignPrefix[bkImage]), bkImage, 240);
}

void TPropertyPanels::buildHeadingPanel()
{
    QFrame *p = makePanel(QStringLiteral("pnlHeading"), QStringLiteral("imgHeadingT"),
                          QStringLiteral("Heading_T"), bkHeading);
    m_kindPanels[bkHeading] = p;
    const int w = kPanelWidth - 16;
    makeLabel(p, QStringLiteral("lblHead2"), Msg::HeadingTitle, 98, 9);
    makeLabel(p, QStringLiteral("lblHeadDesc"), Msg::HeadingHint, 8, 30, 0, 40);
    makeLabel(p, QStringLiteral("lblHeadHeading"), Msg::HeadingText, 8, 72);
    m_txtHeading = makeEdit(p, QStringLiteral("txtHeading"), 8, 86, w, BlockField::HeadingText);
    makeLabel(p, QStringLiteral("lblHeadSize"), Msg::HeadingSize, 8, 116);
    m_cmbHeadSize = makeCombo(p, QStringLiteral("cmbHeadSize"), 130, 23, BlockField::HeadingSize);
    makeAlignRow(p, QString::fromLatin1(kAlignPrefix[bkHeading]), bkHeading, 240);
}

void TPropertyPanels::buildEmailPanel()
{
    QFrame *p = makePanel(QStringLiteral("pnlEmail"), QStringLiteral("imgEmailT"),
                          QStringLiteral("Email_T"), bkEmail);
    m_kindPanels[bkEmail] = p;
    const int w = kPanelWidth - 16;
    makeLabel(p, QStringLiteral("lblEmailDesc"), Msg::EmailHint, 8, 28, 0, 28);
    makeLabel(p, QStringLiteral("lblEmailAddr"), Msg::EmailAddress, 8, 58);
    m_txtEmail = makeEdit(p, QStringLiteral("txtEmail"), 8, 72, w, BlockField::EmailAddress);
    makeLabel(p, QStringLiteral("lblEmailEG1"), Msg::EmailExamplePrefix, 8, 95, 28);
    QLabel *eg2 = makeLabel(p, QStringLiteral("lblEmailEG2"), Msg::EmailExampleAddress, 36, 95, 230);
    eg2->setFont(QFont(LoadStr(Msg::DefaultFontName).isEmpty() ? QStringLiteral("Arial") : LoadStr(Msg::DefaultFontName)));
    makeLabel(p, QStringLiteral("lblEmailPre"), Msg::EmailTextBefore, 8, 112);
    m_txtEmailPre = makeEdit(p, QStringLiteral("txtEmailPre"), 8, 126, w, BlockField::EmailPre);
    makeLabel(p, QStringLiteral("lblEmailLink"), Msg::EmailLinkText, 8, 150);
    m_txtEmailLink = makeEdit(p, QStringLiteral("txtEmailLink"), 8, 164, w, BlockField::EmailLink);
    makeLabel(p, QStringLiteral("lblEmailPost"), Msg::EmailTextAfter, 8, 188);
    m_txtEmailPost = makeEdit(p, QStringLiteral("txtEmailPost"), 8, 202, w, BlockField::EmailPost);
    makeLabel(p, QStringLiteral("lblEmailEG3"), Msg::EmailLinkTextHint, 130, 234, 143, 34);
    // These four edits give right-click help instead of the edit menu.
    const std::pair<QLineEdit *, int> helpEdits[] = {
        {m_txtEmail, 62}, {m_txtEmailPre, 61}, {m_txtEmailLink, 63}, {m_txtEmailPost, 64}};
    for (const auto &[edit, tag] : helpEdits) {
        setTag(edit, tag);
        edit->setContextMenuPolicy(Qt::NoContextMenu);
        edit->installEventFilter(this);
    }
    makeAlignRow(p, QString::fromLatin1(kAlignPrefix[bkEmail]), bkEmail, 240);
}

void TPropertyPanels::buildLinePanel()
{
    QFrame *p = makePanel(QStringLiteral("pnlLine"), QStringLiteral("imgLineT"),
                          QStringLiteral("Line_T"), bkLine);
    m_kindPanels[bkLine] = p;
    makeLabel(p, QStringLiteral("lblLine"), Msg::LineTitle, 98, 9);
    makeLabel(p, QStringLiteral("lblLineDesc1"), Msg::LineHint, 8, 30, 0, 40);
    makeLabel(p, QStringLiteral("lblLineWidth"), Msg::LineWidthPercent, 8, 80);
    m_txtLineWidth = makeEdit(p, QStringLiteral("txtLineWidth"), 8, 94, 80, BlockField::LineWidth);
    makeLabel(p, QStringLiteral("lblLineThick"), Msg::LineThickness, 8, 124);
    m_cmbLineThick = makeCombo(p, QStringLiteral("cmbLineThick"), 138, 17, BlockField::LineThickness);
}

void TPropertyPanels::AssignHelpContext()
{
    const std::pair<QWidget *, int> contexts[] = {
        {m_txtParagraph, 50}, {m_txtLinkURL, 53}, {m_txtLinkPre, 52}, {m_txtLinkLink, 54},
        {m_txtLinkPost, 55}, {m_txtImgFileName, 56}, {m_txtImgHeight, 57}, {m_txtImgWidth, 57},
        {m_txtImgDesc, 59}, {m_txtHeading, 45}, {m_cmbHeadSize, 44}, {m_txtEmail, 62},
        {m_txtEmailPre, 61}, {m_txtEmailLink, 63}, {m_txtEmailPost, 64}, {m_txtLineWidth, 47},
        {m_cmbLineThick, 48}};
    for (const auto &[w, ctx] : contexts)
        w->setProperty("HelpContext", ctx);
    // The image link field and the picker button carry their topic as a tag.
    setTag(m_txtImgLink, 53);
    setTag(m_spdImgFile, 56);
}

void TPropertyPanels::setUpAccessible()
{
    // The fields are named after the labels above them.
    static const char *const named[][2] = {
        {"lblParaPara", "txtParagraph"},    {"lblLinkURL", "txtLinkURL"},       {"lblLinkPre", "txtLinkPre"},
        {"lblLinkLink", "txtLinkLink"},     {"lblLinkPost", "txtLinkPost"},     {"lblImgFilename", "txtImgFileName"},
        {"lblImgHeight", "txtImgHeight"},   {"lblImgWidth", "txtImgWidth"},     {"lblImgAlt", "txtImgDesc"},
        {"lblImgURL", "txtImgLink"},        {"lblHeadHeading", "txtHeading"},   {"lblHeadSize", "cmbHeadSize"},
        {"lblEmailAddr", "txtEmail"},       {"lblEmailPre", "txtEmailPre"},     {"lblEmailLink", "txtEmailLink"},
        {"lblEmailPost", "txtEmailPost"},   {"lblLineWidth", "txtLineWidth"},   {"lblLineThick", "cmbLineThick"},
    };
    for (const auto &pair : named)
        NameFromLabel(m_pnlBuild->findChild<QWidget *>(QLatin1String(pair[1])),
                      m_pnlBuild->findChild<QLabel *>(QLatin1String(pair[0])));
    m_spdImgFile->setAccessibleName(LoadStr(Msg::ChooseImageFile));
    m_spdImgFile->setToolTip(LoadStr(Msg::ChooseImageFile));
}

} // namespace wobbin
