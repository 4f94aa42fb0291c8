// The list of what was last sent to each server, and the choice of files an
// upload sends with it.
#include "publish/ServerList.h"
#include "publish/ContentHash.h"
#include "publish/UploadManifest.h"
#include "support/ResultCheck.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <algorithm>
#include <QtTest>

#include <csignal>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace wobbin;

namespace {

TServerIdentity Identity()
{
    return TServerIdentity{QStringLiteral("FTP"), QStringLiteral("ftp.example.com"), 21, QStringLiteral("public_html"),
                           QStringLiteral("ann")};
}

TFileFingerprint Print(const QByteArray &content) { return FingerprintBytes(content); }

TUploadManifest Manifest(int files)
{
    TUploadManifest m(Identity());
    for (int i = 0; i < files; ++i)
        m.Record(QStringLiteral("graphics/picture %1.jpg").arg(i), Print(QByteArray::number(i)));
    return m;
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Answers of a server's size query, by remote name.
RemoteSizeQuery Server(QMap<QString, TRemoteSize> answers, int *asked = nullptr)
{
    return [answers, asked](const QString &name) {
        if (asked)
            ++*asked;
        return answers.value(name, TRemoteSize{TRemoteSize::Missing, -1});
    };
}

// Whether the (stopped) process holds a file of the folder open.
bool WriterHasFileOpenIn(pid_t pid, const QString &folder)
{
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    const QString prefix = QDir(folder).canonicalPath() + QLatin1Char('/');
    for (const QString &fd : QDir(fds).entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        if (QFileInfo(fds + QLatin1Char('/') + fd).symLinkTarget().startsWith(prefix))
            return true;
    return false;
}

} // namespace

class TestPublishManifest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTripAndOddNames()
    {
        TUploadManifest m(Identity());
        m.Record(QStringLiteral("index.html"), Print("<html>"));
        m.Record(QStringLiteral("graphics/a b%20\tc\nd.gif"), Print("GIF89a"));
        m.Record(QStringLiteral("graphics/caf\u00e9.jpg"), Print(QByteArray(3000, 'x')));
        m.Record(QStringLiteral("index.html"), Print("<html>changed")); // replaces the first record
        QCOMPARE(m.Entries().size(), 3);
        QCOMPARE(m.Find(QStringLiteral("index.html"))->Size, qint64(13));

        const QByteArray bytes = m.ToBytes();
        QVERIFY(!bytes.contains('\r'));
        for (char c : bytes)
            QVERIFY(c == '\n' || c == '\t' || (c >= 32 && c < 127));
        TUploadManifest back;
        QString error;
        QVERIFY2(testing::Succeeds(back.FromBytes(bytes, Identity()), &error), qPrintable(error));
        QCOMPARE(back.Entries(), m.Entries());
        QVERIFY(back.Find(QStringLiteral("graphics/a b%20\tc\nd.gif")));
        QVERIFY(!back.Find(QStringLiteral("Index.html"))); // remote names keep their case
    }

    void eachServerHasItsOwnFile()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("sent"));
        TUploadManifest m = Manifest(2);
        QString error;
        QVERIFY2(testing::Succeeds(m.Save(folder), &error), qPrintable(error));
        // It names the server and the login: for its owner's eyes only, also
        // where an older one was open to everyone.
        const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser;
        for (int round = 0; round < 2; ++round) {
            QCOMPARE(QFile::permissions(TUploadManifest::FileFor(folder, Identity())), owner);
            QCOMPARE(QFile::permissions(folder), owner | QFileDevice::ExeOwner | QFileDevice::ExeUser);
            QVERIFY(QFile::setPermissions(folder, QFile::permissions(folder) | QFileDevice::ReadOther | QFileDevice::ExeOther));
            QVERIFY(QFile::setPermissions(TUploadManifest::FileFor(folder, Identity()), owner | QFileDevice::ReadOther));
            QVERIFY(m.Save(folder).ok());
        }

        TUploadManifest loaded;
        QVERIFY(loaded.Load(folder, Identity()).ok());
        QCOMPARE(loaded.Entries(), m.Entries());

