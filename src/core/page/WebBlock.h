#pragma once
// The block record of a page and its six kind records.

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace wobbin {

// Block kinds; the numbers are stored in page files. -1 is "no kind" and, in a
// page file, the end-of-blocks marker.
enum BlockKind : std::int32_t {
    bkNone = -1,
    bkPara = 0,
    bkLink = 1,
    bkImage = 2,
    bkHeading = 3,
    bkEmail = 4,
    bkLine = 5,
};

constexpr int kBlockKindCount = 6;
inline bool IsBlockKind(std::int32_t k) { return k >= 0 && k < kBlockKindCount; }

// Align: 0 none, 1 Left, 2 Center, 3 Right. NewLine: 1 ends the block with a line break.
struct TBlockPara {
    QString Text; // lines separated by CR LF
    std::uint8_t Align = 0;
    std::uint8_t NewLine = 0;
    bool operator==(const TBlockPara &) const = default;
};

struct TBlockLink {
    QString PreText;
    QString URL = QStringLiteral("http://");
    QString LinkText;
    QString PostText;
    std::uint8_t Align = 0;
    std::uint8_t NewLine = 0;
    bool operator==(const TBlockLink &) const = default;
};

struct TBlockImage {
    QString FileName;  // relative to the HTML folder, e.g. "graphics\a.jpg"
    QString ImgHeight; // free text
    QString ImgWidth;  // free text
    QString AltText;
    QString LinkURL = QStringLiteral("http://");
    std::uint8_t Align = 0;
    std::uint8_t NewLine = 0;
    bool operator==(const TBlockImage &) const = default;
};

struct TBlockHeading {
    QString SizeText = QStringLiteral("1 (Largest)");
    QString Text;
    std::uint8_t Align = 0;
    std::uint8_t NewLine = 0; // kept in memory only: not stored, not in the HTML
    bool operator==(const TBlockHeading &) const = default;
};

struct TBlockEmail {
    QString PreText;
    QString Address;
    QString LinkText;
    QString PostText;
    std::uint8_t Align = 0;
    std::uint8_t NewLine = 0;
    bool operator==(const TBlockEmail &) const = default;
};

struct TBlockLine {
    QString LineWidth; // percentage as typed
    QString ThickText = QStringLiteral("6 (Thickest)");
    bool operator==(const TBlockLine &) const = default;
};

// One block. Only the kind record that matches Kind exists; the block owns it.
struct TWebChunk {
    std::int32_t Kind = bkNone;
    QString HTML; // fragment as last generated
    std::unique_ptr<TBlockPara> Para;
    std::unique_ptr<TBlockLink> Link;
    std::unique_ptr<TBlockImage> Image;
    std::unique_ptr<TBlockHeading> Heading;
    std::unique_ptr<TBlockEmail> Email;
    std::unique_ptr<TBlockLine> Line;
};

} // namespace wobbin
