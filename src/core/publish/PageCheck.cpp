#include "publish/PageCheck.h"

#include "strings/StringTable.h"
#include "base/Paths.h"
#include "publish/Upload.h"
#include "publish/UploadManifest.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QLocale>

#include <cmath>

namespace wobbin {
namespace {

// Texts of the page check in the string table.
enum : int {
    sKindFirst = 260,          // 260..265: the block kinds' names
    sBlockEntry = 266,         // "Block %1 (%2): %3"
    sPageEntry = 267,          // "Page: %1"
    sNoPicture = 268,
    sMissingPicture = 269,
    sOutsidePicture = 270,
    sSlowPicture = 271,
    sPixels = 272,
    sNoDescription = 273,
    sUnfinishedLink = 274,
    sNoScheme = 275,
    sBlanks = 276,
    sEmptyEmail = 277,
    sNotEmail = 278,
    sEmptyTitle = 279,
    sDefaultTitle = 280,
    sPageNameChanged = 281,
    sNotIndex = 282,
    sIndexCase = 283,
    sKiloBytes = 284,
    sMegaBytes = 285,
    sSeconds = 286,
    sMinutes = 287,
    sOneSecond = 288,
    sNotForPhones = 289,
};

const QLocale &English()
{
    static const QLocale locale(QLocale::English, QLocale::UnitedStates);
    return locale;
}

bool HasBlank(const QString &text)
{
    for (QChar c : text)
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t'))
            return true;
    return false;
}

// An address on the web (or another site) rather than a file of the HTML folder.
bool IsWebAddress(const QString &reference)
{
    const QString r = reference.trimmed();
    return r.contains(QLatin1String("://")) || r.startsWith(QLatin1String("//"))
        || r.startsWith(QLatin1String("data:"), Qt::CaseInsensitive);
}

// A link address that is no address yet.
bool Unfinished(const QString &url)
{
    const QString u = url.trimmed();
    return u.isEmpty() || u.compare(QLatin1String("http://"), Qt::CaseInsensitive) == 0
        || u.compare(QLatin1String("https://"), Qt::CaseInsensitive) == 0;
}

bool WithoutScheme(const QString &url)
{
    return url.trimmed().startsWith(QLatin1String("www."), Qt::CaseInsensitive);
}

// The same picture named by several blocks is measured once.
class Pictures
{
public:
    Pictures(const QString &folder, const PictureMeasure &measure)
        : m_folder(folder), m_measure(measure ? measure : PictureMeasure(&MeasurePicture)) {}

    const TPictureInfo &Measure(const QString &reference)
    {
        const QString key = reference.trimmed().toLower().replace(QLatin1Char('\\'), QLatin1Char('/'));
        auto it = m_cache.constFind(key);
        if (it != m_cache.constEnd())
            return *it;
        return *m_cache.insert(key, m_measure(Locate(key)));
    }

private:
    // The file's path on disk, found without regard to case below the HTML
    // folder; each folder is listed at most once per check.
    QString Locate(const QString &relative)
    {
        const QString folder = ToNativePath(m_folder);
        const QString direct = ToNativePath(JoinPath(m_folder, relative));
        if (QFileInfo::exists(direct))
            return direct;
        QString current = folder;
        const QStringList parts = relative.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        for (const QString &part : parts) {
            const QHash<QString, QString> &names = Listing(current);
            auto it = names.constFind(part.toLower());
            if (it == names.constEnd())
                return direct; // not there: measured as missing
            current += QLatin1Char('/') + *it;
        }
        return current;
    }

    const QHash<QString, QString> &Listing(const QString &folder)
    {
        auto it = m_listings.constFind(folder);
        if (it != m_listings.constEnd())
            return *it;
        QHash<QString, QString> names;
        const QStringList entries
            = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QString &e : entries)
            names.insert(e.toLower(), e);
        return *m_listings.insert(folder, names);
    }