        // Another protocol, host, port, folder or login knows nothing yet.
        QList<TServerIdentity> others;
        for (int i = 0; i < 5; ++i) {
            TServerIdentity o = Identity();
            switch (i) {
            case 0: o.Protocol = QStringLiteral("SFTP"); break;
            case 1: o.Host = QStringLiteral("ftp.example.org"); break;
            case 2: o.Port = 2121; break;
            case 3: o.Directory = QStringLiteral("www"); break;
            default: o.UserName = QStringLiteral("bob"); break;
            }
            QVERIFY(TUploadManifest::FileFor(folder, o) != TUploadManifest::FileFor(folder, Identity()));
            TUploadManifest other;
            QVERIFY(other.Load(folder, o).ok());
            QVERIFY(other.IsEmpty());
        }

        // A file copied under another server's name is not taken for its own.
        TServerIdentity bob = Identity();
        bob.UserName = QStringLiteral("bob");
        QVERIFY(QFile::copy(TUploadManifest::FileFor(folder, Identity()), TUploadManifest::FileFor(folder, bob)));
        TUploadManifest copied;
        QVERIFY(!testing::Succeeds(copied.Load(folder, bob), &error));
        QVERIFY(copied.IsEmpty());
        QCOMPARE(error, QStringLiteral("written for another server"));
    }

    void identityOfAServer()
    {
        tWWWServerType s;
        s.Address = QStringLiteral("FTP.Example.COM");
        s.Directory = QStringLiteral(" public_html/ ");
        s.UserName = QStringLiteral("Ann");
        s.Protocol = QStringLiteral("SFTP");
        const TServerIdentity id = IdentityOf(s);
        QCOMPARE(id.Protocol, QStringLiteral("SFTP"));
        QCOMPARE(id.Host, QStringLiteral("ftp.example.com"));
        QCOMPARE(id.Port, 22);
        QCOMPARE(id.Directory, QStringLiteral("public_html"));
        QCOMPARE(id.UserName, QStringLiteral("Ann"));
        s.Address = QStringLiteral("ftp.example.com:2222");
        s.Protocol = QStringLiteral("FTP");
        QCOMPARE(IdentityOf(s).Port, 2222);
    }

    // Every cut of a manifest (as a crash of a writer without the checked
    // writer would leave it) and damaged lines are refused, never half-read.
    void damagedFilesReadAsNothingKnown()
    {
        const QByteArray whole = Manifest(3).ToBytes();
        for (int cut = 0; cut < whole.size(); ++cut) {
            TUploadManifest m;
            QVERIFY2(!m.FromBytes(whole.left(cut), Identity()).ok(), qPrintable(QString::number(cut)));
            QVERIFY(m.IsEmpty());
        }
        QByteArray badHash = whole;
        const int digestAt = whole.indexOf('\n', whole.indexOf("file\t")) - TContentHash::kHexLength;
        badHash[digestAt] = 'G';
        QByteArray shortHash = whole;
        shortHash.remove(digestAt, 1);
        QByteArray negative = whole;
        negative.replace("\t1\t", "\t-1\t");
        QByteArray extraLine = whole;
        extraLine.insert(whole.indexOf("end\t"), "rubbish\n");
        QByteArray wrongCount = whole;
        wrongCount.replace("end\t3", "end\t4");
        for (const QByteArray &bad : {badHash, shortHash, negative, extraLine, wrongCount, QByteArray(100000, '\0')}) {
            TUploadManifest m;
            QString error;
            QVERIFY(!testing::Succeeds(m.FromBytes(bad, Identity()), &error));
            QVERIFY(!error.isEmpty());
            QVERIFY(m.IsEmpty());
        }
        // On disk: a damaged file is reported and nothing is known, so everything is sent.
        QTemporaryDir dir;
        const QString path = TUploadManifest::FileFor(dir.path(), Identity());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(whole.left(whole.size() / 2));
        f.close();
        TUploadManifest m;
        QVERIFY(!m.Load(dir.path(), Identity()).ok());
        QCOMPARE(DecideSend(m, QStringLiteral("graphics/picture 1.jpg"), Print("1"), false, false, {}).Reason,
                 SendReason::FirstUpload);
    }

    // A list in the first form (another digest, 64 hex digits) is no damage:
    // it knows nothing, so the next upload sends everything and writes the new form.
    void firstFormReadsAsNothingKnown()
    {
        QTemporaryDir dir;
        const QString path = TUploadManifest::FileFor(dir.path(), Identity());
        QByteArray first = Manifest(2).ToBytes();
        first.replace("sent files 2", "sent files 1");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(first);
        f.close();
        TUploadManifest m;
        QString error;
        QVERIFY2(testing::Succeeds(m.Load(dir.path(), Identity()), &error), qPrintable(error));
        QVERIFY(m.IsEmpty());
        QCOMPARE(DecideSend(m, QStringLiteral("graphics/picture 1.jpg"), Print("1"), false, false, {}).Reason,
                 SendReason::FirstUpload);
        m.Record(QStringLiteral("index.html"), Print("<html>"));
        QVERIFY(m.Save(dir.path()).ok());
        QVERIFY(ReadAll(path).startsWith("Wobbin Express sent files 2\n"));
    }

    // A writer killed at any moment while it saves leaves the old manifest or
    // the new one, whole.
    void crashWhileWritingKeepsAWholeManifest()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("sent"));
        const TUploadManifest small = Manifest(3);
        QVERIFY(small.Save(folder).ok());
        const TUploadManifest big = Manifest(60000); // a few megabytes: long enough to be caught
        const QByteArray bigBytes = big.ToBytes();
        QVERIFY(bigBytes.size() > 3 * 1024 * 1024);
        // Kill the writer after varying times until it has been caught a few
        // times with its new file open (stopped first, to look at its files).
        // How long one save takes in this build (a sanitizer build is many
        // times slower): the kills are spread over that time.
        QElapsedTimer timer;
        timer.start();
        QVERIFY(big.Save(folder).ok());
        const qint64 saveUs = std::max<qint64>(timer.nsecsElapsed() / 1000, 1000);
        int midWrite = 0;
        for (int round = 0; round < 400 && midWrite < 3; ++round) {
            QVERIFY(small.Save(folder).ok());
            const pid_t child = fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                for (;;)
                    static_cast<void>(big.Save(folder)); // killed in the middle: no outcome to look at
            }
            // From a fifth of a save to a save and a fifth after the start.
            usleep(useconds_t(saveUs / 5 + (round % 37) * saveUs / 37));
            int status = 0;
            QCOMPARE(kill(child, SIGSTOP), 0);
            QCOMPARE(waitpid(child, &status, WUNTRACED), child);
            // Every tenth round the writer is let go on in small steps until it
            // is caught with its new file open (on a busy machine the spread
            // above alone may miss the moment).
            for (int step = 0; round % 10 == 9 && step < 20000 && !WriterHasFileOpenIn(child, folder); ++step) {
                QCOMPARE(kill(child, SIGCONT), 0);
                usleep(useconds_t(50 + step % 7 * 30));
                QCOMPARE(kill(child, SIGSTOP), 0);
                QCOMPARE(waitpid(child, &status, WUNTRACED), child);
            }
            if (WriterHasFileOpenIn(child, folder))
                ++midWrite;
            QCOMPARE(kill(child, SIGKILL), 0);
            QCOMPARE(waitpid(child, &status, 0), child);
            QVERIFY(WIFSIGNALED(status));
            TUploadManifest m;
            QString error;
            QVERIFY2(testing::Succeeds(m.Load(folder, Identity()), &error), qPrintable(error));
            if (m.Entries().size() == 3)
                QCOMPARE(m.Entries(), small.Entries());
            else
                QCOMPARE(ReadAll(TUploadManifest::FileFor(folder, Identity())), bigBytes);
        }
        QVERIFY2(midWrite > 0, "the writer was never caught in the middle of writing");
    }

    // A full disk: the save fails with its cause and the old manifest stays.
    void fullDiskKeepsTheOldManifest()
    {
        if (geteuid() != 0)
            QSKIP("needs root to mount a small file system in a private mount namespace");
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("sent"));
        QVERIFY(QDir().mkpath(folder));
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            int code = 0;
            if (unshare(CLONE_NEWNS) != 0 || mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
                || mount("tmpfs", folder.toLocal8Bit().constData(), "tmpfs", 0, "size=32k") != 0)
                _exit(10);
            const TUploadManifest small = Manifest(3);
            if (!small.Save(folder).ok())
                code = 11;
            QString error;
            if (testing::Succeeds(Manifest(5000).Save(folder), &error))
                code = 12;
            else if (!error.contains(QStringLiteral("No space left")))
                code = 13;
            TUploadManifest m;
            if (!m.Load(folder, Identity()).ok() || m.Entries() != small.Entries())
                code = 14;
            _exit(code);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);

        // A folder that cannot be made is reported as well.
        QFile blocker(dir.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QString error;
        QVERIFY(!testing::Succeeds(Manifest(1).Save(dir.filePath(QStringLiteral("file/sent"))), &error));
        QVERIFY(!error.isEmpty());
    }

    void fingerprints()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.bin"));
        QByteArray content(700 * 1024, 'q'); // several read blocks
        content[1000] = 'x';
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        const TFileFingerprint p = FingerprintFile(path);
        QVERIFY(p.Valid());
        QCOMPARE(p.Size, qint64(content.size()));
        // Known values (as xxhsum -H2 prints them) and one changed byte.
        QCOMPARE(FingerprintBytes("abc").Digest, QByteArray("06b05ab6733a618578af5f94892f3950"));
        QCOMPARE(FingerprintBytes("").Digest, QByteArray("99aa06d3014798d86001c324468d497f"));
        QCOMPARE(p.Digest, TContentHash::Hex(content));
        QByteArray other = content;
        other[500 * 1024] = 'y';
        QVERIFY(TContentHash::Hex(other) != p.Digest);
        QVERIFY(!FingerprintFile(dir.filePath(QStringLiteral("none"))).Valid());
        QVERIFY(!FingerprintFile(dir.path()).Valid());
        std::atomic<bool> cancel{true};
        QVERIFY(!FingerprintFile(path, &cancel).Valid());
    }

    // The digest taken while a file is sent: the same in any chunking, and
    // anew after Reset and after a result.
    void digestInPieces()
    {
        QByteArray content(3 * 1024 * 1024 + 17, Qt::Uninitialized);
        for (qsizetype i = 0; i < content.size(); ++i)
            content[i] = char((i * 7919) >> 5);
        const QByteArray expected = TContentHash::Hex(content);
        TContentHash hash;
        hash.Add("left over", 9);
        hash.Reset();
        for (const qsizetype chunk : {qsizetype(1), qsizetype(1000), qsizetype(64 * 1024), qsizetype(512 * 1024)}) {
            const qsizetype length = chunk == 1 ? 4099 : content.size();
            for (qsizetype at = 0; at < length; at += chunk)
                hash.Add(content.constData() + at, qMin(chunk, length - at));
            QCOMPARE(hash.Length(), qint64(length));
            QCOMPARE(hash.HexResult(), chunk == 1 ? TContentHash::Hex(content.left(4099)) : expected);
        }
        hash.Add("abc", 3);
        QCOMPARE(hash.HexResult(), QByteArray("06b05ab6733a618578af5f94892f3950"));
    }

    // Three uploads as the upload runs them: the first sends all, the second
    // only what changed here or went missing there, "send everything" all once.
    void uploadsOneAfterAnother()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("sent"));
        auto write = [&](const QString &name, const QByteArray &bytes) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        };
        write(QStringLiteral("a.gif"), "picture a");
        write(QStringLiteral("b.gif"), "picture b");
        QMap<QString, TRemoteSize> there; // the server's files, as its size query answers
        auto upload = [&](bool everything, QStringList *sent) -> int {
            TUploadChanges changes(Identity(), everything, folder);
            changes.PageSent(QStringLiteral("index.html"), "<html>\r\n</html>\r\n");
            for (const QString &name : {QStringLiteral("a.gif"), QStringLiteral("b.gif")}) {
                const QString remote = QStringLiteral("graphics/") + name;
                if (!changes.Picture(dir.filePath(name), remote, Server(there)).Send)
                    continue;
                *sent << remote;
                there.insert(remote, TRemoteSize{TRemoteSize::Known, QFileInfo(dir.filePath(name)).size()});
                changes.Sent(remote);
            }
            return changes.Save().ok() ? changes.Skipped() : -1;
        };
        QStringList sent;
        QCOMPARE(upload(false, &sent), 0);
        QCOMPARE(sent.size(), 2);
        sent.clear();
        QCOMPARE(upload(false, &sent), 2);
        QVERIFY(sent.isEmpty());
        // Changed here, deleted there.
        write(QStringLiteral("a.gif"), "picture a, retouched");
        there.remove(QStringLiteral("graphics/b.gif"));
        QCOMPARE(upload(false, &sent), 0);
        QCOMPARE(sent, (QStringList{QStringLiteral("graphics/a.gif"), QStringLiteral("graphics/b.gif")}));
        sent.clear();
        QCOMPARE(upload(true, &sent), 0);
        QCOMPARE(sent.size(), 2);
        sent.clear();
        QCOMPARE(upload(false, &sent), 2);

        // The page is recorded by its text, so the check after an upload can
        // recognise it whatever line ends the server gave it.
        TUploadChanges later(Identity(), false, folder);
        QCOMPARE(later.PreviousPage(QStringLiteral("index.html")).Digest, FingerprintBytes("<html>\n</html>\n").Digest);
        QVERIFY(!later.PreviousPage(QStringLiteral("other.html")).Valid());
        // A picture that failed is forgotten.
        QVERIFY(later.Picture(dir.filePath(QStringLiteral("a.gif")), QStringLiteral("graphics/a.gif"), {}).Send == false);
        TUploadChanges failing(Identity(), true, folder);
        failing.Picture(dir.filePath(QStringLiteral("a.gif")), QStringLiteral("graphics/a.gif"), {});
        failing.NotSent(QStringLiteral("graphics/a.gif"));
        QVERIFY(failing.Save().ok());
        TUploadChanges after(Identity(), false, folder);
        QCOMPARE(after.Picture(dir.filePath(QStringLiteral("a.gif")), QStringLiteral("graphics/a.gif"), {}).Reason,
                 SendReason::NotSentBefore);
    }

    // For a sender that fingerprints what it sends: the local file is read
    // beforehand only when the decision needs it, the server is asked at most
    // once, and what went up is what is recorded.
    void decidesBeforeReadingWhenItCan()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("sent"));
        const QString local = dir.filePath(QStringLiteral("a.gif"));
        const QString remote = QStringLiteral("graphics/a.gif");
        {
            QFile f(local);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("picture a");
        }
        // A first upload: sent unread; the fingerprint of the bytes sent is kept.
        const TFileFingerprint wentUp = Print("picture A"); // same size, other bytes
        {
            TUploadChanges changes(Identity(), false, folder);
            int asked = 0;
            const TSendDecision d = changes.PictureBeforeSending(local, remote, Server({}, &asked));
            QVERIFY(d.Send);
            QCOMPARE(d.Reason, SendReason::FirstUpload);
            QCOMPARE(asked, 0);
            QVERIFY(!changes.FingerprintOf(remote).Valid()); // not read
            changes.Sent(remote, wentUp);
            QCOMPARE(changes.FingerprintOf(remote).Digest, wentUp.Digest);
            QVERIFY(changes.Save().ok());
        }
        const auto decide = [&](const RemoteSizeQuery &query) {
            TUploadChanges changes(Identity(), false, folder);
            return changes.PictureBeforeSending(local, remote, query);
        };
        // Gone there: sent without reading it here.
        int asked = 0;
        QCOMPARE(decide(Server({{remote, TRemoteSize{TRemoteSize::Missing, -1}}}, &asked)).Reason, SendReason::MissingThere);
        QCOMPARE(asked, 1);
        asked = 0;
        QCOMPARE(decide(Server({{remote, TRemoteSize{TRemoteSize::Known, 3}}}, &asked)).Reason, SendReason::ChangedThere);
        QCOMPARE(asked, 1);
        // There as sent: the local file decides, and it differs from what went up.
        asked = 0;
        QCOMPARE(decide(Server({{remote, TRemoteSize{TRemoteSize::Known, 9}}}, &asked)).Reason, SendReason::ChangedHere);
        QCOMPARE(asked, 1);

        // Sent without a fingerprint of the bytes: the file is read to record it.
        {
            TUploadChanges changes(Identity(), true, folder);
            QCOMPARE(changes.PictureBeforeSending(local, remote, {}).Reason, SendReason::SendEverything);
            changes.Sent(remote);
            QCOMPARE(changes.FingerprintOf(remote).Digest, FingerprintFile(local).Digest);
            QVERIFY(changes.Save().ok());
        }
        asked = 0;
        const TSendDecision same = decide(Server({{remote, TRemoteSize{TRemoteSize::Known, 9}}}, &asked));
        QCOMPARE(same.Send, false);
        QCOMPARE(same.Reason, SendReason::Unchanged);
        QCOMPARE(asked, 1);
        // Changed size here: the server is not asked.
        {
            QFile f(local);
            QVERIFY(f.open(QIODevice::Append));
            f.write(", retouched");
        }
        asked = 0;
        QCOMPARE(decide(Server({}, &asked)).Reason, SendReason::ChangedHere);
        QCOMPARE(asked, 0);
    }

    // The quick check: a picture whose size and time are those it had when
    // it was sent is not read; a touched one is read, not sent, and its new
    // time kept; one changed without a new time goes only with "Send everything".
    void quickCheckBySizeAndTime()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("sent"));
        const QString local = dir.filePath(QStringLiteral("a.gif"));
        const QString remote = QStringLiteral("graphics/a.gif");
        const auto write = [&](const QByteArray &bytes, const QDateTime &time) {
            QFile f(local);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(bytes);
            QVERIFY(f.flush());
            QVERIFY(f.setFileTime(time, QFileDevice::FileModificationTime));
        };
        const QDateTime sentAt = QDateTime::currentDateTimeUtc().addSecs(-3600);
        const QDateTime touched = sentAt.addSecs(600);
        const auto recorded = [&] {
            TUploadManifest m;
            static_cast<void>(m.Load(folder, Identity())); // what it found is looked at below
            return m.Find(remote) ? m.Find(remote)->Time : -2;
        };
        const auto decide = [&](bool everything) {
            TUploadChanges changes(Identity(), everything, folder);
            const TSendDecision d = changes.PictureBeforeSending(local, remote, Server({{remote, TRemoteSize{TRemoteSize::Known, 9}}}));
            const TFileFingerprint seen = changes.FingerprintOf(remote);
            if (d.Send)
                changes.Sent(remote, FingerprintFile(local));
            static_cast<void>(changes.Save()); // recorded() reads back what was kept
            return std::make_pair(d, seen);
        };
        write("picture a", sentAt);
        QCOMPARE(decide(true).first.Reason, SendReason::SendEverything);
        QCOMPARE(recorded(), sentAt.toMSecsSinceEpoch());

        // Touched: new time, same bytes. Read, not sent, the new time kept.
        write("picture a", touched);
        auto d = decide(false);
        QCOMPARE(d.first.Reason, SendReason::Unchanged);
        QCOMPARE(d.second.Digest, Print("picture a").Digest);
        QCOMPARE(recorded(), touched.toMSecsSinceEpoch());

        // Other bytes of the same size, with the time put back: not read, so
        // not sent; what the check after the upload expects is what was sent.
        write("picture b", touched);
        d = decide(false);
        QCOMPARE(d.first.Send, false);
        QCOMPARE(d.second.Digest, Print("picture a").Digest);
        QCOMPARE(decide(true).first.Reason, SendReason::SendEverything);
        QCOMPARE(decide(false).second.Digest, Print("picture b").Digest);

        // A time younger than two seconds is not trusted to tell a change: not kept.
        write("picture c", QDateTime::currentDateTimeUtc());
        QCOMPARE(LocalFileTime(local), qint64(-1));
        QCOMPARE(decide(false).first.Reason, SendReason::ChangedHere);
        QCOMPARE(recorded(), qint64(-1));

        // A list written before times were kept reads as it did (the file is
        // read); a damaged time is a damaged list.
        TUploadManifest m(Identity());
        m.Record(remote, Print("picture c"));
        QByteArray bytes = m.ToBytes();
        QVERIFY(bytes.contains("\t" + Print("picture c").Digest + "\n"));
        TUploadManifest back;
        QVERIFY(back.FromBytes(bytes, Identity()).ok());
        QCOMPARE(back.Find(remote)->Time, qint64(-1));
        bytes.replace(Print("picture c").Digest + "\n", Print("picture c").Digest + "\tsoon\n");
        QVERIFY(!back.FromBytes(bytes, Identity()).ok());
    }

    // The page is not sent again when its text is the one sent, and the
    // server holds a copy of its size (line ends as LF or as they are here).
    void pageSentOnlyWhenChanged()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("sent"));
        const QString page = QStringLiteral("index.html");
        const QByteArray text = "<HTML>\r\n</HTML>\r\n";
        {
            TUploadChanges changes(Identity(), false, folder);
            QVERIFY(!changes.PageUnchanged(page, text, {})); // never sent
            changes.PageSent(page, text);
            QVERIFY(changes.Save().ok());
        }
        TUploadChanges changes(Identity(), false, folder);
        const auto there = [&](TRemoteSize::State s, qint64 bytes = -1) { return Server({{page, TRemoteSize{s, bytes}}}); };
        QVERIFY(changes.PageUnchanged(page, text, there(TRemoteSize::Known, 15)));
        QVERIFY(changes.PageUnchanged(page, text, there(TRemoteSize::Known, 17)));
        QVERIFY(changes.PageUnchanged(page, text, there(TRemoteSize::NotOffered)));
        QVERIFY(!changes.PageUnchanged(page, text, there(TRemoteSize::Known, 16)));
        QVERIFY(!changes.PageUnchanged(page, text, there(TRemoteSize::Missing)));
        QVERIFY(!changes.PageUnchanged(page, text, there(TRemoteSize::Unknown)));
        QVERIFY(!changes.PageUnchanged(page, "<HTML>\r\n</html>\r\n", there(TRemoteSize::Known, 15)));
        TUploadChanges everything(Identity(), true, folder);
        QVERIFY(!everything.PageUnchanged(page, text, there(TRemoteSize::Known, 15)));
    }

    void whatIsSent()
    {
        TUploadManifest m(Identity());
        const TFileFingerprint a = Print("picture a"), b = Print("picture b");
        m.Record(QStringLiteral("index.html"), Print("page"));
        m.Record(QStringLiteral("graphics/a.gif"), a);
        const QString name = QStringLiteral("graphics/a.gif");
        auto decide = [&](const TFileFingerprint &local, const RemoteSizeQuery &q, bool page = false, bool all = false) {
            return DecideSend(m, name, local, page, all, q);
        };
        const auto there = [&](TRemoteSize::State s, qint64 bytes = -1) {
            return Server({{name, TRemoteSize{s, bytes}}});
        };
        int asked = 0;
        TSendDecision d = decide(a, Server({{name, TRemoteSize{TRemoteSize::Known, a.Size}}}, &asked));
        QCOMPARE(d.Send, false);
        QCOMPARE(d.Reason, SendReason::Unchanged);
        QCOMPARE(asked, 1);
        QCOMPARE(decide(a, there(TRemoteSize::Missing)).Reason, SendReason::MissingThere);
        QCOMPARE(decide(a, there(TRemoteSize::Known, a.Size + 1)).Reason, SendReason::ChangedThere);
        QCOMPARE(decide(a, there(TRemoteSize::Unknown)).Reason, SendReason::Unsure);
        QCOMPARE(decide(a, there(TRemoteSize::NotOffered)).Send, false);
        QCOMPARE(decide(a, {}).Send, false);
        // Changed here: the server is not even asked.
        asked = 0;
        d = decide(b, Server({}, &asked));
        QCOMPARE(d.Reason, SendReason::ChangedHere);
        QCOMPARE(asked, 0);
        QCOMPARE(DecideSend(m, QStringLiteral("graphics/new.gif"), a, false, false, {}).Reason,
                 SendReason::NotSentBefore);
        QCOMPARE(decide(a, there(TRemoteSize::Known, a.Size), true).Reason, SendReason::Page);
        QCOMPARE(decide(a, there(TRemoteSize::Known, a.Size), false, true).Reason, SendReason::SendEverything);
        QCOMPARE(decide(TFileFingerprint(), {}).Reason, SendReason::Unreadable);
        QCOMPARE(DecideSend(TUploadManifest(Identity()), name, a, false, false, {}).Reason, SendReason::FirstUpload);
        // A file that did not arrive is forgotten, so the next upload sends it.
        m.Forget(name);
        QCOMPARE(decide(a, {}).Reason, SendReason::NotSentBefore);
    }
};

QTEST_GUILESS_MAIN(TestPublishManifest)
#include "test_publish_manifest.moc"
