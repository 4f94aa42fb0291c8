// Pages written to fit phones, judged by real tools: every shipped template
// and a page holding every kind of block, exported by the built program with
// --export --modern, must pass tidy's HTML5 check, show in headless Chromium
// 390 CSS pixels wide without scrolling sideways, with body text of at least
// 16 pixels and every picture loaded, and hold exactly the characters typed.
#include "page/PageDocument.h"
#include "page/PageFile.h"
#include "support/FileTree.h"
#include "support/HttpTestServer.h"
#include "support/ResultCheck.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

namespace {
const QString kProgram = QStringLiteral(WOBBIN_BINARY_DIR "/bin/wobbin-express");

// Texts in four scripts and emoji, typed into every kind of field.
const QString kGreek = QStringLiteral("Καλημέρα κόσμε");
const QString kCyrillic = QStringLiteral("Привет, мир");
const QString kCjk = QStringLiteral("你好，世界 こんにちは");
const QString kEmoji = QStringLiteral("🌍🎉");

// Runs a program to its end: its exit code (-1 when it did not end normally).
int Run(const QString &program, const QStringList &args, QByteArray *out = nullptr, QByteArray *err = nullptr,
        const QString &tmpDir = QString())
{
    QProcess p;
    if (!tmpDir.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), tmpDir);
        p.setProcessEnvironment(env);
    }
    p.start(program, args);
    const bool ended = p.waitForFinished(120000);
    if (out)
        *out = p.readAllStandardOutput();
    if (err)
        *err = p.readAllStandardError();
    return ended && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// The page with every block kind, alignment, the new-line switch, a picture
// of 3,000 pixels and non-Latin text, in a style with a background picture.
TPageDocument EverythingPage()
{
    TPageDocument doc;
    doc.PageTitle = kGreek + QLatin1Char(' ') + kEmoji;
    auto add = [&doc](int kind) -> TWebChunk & { return doc.Blocks.Append(NewBlock(kind)); };
    TBlockHeading &h = *add(bkHeading).Heading;
    h.Text = kCyrillic + QStringLiteral(" & <friends>");
    h.Align = 2;
    add(bkPara).Para->Text = kCjk + QStringLiteral("\r\n<b>") + kEmoji
        + QStringLiteral("</b> http://www.example.com/a/long/address/that/does/not/break/by/itself/");
    TBlockLink &l = *add(bkLink).Link;
    l = {kGreek, QStringLiteral("http://www.example.com/?a=1&b=2"), kCyrillic, QString(), 0, 1};
    for (std::uint8_t align = 0; align <= 3; ++align) // the first picture is 3,000 pixels wide
        *add(bkImage).Image = {align ? QStringLiteral("graphics\\flowers.jpg") : QStringLiteral("graphics\\big.jpg"),
                               align ? QStringLiteral("200") : QStringLiteral("2000"),
                               align ? QStringLiteral("320") : QStringLiteral("3000"), align == 1 ? kCjk : QString(),
                               align == 2 ? QStringLiteral("http://www.example.com/") : QStringLiteral("http://"),
                               align, std::uint8_t(align == 3)};
    *add(bkEmail).Email = {kEmoji, QStringLiteral("me@example.com"), QString(), QString(), 3, 0};
    for (int size = 1; size <= 6; ++size)
        *add(bkHeading).Heading = {QString::number(size), kGreek, std::uint8_t(size % 4), 0};
    *add(bkLine).Line = {QStringLiteral("50"), QStringLiteral("3 (Thin)")};
    *add(bkPara).Para = {kCyrillic, 3, 1};
    return doc;
}

// The results the harness page writes, one object per page.
QJsonArray ParseHarnessDom(const QByteArray &dom)
{
    const qsizetype start = dom.indexOf("<pre id=\"result\">");
    const qsizetype end = dom.indexOf("</pre>", start);
    if (start < 0 || end < 0)
        return {};
    QByteArray json = dom.mid(start + 17, end - start - 17);
    json.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&amp;", "&");
    return QJsonDocument::fromJson(json).array();
}

} // namespace

