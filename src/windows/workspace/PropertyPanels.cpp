// The property panels of the Build workspace: their construction, help
// contexts and names for a screen reader.

#include "workspace/PropertyPanels.h"
#include "workspace/Controls.h"
#include "workspace/PropertyPanels_p.h"

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

using namespace panels;

namespace {

constexpr int kPanelLeft = 338;
constexpr int kPanelTop = 20;
constexpr int kPanelHeight = 273;

// Help contexts of the alignment and new-line buttons.
constexpr int kTagLeft = 92;
constexpr int kTagCenter = 94;
constexpr int kTagRight = 93;
constexpr int kTagReturn = 95;

// Help context given to a kind panel, its labels and its banner.
constexpr int kPanelTag[6] = {50, 53, 56, 45, 62, 47};

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
    for (int kind = 0; kind < kKindCount; ++kind)
        buildPanel(kind);
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

// One kind panel from its table: the controls in their order, then the row
// of alignment and new-line buttons.
void TPropertyPanels::buildPanel(int kind)
{
    const TPanelKind &k = kPanelKinds[kind];
    QFrame *p = makePanel(QLatin1String(k.Panel), QLatin1String(k.Banner), QLatin1String(k.Bitmap), kind);
    m_kindPanels[std::size_t(kind)] = p;
    for (const TPanelControl &c : k.Controls) {
        const QString name = QLatin1String(c.Name);
        QWidget *field = nullptr;
        switch (c.Type) {
        case Ctl::Label: {
            QLabel *label = makeLabel(p, name, c.TextId, c.X, c.Y, c.W, c.H);
            if (c.Flags & kExampleFont)
                label->setFont(QFont(LoadStr(Msg::DefaultFontName).isEmpty() ? QStringLiteral("Arial")
                                                                              : LoadStr(Msg::DefaultFontName)));
            break;
        }
        case Ctl::Edit: field = makeEdit(p, name, c.X, c.Y, c.W, c.Field); break;
        case Ctl::Combo: field = makeCombo(p, name, c.Y, c.TextId, c.Field); break;
        case Ctl::Paragraph: {
            auto *para = new QPlainTextEdit(p);
            para->setObjectName(name);
            para->setGeometry(c.X, c.Y, c.W, c.H);
            para->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            para->setTabChangesFocus(true);
            connect(para, &QPlainTextEdit::textChanged, this, [this, para, f = c.Field] { writeField(para, f); });
            field = para;
            break;
        }
        case Ctl::Picker: makePicker(p, c); break;
        }
        if (!field)
            continue;
        m_fields[std::size_t(c.Field)] = field;
        if (c.Flags & kNoEditMenu) {
            field->setContextMenuPolicy(Qt::NoContextMenu);
            field->installEventFilter(this);
        }
    }
    if (k.AlignPrefix)
        makeAlignRow(p, QLatin1String(k.AlignPrefix), kind, 240);
}

// The Image panel's button that picks a picture.
void TPropertyPanels::makePicker(QWidget *panel, const TPanelControl &c)
{
    m_spdImgFile = new QToolButton(panel);
    m_spdImgFile->setObjectName(QLatin1String(c.Name));
    m_spdImgFile->setGeometry(c.X, c.Y, c.W, c.H);
    m_spdImgFile->setText(QStringLiteral("..."));
    if (const QPixmap pm = LoadBitmap(QStringLiteral("ImgFile")); !pm.isNull()) {
        m_spdImgFile->setIcon(QIcon(pm));
        m_spdImgFile->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    setTag(m_spdImgFile, c.Tag);
    m_spdImgFile->installEventFilter(this);
    connect(m_spdImgFile, &QToolButton::clicked, this, [this] { pickImage(); });
}

void TPropertyPanels::AssignHelpContext()
{
    for (const TPanelKind &k : kPanelKinds) {
        for (const TPanelControl &c : k.Controls) {
            QWidget *w = c.Type == Ctl::Picker ? m_spdImgFile : c.IsField() ? field(c.Field) : nullptr;
            if (w && c.Help)
                w->setProperty("HelpContext", c.Help);
            if (w && c.Tag)
                setTag(w, c.Tag);
        }
    }
}

void TPropertyPanels::setUpAccessible()
{
    // The fields are named after the labels above them.
    for (std::size_t kind = 0; kind < m_kindPanels.size(); ++kind) {
        const char *above = nullptr;
        for (const TPanelControl &c : kPanelKinds[kind].Controls) {
            if (c.Type == Ctl::Label)
                above = c.Name;
            else if (c.IsField() && above)
                NameFromLabel(field(c.Field), m_kindPanels[kind]->findChild<QLabel *>(QLatin1String(above)));
        }
    }
    m_spdImgFile->setAccessibleName(LoadStr(Msg::ChooseImageFile));
    m_spdImgFile->setToolTip(LoadStr(Msg::ChooseImageFile));
}

} // namespace wobbin
