#include "page/PageFile.h"
#include "base/Paths.h"
#include "base/SafeFile.h"
#include "page/ByteIO.h"
#include "page/PageDocument.h"

#include <QFile>
#include <QFileInfo>
#include <memory>

namespace wobbin {
namespace {
constexpr char kMagic[] = "Wobbin Express File";
constexpr char kTrailer[] = "End of Wobbin Express File >=)";
constexpr char kVersion[] = "1.07";

void WriteBlock(ByteWriter &w, const TWebChunk &b)
{
    w.WriteInt32(b.Kind);
    switch (b.Kind) {
    case bkPara:
        if (const auto *p = b.Para.get()) {
            w.WritePString(p->Text);
            w.WriteInt32(p->Align);
            w.WriteByte(p->NewLine);
        }
        break;
    case bkLink:
        if (const auto *l = b.Link.get()) {
            w.WritePString(l->PreText);
            w.WritePString(l->URL);
            w.WritePString(l->LinkText);
            w.WritePString(l->PostText);
            w.WriteInt32(l->Align);
            w.WriteByte(l->NewLine);
        }
        break;
    case bkImage:
        if (const auto *im = b.Image.get()) {
            w.WritePString(im->FileName);
            w.WritePString(im->ImgHeight);
            w.WritePString(im->ImgWidth);
            w.WritePString(im->AltText);
            w.WritePString(im->LinkURL);
            w.WriteInt32(im->Align);
            w.WriteByte(im->NewLine);
        }
        break;
    case bkHeading:
        if (const auto *h = b.Heading.get()) {
            w.WritePString(h->SizeText);
            w.WritePString(h->Text);
            w.WriteInt32(h->Align);
        }
        break;
    case bkEmail:
        if (const auto *e = b.Email.get()) {
            w.WritePString(e->Address);
            w.WritePString(e->PreText);
            w.WritePString(e->LinkText);
            w.WritePString(e->PostText);
            w.WriteInt32(e->Align);
            w.WriteByte(e->NewLine);
        }
        break;
    case bkLine:
        if (const auto *l = b.Line.get()) {
            w.WritePString(l->LineWidth);
            w.WritePString(l->ThickText);
        }
        break;
    default:
        break;
    }
}

// Reads the kind record of a block of a valid kind. False when the data ends.
bool ReadRecord(ByteReader &r, TWebChunk &b)
{
    std::int32_t align = 0;
    switch (b.Kind) {
    case bkPara: {
        auto &p = *b.Para;
        if (!(r.ReadPString(p.Text) && r.ReadInt32(align) && r.ReadByte(p.NewLine)))
            return false;
        p.Align = std::uint8_t(align);
        return true;
    }
    case bkLink: {
        auto &l = *b.Link;
        if (!(r.ReadPString(l.PreText) && r.ReadPString(l.URL) && r.ReadPString(l.LinkText)
              && r.ReadPString(l.PostText) && r.ReadInt32(align) && r.ReadByte(l.NewLine)))
            return false;
        l.Align = std::uint8_t(align);
        return true;
    }
    case bkImage: {
        auto &im = *b.Image;
        if (!(r.ReadPString(im.FileName) && r.ReadPString(im.ImgHeight) && r.ReadPString(im.ImgWidth)
              && r.ReadPString(im.AltText) && r.ReadPString(im.LinkURL) && r.ReadInt32(align)
              && r.ReadByte(im.NewLine)))
            return false;
        im.Align = std::uint8_t(align);
        return true;
    }
    case bkHeading: {
        auto &h = *b.Heading;
        if (!(r.ReadPString(h.SizeText) && r.ReadPString(h.Text) && r.ReadInt32(align)))
            return false;
        h.Align = std::uint8_t(align);
        h.NewLine = 0;
        return true;
    }
    case bkEmail: {
        auto &e = *b.Email;
        if (!(r.ReadPString(e.Address) && r.ReadPString(e.PreText) && r.ReadPString(e.LinkText)
              && r.ReadPString(e.PostText) && r.ReadInt32(align) && r.ReadByte(e.NewLine)))
            return false;
        e.Align = std::uint8_t(align);
        return true;
    }
    case bkLine: {
        auto &l = *b.Line;
        return r.ReadPString(l.LineWidth) && r.ReadPString(l.ThickText);
    }
    default:
        return false;
    }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

QByteArray PageFileMagic() { return QByteArray(kMagic); }
QByteArray PageFileTrailer() { return QByteArray(kTrailer); }

bool ParsePageVersion(const QByteArray &version, int &major, int &minor)
{
    if (version.size() != 4)
        return false;
    if (!IsDigit(version[0]) || !IsDigit(version[2]) || !IsDigit(version[3]))
        return false;
    major = version[0] - '0';
    minor = (version[2] - '0') * 10 + (version[3] - '0');
    return true;
}

QByteArray PageFileBytes(const TPageDocument &doc, const QString &styleName)
{
    ByteWriter w;
    w.Reserve(64 + qsizetype(doc.Blocks.Count()) * 48);
    w.WriteRaw(PageFileMagic());
    w.WriteRaw(QByteArray(kVersion));
    w.WritePString(styleName);
    w.WritePString(doc.PageTitle);
    w.WriteInt32(doc.Blocks.Count());
    for (const auto &b : doc.Blocks)
        WriteBlock(w, *b);
    w.WriteInt32(4);
    w.WriteInt32(-1);
    w.WriteRaw(PageFileTrailer());
    return w.Data();
}

TResult<void> WritePageFile(const QString &fileName, const TPageDocument &doc, const QString &styleName,
                            const QByteArray &pictureBmp)
{
    const QString path = ToNativePath(fileName);
    const QString picturePath = path + QStringLiteral(".bmp");
    auto fail = [&](const QString &file, const TSafeFile &writer) {
        return TError(QStringLiteral("The page file \"%1\" cannot be written: %2").arg(file, writer.errorString()));
    };
    // Both files are written in full beside the old ones before either
    // replaces its old one: a failure leaves the old page and picture as
    // they were.
    TSafeFile page(path);
    if (!page.open() || !page.write(PageFileBytes(doc, styleName)))
        return fail(path, page);
    std::unique_ptr<TSafeFile> bmp;
    if (!pictureBmp.isEmpty()) {
        bmp = std::make_unique<TSafeFile>(picturePath);
        if (!bmp->open() || !bmp->write(pictureBmp)) {
            page.cancel();
            bmp->cancel();
            return fail(picturePath, *bmp);
        }
    }
    if (!page.commit()) {
        if (bmp)
            bmp->cancel();
        return fail(path, page);
    }
    if (bmp && !bmp->commit())
        return fail(picturePath, *bmp);
    return {};
}

PageReadResult ReadPageBytes(const QByteArray &data, TPageDocument &doc)
{
    PageReadResult res;
    ByteReader r(data);
    QByteArray magic;
    if (!r.ReadRaw(19, magic) || magic != PageFileMagic()) {
        res.Stop = PageReadStop::NotPageFile;
        return res;
    }
    QByteArray version;
    if (!r.ReadRaw(4, version)) {
        res.Stop = PageReadStop::Truncated;
        return res;
    }
    res.VersionText = QString::fromLatin1(version);
    if (!ParsePageVersion(version, res.Major, res.Minor)) {
        res.Stop = PageReadStop::BadVersionText;
        return res;
    }
    if (res.Major != 1) {
        res.Stop = PageReadStop::OtherMajorVersion;
        return res;
    }
    if (res.Minor >= 1) {
        if (!r.ReadPString(res.StyleName)) {
            res.Stop = PageReadStop::Truncated;
            return res;
        }
        res.HasStyleName = true;
    }
    if (res.Minor >= 3) {
        if (!r.ReadPString(res.Title)) {
            res.Stop = PageReadStop::Truncated;
            return res;
        }
        res.HasTitle = true;
        doc.PageTitle = res.Title;
    }
    std::int32_t n = 0;
    if (!r.ReadInt32(n)) {
        res.Stop = PageReadStop::Truncated;
        return res;
    }
    res.DeclaredCount = n;
    // Every entry holds at least its 4-byte kind, so a count larger than the
    // data can hold simply ends in a truncation; nothing is sized by it.
    for (std::int32_t i = 0; i < n && res.ReadStopState == 0; ++i) {
        std::int32_t kind = 0;
        if (!r.ReadInt32(kind)) {
            res.Stop = PageReadStop::Truncated;
            res.StopBlock = i;
            break;
        }
        if (kind == bkNone) {
            res.ReadStopState = 3;
            res.StopBlock = i;
            break;
        }
        if (!IsBlockKind(kind)) {
            res.ReadStopState = 4;
            res.Stop = PageReadStop::BadKind;
            res.StopBlock = i;
            break;
        }
        auto block = NewBlock(kind);
        if (!ReadRecord(r, *block)) {
            res.Stop = PageReadStop::Truncated;
            res.StopBlock = i;
            break;
        }
        doc.Blocks.Append(std::move(block));
        doc.LoadChunk(doc.Blocks.Count() - 1);
        ++res.BlocksRead;
    }
    return res;
}

PageReadResult ReadPageFile(const QString &fileName, TPageDocument &doc)
{
    QString path = ToNativePath(fileName);
    if (!QFileInfo::exists(path))
        path = FindPathNoCase(path);
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        PageReadResult res;
        res.Stop = PageReadStop::FileMissing;
        return res;
    }
    const QByteArray data = file.readAll();
    file.close();
    return ReadPageBytes(data, doc);
}

namespace {
QString BlocksText(int n)
{
    return n == 1 ? QStringLiteral("1 block") : QStringLiteral("%1 blocks").arg(n);
}
} // namespace

QString DescribeReadResult(const PageReadResult &r)
{
    switch (r.Stop) {
    case PageReadStop::Ok:
        return BlocksText(r.BlocksRead) + QStringLiteral(" read");
    case PageReadStop::FileMissing:
        return QStringLiteral("file missing or unreadable");
    case PageReadStop::NotPageFile:
        return QStringLiteral("not a Wobbin Express page file");
    case PageReadStop::OtherMajorVersion:
        return QStringLiteral("unsupported version %1").arg(r.VersionText);
    case PageReadStop::BadVersionText:
        return QStringLiteral("unreadable version text \"%1\"").arg(r.VersionText);
    case PageReadStop::BadKind:
        return QStringLiteral("damaged: unknown block kind in block %1 (%2 read)")
            .arg(r.StopBlock + 1).arg(BlocksText(r.BlocksRead));
    case PageReadStop::Truncated:
        if (r.StopBlock < 0)
            return QStringLiteral("truncated in the header (no blocks read)");
        return QStringLiteral("truncated in block %1 (%2 read)").arg(r.StopBlock + 1).arg(BlocksText(r.BlocksRead));
    }
    return QString();
}

QString ReadPreviewPicture(const QString &fileName)
{
    QString path = ToNativePath(fileName);
    if (!QFileInfo::exists(path))
        path = FindPathNoCase(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray head = file.read(23);
    file.close();
    if (head.size() < 23 || head.left(19) != PageFileMagic())
        return QString();
    int major = 0, minor = 0;
    if (!ParsePageVersion(head.mid(19, 4), major, minor) || major != 1)
        return QString();
    QString bmp = path + QStringLiteral(".bmp");
    if (!QFileInfo::exists(bmp))
        bmp = FindPathNoCase(bmp);
    return QFileInfo::exists(bmp) ? bmp : QString();
}

} // namespace wobbin