class TestPagePhonesTools : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_tmp;
    QString m_data;
    QString m_html;       // HTMLFiles of the data folder copy
    QStringList m_pages;  // the exported pages, file names in m_html
    QString m_tidy;
    QString m_chromium;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(kProgram), "build the wobbin-express target first");
        m_tidy = QStandardPaths::findExecutable(QStringLiteral("tidy"));
        m_chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
        QVERIFY2(!m_tidy.isEmpty() && !m_chromium.isEmpty(),
                 "tidy and chromium are missing: run scripts/install-deps.sh");
        QVERIFY(m_tmp.isValid());
        m_data = m_tmp.filePath(QStringLiteral("data"));
        QVERIFY(CopyTree(QStringLiteral(WOBBIN_SOURCE_DIR "/data"), m_data));
        m_html = m_data + QStringLiteral("/HTMLFiles");
        QImage big(3000, 2000, QImage::Format_RGB32);
        big.fill(QColor(30, 90, 160));
        QVERIFY(big.save(m_html + QStringLiteral("/graphics/big.jpg"), "JPEG", 60));

        TPageDocument doc = EverythingPage();
        QString error;
        QVERIFY2(testing::Succeeds(WritePageFile(m_data + QStringLiteral("/save/Everything.qze"), doc,
                                                 QStringLiteral("Night Sky"), QByteArray()),
                                   &error),
                 qPrintable(error));
        QStringList sources{m_data + QStringLiteral("/save/Everything.qze")};
        const QStringList templates = QDir(m_data + QStringLiteral("/template")).entryList({QStringLiteral("*.qzt")});
        QCOMPARE(templates.size(), 6);
        for (const QString &t : templates)
            sources << m_data + QStringLiteral("/template/") + t;
        for (int i = 0; i < sources.size(); ++i) {
            const QString name = QStringLiteral("page%1.html").arg(i);
            QByteArray err;
            QVERIFY2(Run(kProgram, {QStringLiteral("--export"), sources.at(i), QStringLiteral("--modern"),
                                    QStringLiteral("--data-dir"), m_data, QStringLiteral("--out"),
                                    m_html + QLatin1Char('/') + name}, nullptr, &err) == 0,
                     err.constData());
            m_pages << name;
        }
    }

    void everyPageIsValidHtml5InUtf8()
    {
        for (const QString &page : std::as_const(m_pages)) {
            QByteArray said;
            // 0: clean; 1: warnings; 2: errors. Our own markup warns of nothing either.
            QVERIFY2(Run(m_tidy, {QStringLiteral("-q"), QStringLiteral("-e"), QStringLiteral("-utf8"),
                                  m_html + QLatin1Char('/') + page}, nullptr, &said) == 0,
                     qPrintable(page + QLatin1Char('\n') + QString::fromUtf8(said)));
            QFile f(m_html + QLatin1Char('/') + page);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QStringDecoder utf8(QStringDecoder::Utf8);
            const QString text = utf8.decode(f.readAll());
            QVERIFY2(!utf8.hasError() && !text.contains(QStringLiteral("&#")), qPrintable(page));
        }
    }

    // One Chromium start for every page: a harness page holds each one in a
    // frame 390 pixels wide and reports what the browser made of it.
    void everyPageFitsAPhoneInChromium()
    {
        QString frames;
        for (const QString &page : std::as_const(m_pages))
            frames += QStringLiteral("<iframe src=\"%1\" width=\"390\" height=\"2400\"></iframe>\n").arg(page);
        const QString harness = QStringLiteral(
            "<!DOCTYPE html><meta charset=\"utf-8\"><title>h</title><style>iframe{border:0;display:block}</style>\n")
            + frames + QStringLiteral(R"JS(<pre id="result"></pre>
<script>
async function check(f) {
  const d = f.contentDocument, w = f.contentWindow;
  const pictures = [...d.images].map(i => i.src);
  const bg = w.getComputedStyle(d.body).backgroundImage.match(/url\("(.*)"\)/);
  if (bg) pictures.push(bg[1]);
  const broken = [];
  await Promise.all(pictures.map(src => new Promise(done => {
    const i = new Image(); i.onload = done; i.onerror = () => { broken.push(src); done(); }; i.src = src; })));
  return {page: f.getAttribute('src'), scrollWidth: d.documentElement.scrollWidth,
          width: d.documentElement.clientWidth, font: parseFloat(w.getComputedStyle(d.body).fontSize),
          pictures: pictures.length, broken: broken, text: d.body.innerText};
}
window.onload = async () => {
  const r = [];
  for (const f of document.querySelectorAll('iframe')) r.push(await check(f));
  document.getElementById('result').textContent = JSON.stringify(r);
};
</script>
)JS");
        QFile h(m_html + QStringLiteral("/harness.html"));
        QVERIFY(h.open(QIODevice::WriteOnly));
        h.write(harness.toUtf8());
        h.close();

        THttpTestServer server;
        QVERIFY2(server.StartPlain(m_html), qPrintable(server.Error()));
        QByteArray dom;
        QByteArray said;
        const QStringList flags = QStringLiteral("--headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
                                                 "--disable-background-networking --disable-component-update "
                                                 "--disable-sync --disable-dev-shm-usage --disable-crash-reporter "
                                                 "--hide-scrollbars --virtual-time-budget=20000 "
                                                 "--dump-dom").split(QLatin1Char(' '));
        // A confined machine may refuse the browser's helper processes: then
        // it is asked once more to do everything in one process.
        int code = -1;
        for (const QStringList &extra : {QStringList{}, QStringList{QStringLiteral("--single-process"),
                                                                    QStringLiteral("--no-zygote")}}) {
            // The browser's socket lives in its temporary folder and its
            // path must stay within 107 bytes, whatever the build folder is.
            QTemporaryDir profile(QStringLiteral("/tmp/wbx-chromium-XXXXXX"));
            QVERIFY(profile.isValid());
            code = Run(m_chromium, flags + extra + QStringList{QStringLiteral("--user-data-dir=") + profile.path(),
                                                               server.Url() + QStringLiteral("harness.html")},
                       &dom, &said, profile.path());
            if (code == 0)
                break;
            qWarning("chromium %s ended with %d:\n%s", qPrintable(extra.join(QLatin1Char(' '))), code,
                     said.right(3000).constData());
        }
        QCOMPARE(code, 0);
        const QJsonArray results = ParseHarnessDom(dom);
        QCOMPARE(results.size(), m_pages.size());
        for (const QJsonValue &v : results) {
            const QJsonObject o = v.toObject();
            const QString page = o.value(QStringLiteral("page")).toString();
            QVERIFY2(o.value(QStringLiteral("scrollWidth")).toInt() <= 390, qPrintable(page));
            QCOMPARE(o.value(QStringLiteral("width")).toInt(), 390);
            QVERIFY2(o.value(QStringLiteral("font")).toDouble() >= 16.0, qPrintable(page));
            QVERIFY2(o.value(QStringLiteral("pictures")).toInt() >= 2, qPrintable(page)); // logo and background
            QVERIFY2(o.value(QStringLiteral("broken")).toArray().isEmpty(),
                     qPrintable(page + QJsonDocument(o.value(QStringLiteral("broken")).toArray()).toJson()));
        }
        // The browser shows exactly the characters typed.
        const QString shown = results.first().toObject().value(QStringLiteral("text")).toString();
        for (const QString &typed : {kGreek, kCyrillic + QStringLiteral(" & <friends>"), kCjk, kEmoji})
            QVERIFY2(shown.contains(typed), qPrintable(typed));
        QCOMPARE(results.first().toObject().value(QStringLiteral("pictures")).toInt(), 6);
    }
};

QTEST_GUILESS_MAIN(TestPagePhonesTools)
#include "test_page_phones_tools.moc"
