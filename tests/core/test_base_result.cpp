// The result of a fallible function: a value or a failure, and the text a
// failure shows the user.
#include "base/Result.h"
#include "strings/Msg.h"
#include "strings/StringTable.h"

#include <QtTest>

using namespace wobbin;

namespace {
TResult<QString> Echo(bool fail)
{
    if (fail)
        return TError(Msg::CheckServerAddress, QStringLiteral("ftp.example.com"));
    return QStringLiteral("value");
}
} // namespace

class TestBaseResult : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void holdsTheValueOrTheFailure()
    {
        const TResult<QString> good = Echo(false);
        QVERIFY(good.ok());
        QCOMPARE(good.value(), QStringLiteral("value"));

        const TResult<QString> bad = Echo(true);
        QVERIFY(!bad.ok());
        QCOMPARE(bad.error().id, int(Msg::CheckServerAddress));
        QCOMPARE(bad.error().detail, QStringLiteral("ftp.example.com"));
        QCOMPARE(bad.valueOr(QStringLiteral("fallback")), QStringLiteral("fallback"));

        const TResult<void> done;
        QVERIFY(done.ok());
        const TResult<void> failed = TError(QStringLiteral("No space left on device"));
        QVERIFY(!failed.ok());
        QCOMPARE(failed.error().id, TError::NoText);
    }

    void textPutsTheDetailInItsPlace()
    {
        // A text with %1 takes the detail there.
        const QString address = QStringLiteral("ftp.example.com");
        const QString filled = TError(Msg::CheckServerAddress, address).Text();
        QVERIFY(filled.contains(address));
        QVERIFY(!filled.contains(QLatin1String("%1")));
        QCOMPARE(filled, LoadStr(Msg::CheckServerAddress).arg(address));
        // A text without %1 is followed by the detail on a line of its own.
        QCOMPARE(TError(Msg::ServerUnreachable, QStringLiteral("Connection refused")).Text(),
                 LoadStr(Msg::ServerUnreachable) + QStringLiteral("\nConnection refused"));
        QCOMPARE(TError(Msg::ServerUnreachable).Text(), LoadStr(Msg::ServerUnreachable));
        // Without a numbered text the detail is the whole text.
        QCOMPARE(TError(QStringLiteral("No space left on device")).Text(), QStringLiteral("No space left on device"));
        QVERIFY(MissingStringIds().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestBaseResult)
#include "test_base_result.moc"
