#pragma once
// The controls of the property panels: a table a block kind, in the order the
// panel creates them (the order Tab visits them). The builder, the filling
// from a block, the help contexts and the screen reader's names all read it.

#include "page/PageDocument.h"
#include "page/WebBlock.h"
#include "strings/Msg.h"

#include <cstdint>
#include <span>

namespace wobbin::panels {

constexpr int kPanelWidth = 281;
constexpr int kFieldWidth = kPanelWidth - 16;
constexpr int kKindCount = 6;

enum class Ctl : std::uint8_t { Label, Edit, Combo, Paragraph, Picker };

// Flags of a control.
enum : std::uint8_t {
    kExampleFont = 1, // a label showing an example address, in the page's default font
    kNoEditMenu = 2,  // a field whose right-click gives help instead of the edit menu
};

struct TPanelControl {
    Ctl Type;
    const char *Name;
    int TextId;       // a label's text; the first of a combo box's six items
    int X, Y, W, H;   // a label's W 0 reaches the right edge, its H 0 is one line
    BlockField Field; // a field's text in the block (not for labels and the picker)
    int Help;         // a field's help context (0 none)
    int Tag;          // right-click help topic of a field or the picker (0 none)
    std::uint8_t Flags;

    constexpr bool IsField() const { return Type == Ctl::Edit || Type == Ctl::Combo || Type == Ctl::Paragraph; }
};

constexpr TPanelControl Label(const char *name, int textId, int x, int y, int w = 0, int h = 0,
                              std::uint8_t flags = 0)
{
    return {Ctl::Label, name, textId, x, y, w, h, BlockField::ParaText, 0, 0, flags};
}

constexpr TPanelControl Edit(const char *name, BlockField field, int x, int y, int w, int help, int tag = 0,
                             std::uint8_t flags = 0)
{
    return {Ctl::Edit, name, 0, x, y, w, 21, field, help, tag, flags};
}

constexpr TPanelControl Combo(const char *name, BlockField field, int y, int firstTextId, int help)
{
    return {Ctl::Combo, name, firstTextId, 8, y, 150, 22, field, help, 0, 0};
}

struct TPanelKind {
    const char *Panel, *Banner, *Bitmap;
    const char *AlignPrefix; // the alignment and new-line row; nullptr without one
    std::span<const TPanelControl> Controls;
};

using BF = BlockField;

inline constexpr TPanelControl kParaControls[] = {
    Label("lblPara", Msg::ParagraphTitle, 98, 9),
    Label("lblParaDesc", Msg::ParagraphHint, 8, 30, 0, 40),
    Label("lblParaPara", Msg::ParagraphText, 8, 72),
    {Ctl::Paragraph, "txtParagraph", 0, 8, 88, kFieldWidth, 142, BF::ParaText, 50, 0, 0},
};

inline constexpr TPanelControl kLinkControls[] = {
    Label("lblLInkDesc", Msg::LinkHint, 8, 28, 0, 28),
    Label("lblLinkURL", Msg::LinkAddress, 8, 58),
    Edit("txtLinkURL", BF::LinkURL, 8, 72, kFieldWidth, 53),
    Label("lblLinkEG1", Msg::LinkExamplePrefix, 8, 95, 28),
    Label("lblLinkEG2", Msg::LinkExampleAddress, 36, 95, 230, 0, kExampleFont),
    Label("lblLinkPre", Msg::LinkTextBefore, 8, 112),
    Edit("txtLinkPre", BF::LinkPre, 8, 126, kFieldWidth, 52),
    Label("lblLinkLink", Msg::LinkText, 8, 150),
    Edit("txtLinkLink", BF::LinkText, 8, 164, kFieldWidth, 54),
    Label("lblLinkPost", Msg::LinkTextAfter, 8, 188),
    Edit("txtLinkPost", BF::LinkPost, 8, 202, kFieldWidth, 55),
    Label("lblLinkEG3", Msg::LinkTextHint, 130, 234, 143, 34),
};

inline constexpr TPanelControl kImageControls[] = {
    Label("lblImg", Msg::ImageTitle, 98, 9),
    Label("lblImgFilename", Msg::ImageFile, 8, 40),
    Edit("txtImgFileName", BF::ImageFile, 8, 54, kFieldWidth - 28, 56),
    {Ctl::Picker, "spdImgFile", 0, 8 + kFieldWidth - 24, 53, 24, 23, BF::ImageFile, 0, 56, 0},
    Label("lblImgHeight", Msg::ImageHeight, 8, 88, 60),
    Edit("txtImgHeight", BF::ImageHeight, 70, 86, 60, 57),
    Label("lblImgWidth", Msg::ImageWidth, 140, 88, 60),
    Edit("txtImgWidth", BF::ImageWidth, 204, 86, 60, 57),
    Label("lblImgAlt", Msg::ImageDescription, 8, 116),
    Edit("txtImgDesc", BF::ImageAlt, 8, 130, kFieldWidth, 59),
    Label("lblImgLink", Msg::ImageLinkGoesTo, 8, 160),
    Label("lblImgURL", Msg::ImageLinkAddress, 8, 178),
    Edit("txtImgLink", BF::ImageLink, 8, 192, kFieldWidth, 0, 53),
};

inline constexpr TPanelControl kHeadingControls[] = {
    Label("lblHead2", Msg::HeadingTitle, 98, 9),
    Label("lblHeadDesc", Msg::HeadingHint, 8, 30, 0, 40),
    Label("lblHeadHeading", Msg::HeadingText, 8, 72),
    Edit("txtHeading", BF::HeadingText, 8, 86, kFieldWidth, 45),
    Label("lblHeadSize", Msg::HeadingSize, 8, 116),
    Combo("cmbHeadSize", BF::HeadingSize, 130, 23, 44),
};

inline constexpr TPanelControl kEmailControls[] = {
    Label("lblEmailDesc", Msg::EmailHint, 8, 28, 0, 28),
    Label("lblEmailAddr", Msg::EmailAddress, 8, 58),
    Edit("txtEmail", BF::EmailAddress, 8, 72, kFieldWidth, 62, 62, kNoEditMenu),
    Label("lblEmailEG1", Msg::EmailExamplePrefix, 8, 95, 28),
    Label("lblEmailEG2", Msg::EmailExampleAddress, 36, 95, 230, 0, kExampleFont),
    Label("lblEmailPre", Msg::EmailTextBefore, 8, 112),
    Edit("txtEmailPre", BF::EmailPre, 8, 126, kFieldWidth, 61, 61, kNoEditMenu),
    Label("lblEmailLink", Msg::EmailLinkText, 8, 150),
    Edit("txtEmailLink", BF::EmailLink, 8, 164, kFieldWidth, 63, 63, kNoEditMenu),
    Label("lblEmailPost", Msg::EmailTextAfter, 8, 188),
    Edit("txtEmailPost", BF::EmailPost, 8, 202, kFieldWidth, 64, 64, kNoEditMenu),
    Label("lblEmailEG3", Msg::EmailLinkTextHint, 130, 234, 143, 34),
};

inline constexpr TPanelControl kLineControls[] = {
    Label("lblLine", Msg::LineTitle, 98, 9),
    Label("lblLineDesc1", Msg::LineHint, 8, 30, 0, 40),
    Label("lblLineWidth", Msg::LineWidthPercent, 8, 80),
    Edit("txtLineWidth", BF::LineWidth, 8, 94, 80, 47),
    Label("lblLineThick", Msg::LineThickness, 8, 124),
    Combo("cmbLineThick", BF::LineThickness, 138, 17, 48),
};

// By block kind (bkPara ... bkLine).
inline constexpr TPanelKind kPanelKinds[kKindCount] = {
    {"pnlPara", "imgParagraphT", "Para_T", "spdPara", kParaControls},
    {"pnlLink", "imgLinkT", "Link_T", "spdLink", kLinkControls},
    {"pnlImage", "imgImageT", "Image_T", "spdImage", kImageControls},
    {"pnlHeading", "imgHeadingT", "Heading_T", "spdHead", kHeadingControls},
    {"pnlEmail", "imgEmailT", "Email_T", "spdEmail", kEmailControls},
    {"pnlLine", "imgLineT", "Line_T", nullptr, kLineControls},
};

// The field a panel of that kind gives the focus to: its first.
constexpr BlockField FirstFieldOf(int kind)
{
    for (const TPanelControl &c : kPanelKinds[kind].Controls)
        if (c.IsField())
            return c.Field;
    return BlockField::ParaText;
}

} // namespace wobbin::panels