    QString m_folder;
    PictureMeasure m_measure;
    QHash<QString, TPictureInfo> m_cache;
    QHash<QString, QHash<QString, QString>> m_listings;
};

class Checker
{
public:
    explicit Checker(const TPageCheckInput &in) : m_in(in), m_pictures(in.HtmlFolder, in.Measure) {}

    QList<TPageProblem> Run()
    {
        if (m_in.Blocks) {
            for (int i = 0; i < m_in.Blocks->Count(); ++i)
                CheckBlock(i, m_in.Blocks->At(i));
        }
        CheckOtherPictures();
        CheckTitle();
        CheckPageName();
        if (!m_in.FitsPhones)
            Add(PageProblemKind::NotForPhones, -1, bkNone, QStringLiteral("chkFitsPhones"), QString(),
                LoadStr(sNotForPhones), false);
        return m_problems;
    }

private:
    void Add(PageProblemKind kind, int index, int blockKind, const QString &field, const QString &reference,
             const QString &words, bool serious)
    {
        TPageProblem p;
        p.Kind = kind;
        p.BlockIndex = index;
        p.BlockKind = blockKind;
        p.Field = field;
        p.Reference = reference;
        p.Serious = serious;
        if (index >= 0)
            p.Text = LoadStr(sBlockEntry).arg(QString::number(index + 1), BlockKindName(blockKind), words);
        else
            p.Text = words;
        m_problems << p;
    }

    void CheckBlock(int index, const TWebChunk &block)
    {
        switch (block.Kind) {
        case bkLink:
            if (block.Link)
                CheckLinkAddress(index, bkLink, QStringLiteral("txtLinkURL"), block.Link->URL, true);
            break;
        case bkImage:
            if (block.Image)
                CheckImage(index, *block.Image);
            break;
        case bkEmail:
            if (block.Email)
                CheckEmail(index, block.Email->Address);
            break;
        default:
            break;
        }
    }

    // required: an empty or "http://" address is a fault (a link block); for a
    // picture's link it means "no link".
    void CheckLinkAddress(int index, int kind, const QString &field, const QString &url, bool required)
    {
        if (Unfinished(url)) {
            if (required)
                Add(PageProblemKind::UnfinishedLink, index, kind, field, url, LoadStr(sUnfinishedLink), true);
            return;
        }
        if (HasBlank(url)) {
            Add(PageProblemKind::BlanksInAddress, index, kind, field, url, LoadStr(sBlanks).arg(url), true);
            return;
        }
        if (WithoutScheme(url))
            Add(PageProblemKind::LinkWithoutScheme, index, kind, field, url, LoadStr(sNoScheme).arg(url.trimmed()),
                true);
    }

    void CheckImage(int index, const TBlockImage &image)
    {
        const QString file = image.FileName;
        const QString fileField = QStringLiteral("txtImgFileName");
        if (file.trimmed().isEmpty()) {
            Add(PageProblemKind::NoPicture, index, bkImage, fileField, file, LoadStr(sNoPicture), true);
        } else if (!IsWebAddress(file)) {
            CheckPictureFile(index, bkImage, fileField, file);
        } else if (HasBlank(file)) {
            Add(PageProblemKind::BlanksInAddress, index, bkImage, fileField, file, LoadStr(sBlanks).arg(file), true);
        }
        if (!file.trimmed().isEmpty() && image.AltText.trimmed().isEmpty())
            Add(PageProblemKind::NoDescription, index, bkImage, QStringLiteral("txtImgDesc"), file,
                LoadStr(sNoDescription), false);
        CheckLinkAddress(index, bkImage, QStringLiteral("txtImgLink"), image.LinkURL, false);
    }

