#pragma once
// Is the page really there? After an upload, the page is fetched from the
// site's web address over HTTP or HTTPS (libcurl; at most five redirections
// followed, to http and https addresses only, and never from a site on the
// Internet into a private network or this computer (AddressKind.h); ten
// seconds at most for the whole check) and compared with what was sent, then
// every picture it refers to. The outcome is one diagnosis in a beginner's
// words: what happened, its one likely cause and its one remedy.
//
// VerifyPage blocks; run it off the user-interface thread (TVerifyRunner does).

#include "publish/UploadManifest.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <atomic>

class QThread;

namespace wobbin {

struct TVerifyPicture {
    QString Reference;          // as written in the sent page, relative to it ("graphics/a.gif")
    TFileFingerprint Expected;  // of the file sent
};

struct TVerifyInput {
    QString SiteUrl;             // the server's web address (URL of the server list)
    QString RemotePageName;      // the name the page was stored under ("index.html")
    QByteArray SentPage;         // the page as sent (compared with line ends ignored)
    QList<TVerifyPicture> Pictures;
    QString ServerFolder;        // the server's folder (Directory), named when the page is not found
    // The page as sent the time before (FingerprintText), to recognise an old copy; may be invalid.
    TFileFingerprint PreviousPage;
    // The page was changed here since it was sent (the command line checks the
    // last upload): an old page on the server is then no cache's fault.
    bool ChangedSinceSent = false;
    int TimeLimitMs = 10000;     // for the whole check
};

enum class VerifyVerdict {
    Live,             // the page and its pictures are there, as sent
    NoAddress,        // the server list has no web address for the server
    BadAddress,       // the address's name does not resolve, or is not an address
    NoAnswer,         // no web server answered (refused, or nothing within the time limit)
    NotFound,         // the web server has no page under that name: the files went to a folder it does not show
    OtherPage,        // another page is shown under that name: a start page of the provider in the way
    OldCopy,          // the page as it was before: a cache in the way
    NotSentSinceChange, // the page as last sent, but it was changed since
    IndexInTheWay,    // the page is there, but the site's address shows another start page
    Forbidden,        // 401/403: visitors may not read the files
    ServerTrouble,    // 5xx
    OtherAnswer,      // an answer the check does not understand (code, too many redirections,
                      // a redirection into a private network or this computer)
    BadCertificate,   // https:// without a valid certificate
    PicturesWrong,    // the page is there, some pictures are missing or differ
    Cancelled,
};

struct TVerifyResult {
    VerifyVerdict Verdict = VerifyVerdict::Cancelled;
    QString Address;        // the page's address as checked (before redirects)
    QString FinalAddress;   // where the redirects led
    int HttpStatus = 0;     // of the page's answer; 0 when none
    QString Detail;         // ServerTrouble, OtherAnswer: the code or the cause in words
    QStringList MissingPictures;    // references as written in the page
    QStringList DifferentPictures;
    QStringList UncheckedPictures;  // the time limit came first
    QString Text;           // plain text, for the command line
    QString Html;           // the same with the address as a link, for the dialog
    bool IsLive() const { return Verdict == VerifyVerdict::Live; }
};

// The page's address: the site's web address (http:// added when it names no
// scheme, a "/" when it does not end in one) with the remote page name. Empty
// when the site address is empty; invalid-looking addresses are kept as they
// are so that the check reports them.
QString PageAddress(const QString &siteUrl, const QString &remotePageName);

// The whole check; returns when done, cancelled (*cancel set) or out of time.
TVerifyResult VerifyPage(const TVerifyInput &input, const std::atomic<bool> *cancel = nullptr);

// The texts of a result (filled into Text and Html by VerifyPage).
void DescribeVerifyResult(TVerifyResult &result, const TVerifyInput &input);

// Runs the check on a thread of its own; Finished arrives on the owner's thread.
class TVerifyRunner : public QObject
{
    Q_OBJECT
public:
    explicit TVerifyRunner(const TVerifyInput &input, QObject *parent = nullptr);
    // Cancels a running check and waits for its thread.
    ~TVerifyRunner() override;

    void Start();
    void Cancel() { m_cancel = true; }
    bool Running() const;
    bool Wait(int ms);
    TVerifyResult Result() const { return m_result; }

Q_SIGNALS:
    void Finished();

private:
    TVerifyInput m_input;
    TVerifyResult m_result;
    std::atomic<bool> m_cancel{false};
    QThread *m_thread = nullptr;
};

} // namespace wobbin
