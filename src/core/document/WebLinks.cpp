#include "document/WebLinks.h"

#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "base/Paths.h"
#include "base/PrivateTemp.h"
#include "base/SafeFile.h"
#include "page/Cp1252.h"

#include <QDir>
#include <QFileInfo>

namespace wobbin {

namespace {

struct PartnerSite {
    const char *name;
    const char *address;
};
// The maker's and six partners' sites (names as their logos show them).
const PartnerSite kPartners[] = {
    {"Quorvex", "http://www.quorvex.example/"},
    {"Ortex Software", "http://www.ortex.example/"},
    {"Lanternet", "http://www.lanternet.example/"},
    {"Harbourhost", "http://www.harbourhost.example/"},
    {"Pixel Orchard", "http://www.pixelorchard.example/"},
    {"Maplebrook School", "http://www.maplebrook.example/"},
    {"Kettlewick Library", "http://www.kettlewick.example/"},
};

const char kRedirectFile[] = "~qzxpreview.html";

} // namespace

QString PartnerDisplayName(int position)
{
    return position >= 0 && position < 7 ? QString::fromLatin1(kPartners[position].name) : QString();
}

QString PartnerHomePage(int position)
{
    return position >= 0 && position < 7 ? QString::fromLatin1(kPartners[position].address) : QString();
}

QString RedirectPageText(const QString &address)
{
    // A double quote would end the attribute early and line breaks would
    // split the line: both are kept out of the address as the browser reads it.
    QString target = address;
    target.replace(QLatin1Char('"'), QStringLiteral("%22"));
    target.remove(QLatin1Char('\r'));
    target.remove(QLatin1Char('\n'));
    const QString lineBreak = QStringLiteral("\r\n");
    QString text;
    text += QStringLiteral("<html>") + lineBreak;
    text += QStringLiteral("<head><meta http-equiv=\"refresh\" content=\"0; URL=") + target
            + QStringLiteral("\">") + lineBreak;
    text += QStringLiteral("<title>Preview</title>") + lineBreak;
    text += QStringLiteral("</head>") + lineBreak;
    text += QStringLiteral("<BODY>") + lineBreak;
    text += QStringLiteral("</body>") + lineBreak;
    text += QStringLiteral("</html>") + lineBreak;
    text += lineBreak;
    return text;
}

TResult<QString> WriteRedirectPage(const QString &address)
{
    // In the process's own temporary folder: a name fixed in the shared one
    // could be taken first by another user, or be a link to another file.
    const QString folder = PrivateTempFolder();
    if (folder.isEmpty())
        return TError(QStringLiteral("No private temporary folder could be made."));
    const QString path = QDir(folder).filePath(QLatin1String(kRedirectFile));
    const TResult<void> written = WriteFileSafely(path, ToCp1252(RedirectPageText(address)));
    if (!written.ok())
        return written.error();
    return path;
}

QString YourPageAddress(const QString &serverUrl, const QString &pageFileName)
{
    const QString name = QFileInfo(ToNativePath(pageFileName)).fileName();
    QString address = serverUrl;
    if (!address.endsWith(QLatin1Char('/')))
        address += QLatin1Char('/');
    address += name;
    const int dot = address.lastIndexOf(QLatin1Char('.'));
    // Only a dot of the file name starts an extension, not one of the host.
    if (dot > address.lastIndexOf(QLatin1Char('/')))
        address.truncate(dot);
    address += QStringLiteral(".html");
    address.remove(QLatin1Char(' '));
    return address;
}

TRotatingWeb::Tick TRotatingWeb::NextTick()
{
    Tick t;
    ++Frame;
    t.HideLogos = Frame == 1;
    if (Frame >= 1 && Frame <= 4) {
        // Four rotation frames, in reverse when turning left.
        t.Bitmap = QStringLiteral("Web_Rotate%1").arg(TurnsLeft ? 5 - Frame : Frame);
        t.X = 72;
        return t;
    }
    t.Bitmap = QStringLiteral("Web_Back");
    t.Finished = true;
    Frame = 0;
    Index += TurnsLeft ? -1 : 1;
    Normalise();
    return t;
}

int TRotatingWeb::Normalise()
{
    if (Index < 0)
        Index = PageUploaded ? kYourPage : kYourPage - 1;
    else if (Index == kYourPage && !PageUploaded)
        Index = 0;
    else if (Index > kYourPage)
        Index = 0;
    return Index;
}

QString TRotatingWeb::Label() const
{
    if (Index == kYourPage)
        return LoadStr(Msg::ClickLogoToView);
    // Message 5077 ends in a blank; a blank and the name follow it.
    return LoadStr(Msg::ClickLogoToVisit) + QLatin1Char(' ') + PartnerDisplayName(Index);
}

} // namespace wobbin