    // A picture file of the HTML folder: inside it, there, and not too big.
    void CheckPictureFile(int index, int kind, const QString &field, const QString &reference)
    {
        if (!SafeReference(reference)) { // the upload refuses it
            Add(PageProblemKind::PictureOutsideFolder, index, kind, field, reference,
                Wrap(index, LoadStr(sOutsidePicture).arg(reference)), true);
            return;
        }
        const TPictureInfo &info = m_pictures.Measure(reference);
        if (!info.Exists) {
            Add(PageProblemKind::MissingPicture, index, kind, field, reference,
                Wrap(index, LoadStr(sMissingPicture).arg(reference)), true);
            return;
        }
        if (HasBlank(reference))
            Add(PageProblemKind::BlanksInAddress, index, kind, field, reference,
                Wrap(index, LoadStr(sBlanks).arg(reference)), true);
        if (info.Bytes > kSlowPictureBytes || info.Width > kSlowPictureWidth) {
            QString detail = SizeInWords(info.Bytes);
            if (info.Width > 0)
                detail += QStringLiteral(", ")
                    + LoadStr(sPixels).arg(English().toString(info.Width), English().toString(info.Height));
            Add(PageProblemKind::SlowPicture, index, kind, field, reference,
                Wrap(index, LoadStr(sSlowPicture).arg(reference, detail, SlowLineTimeInWords(info.Bytes))), false);
        }
    }

    // Entries about the page as a whole start with "Page: ".
    QString Wrap(int index, const QString &words) const
    {
        return index >= 0 ? words : LoadStr(sPageEntry).arg(words);
    }

    void CheckEmail(int index, const QString &address)
    {
        const QString field = QStringLiteral("txtEmail");
        if (address.trimmed().isEmpty())
            Add(PageProblemKind::NotEmailAddress, index, bkEmail, field, address, LoadStr(sEmptyEmail), true);
        else if (!LooksLikeEmailAddress(address))
            Add(PageProblemKind::NotEmailAddress, index, bkEmail, field, address,
                LoadStr(sNotEmail).arg(address.trimmed()), true);
    }

    // Pictures of the saved HTML that no image block names.
    void CheckOtherPictures()
    {
        if (m_in.Resources.isEmpty())
            return;
        QSet<QString> named;
        if (m_in.Blocks) {
            for (const auto &b : *m_in.Blocks)
                if (b->Kind == bkImage && b->Image)
                    named.insert(Key(b->Image->FileName));
        }
        for (const ResourceDetail &r : m_in.Resources) {
            if (named.contains(Key(r.RefName)) || IsWebAddress(r.RefName))
                continue;
            named.insert(Key(r.RefName));
            CheckPictureFile(-1, bkNone, QString(), r.RefName);
        }
    }

    static QString Key(const QString &reference)
    {
        return reference.trimmed().toLower().replace(QLatin1Char('\\'), QLatin1Char('/'));
    }

    void CheckTitle()
    {
        const QString field = QStringLiteral("txtTitle");
        if (m_in.PageTitle.trimmed().isEmpty())
            Add(PageProblemKind::EmptyTitle, -1, bkNone, field, QString(), LoadStr(sEmptyTitle), false);
        else if (m_in.PageTitle == DefaultPageTitle())
            Add(PageProblemKind::DefaultTitle, -1, bkNone, field, m_in.PageTitle,
                LoadStr(sDefaultTitle).arg(m_in.PageTitle), false);
    }

    void CheckPageName()
    {
        if (m_in.PageFile.isEmpty())
            return;
        const QString remote = RemotePageName(m_in.PageFile);
        const QString base = QFileInfo(ToNativePath(m_in.PageFile)).completeBaseName();
        if (HasBlank(base))
            Add(PageProblemKind::PageNameChanged, -1, bkNone, QString(), remote,
                LoadStr(sPageNameChanged).arg(remote), false);
        if (m_in.FirstPageOfSite && remote != QLatin1String("index.html")) {
            if (remote.compare(QLatin1String("index.html"), Qt::CaseInsensitive) == 0)
                Add(PageProblemKind::FirstPageNotIndex, -1, bkNone, QString(), remote,
                    LoadStr(sIndexCase).arg(remote), false);
            else
                Add(PageProblemKind::FirstPageNotIndex, -1, bkNone, QString(), remote, LoadStr(sNotIndex), false);
        }
    }

    const TPageCheckInput &m_in;
    Pictures m_pictures;
    QList<TPageProblem> m_problems;
};

} // namespace

QString BlockKindName(int kind)
{
    return IsBlockKind(kind) ? LoadStr(sKindFirst + kind) : QString();
}

bool LooksLikeEmailAddress(const QString &address)
{
    const QString a = address.trimmed();
    const qsizetype at = a.indexOf(QLatin1Char('@'));
    if (at <= 0 || at != a.lastIndexOf(QLatin1Char('@')) || a.size() > 254)
        return false;
    const QString local = a.left(at);
    const QString domain = a.mid(at + 1);
    if (local.size() > 64 || local.startsWith(QLatin1Char('.')) || local.endsWith(QLatin1Char('.'))
        || local.contains(QLatin1String("..")))
        return false;
    static const QString kLocalExtra = QStringLiteral("!#$%&'*+-/=?^_`{|}~.");
    for (QChar c : local) {
        if (c.unicode() > 0x7F ? !c.isLetterOrNumber() : !(c.isLetterOrNumber() || kLocalExtra.contains(c)))
            return false;
    }
    const QStringList labels = domain.split(QLatin1Char('.'));
    if (labels.size() < 2)
        return false;
    for (const QString &label : labels) {
        if (label.isEmpty() || label.size() > 63 || label.startsWith(QLatin1Char('-'))
            || label.endsWith(QLatin1Char('-')))
            return false;
        for (QChar c : label)
            if (!(c.isLetterOrNumber() || c == QLatin1Char('-')))
                return false;
    }
    // The last label names a top-level domain: letters only (or an IDN "xn--" form).
    const QString top = labels.last();
    if (top.size() < 2)
        return false;
    if (!top.startsWith(QLatin1String("xn--"), Qt::CaseInsensitive))
        for (QChar c : top)
            if (!c.isLetter())
                return false;
    return true;
}

QString SizeInWords(qint64 bytes)
{
    if (bytes < 0)
        bytes = 0;
    if (bytes < 1024 * 1024)
        return LoadStr(sKiloBytes).arg(English().toString(qMax<qint64>(1, (bytes + 1023) / 1024)));
    const double mb = double(bytes) / (1024.0 * 1024.0);
    return LoadStr(sMegaBytes).arg(English().toString(mb, 'f', 1));
}

QString SlowLineTimeInWords(qint64 bytes)
{
    const double seconds = double(qMax<qint64>(0, bytes)) * 8.0 / double(kSlowLineBitsPerSecond);
    if (seconds < 1.5)
        return LoadStr(sOneSecond);
    if (seconds < 90.0)
        return LoadStr(sSeconds).arg(qRound(seconds));
    return LoadStr(sMinutes).arg(qRound(seconds / 60.0));
}

QList<TPageProblem> CheckPage(const TPageCheckInput &input)
{
    return Checker(input).Run();
}

QList<TPageProblem> CheckPageForSend(const BlockList &blocks, const QString &pageTitle, const QString &pageFile,
                                     const QString &htmlFolder, const UploadImageList &images,
                                     const tWWWServerType *server, const QString &manifestFolder,
                                     bool fitsPhones)
{
    TPageCheckInput in;
    in.Blocks = &blocks;
    in.PageTitle = pageTitle;
    in.PageFile = pageFile;
    in.HtmlFolder = htmlFolder;
    in.Resources = images;
    in.FitsPhones = fitsPhones;
    if (server) {
        TUploadManifest sent;
        // A damaged list reads as empty, as for the upload: a first page of the site.
        static_cast<void>(
            sent.Load(manifestFolder.isEmpty() ? TUploadManifest::DefaultFolder() : manifestFolder, IdentityOf(*server)));
        in.FirstPageOfSite = sent.IsEmpty();
    }
    return CheckPage(in);
}

int WorkspaceStateFor(const TPageProblem &problem)
{
    if (problem.BlockIndex >= 0)
        return 1;
    if (problem.Field == QLatin1String("txtTitle") || problem.Field == QLatin1String("chkFitsPhones"))
        return 2;
    return -1;
}

} // namespace wobbin
