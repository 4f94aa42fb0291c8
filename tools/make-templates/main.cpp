// Builds the shipped page templates and the example page: each is a real page
// of blocks with a title and one of the shipped styles, written as a page
// file with the picture of its rendering beside it. Also paints the photos
// the photo page shows.
//
//   make-templates <data folder>
// reads <data folder>/Styles.data and writes <data folder>/template/*.qzt,
// <data folder>/save/Example.qze (each with its .bmp picture) and the photos
// in <data folder>/HTMLFiles/graphics.

#include "page/BlockList.h"
#include "page/PageDocument.h"
#include "pictures/PagePicture.h"
#include "page/PageHtml.h"
#include "page/ViewerText.h"
#include "styles/StyleLibrary.h"
#include "viewer/HtmlViewer.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>
#include <QtMath>

using namespace wobbin;

namespace {

// The viewer renders the page at three times the picture size, so the
// picture is an even reduction of a full-size page.
constexpr int kRenderScale = 3;

enum : std::uint8_t { kNone = 0, kLeft = 1, kCenter = 2, kRight = 3 };

// Small builders for the blocks of a page.
class PageBuilder
{
public:
    explicit PageBuilder(TPageDocument &doc) : m_doc(doc) {}

    void Heading(int size, const QString &text, std::uint8_t align = kNone)
    {
        auto b = NewBlock(bkHeading);
        static const char *sizes[] = {"1 (Largest)", "2 (Larger)", "3 (Large)",
                                      "4 (Small)", "5 (Smaller)", "6 (Smallest)"};
        b->Heading->SizeText = QString::fromLatin1(sizes[qBound(1, size, 6) - 1]);
        b->Heading->Text = text;
        b->Heading->Align = align;
        m_doc.Blocks.Append(std::move(b));
    }

    void Para(const QString &text, std::uint8_t align = kLeft, bool newLine = false)
    {
        auto b = NewBlock(bkPara);
        QString t = text;
        t.replace(QLatin1String("\n"), QLatin1String("\r\n"));
        b->Para->Text = t;
        b->Para->Align = align;
        b->Para->NewLine = newLine ? 1 : 0;
        m_doc.Blocks.Append(std::move(b));
    }

    void Link(const QString &pre, const QString &url, const QString &text, const QString &post,
              std::uint8_t align = kNone, bool newLine = true)
    {
        auto b = NewBlock(bkLink);
        b->Link->PreText = pre;
        b->Link->URL = url;
        b->Link->LinkText = text;
        b->Link->PostText = post;
        b->Link->Align = align;
        b->Link->NewLine = newLine ? 1 : 0;
        m_doc.Blocks.Append(std::move(b));
    }

    void Image(const QString &file, int width, int height, const QString &alt,
               std::uint8_t align = kCenter, bool newLine = false)
    {
        auto b = NewBlock(bkImage);
        b->Image->FileName = file;
        b->Image->ImgWidth = QString::number(width);
        b->Image->ImgHeight = QString::number(height);
        b->Image->AltText = alt;
        b->Image->Align = align;
        b->Image->NewLine = newLine ? 1 : 0;
        m_doc.Blocks.Append(std::move(b));
    }

    void Email(const QString &pre, const QString &address, const QString &text,
               const QString &post, std::uint8_t align = kCenter, bool newLine = true)
    {
        auto b = NewBlock(bkEmail);
        b->Email->PreText = pre;
        b->Email->Address = address;
        b->Email->LinkText = text;
        b->Email->PostText = post;
        b->Email->Align = align;
        b->Email->NewLine = newLine ? 1 : 0;
        m_doc.Blocks.Append(std::move(b));
    }

    void Line(int widthPercent = 80, int thickness = 2)
    {
        auto b = NewBlock(bkLine);
        b->Line->LineWidth = widthPercent > 0 ? QString::number(widthPercent) : QString();
        static const char *thick[] = {"1 (Thinnest)", "2 (Thinner)", "3 (Thin)",
                                      "4 (Thick)", "5 (Thicker)", "6 (Thickest)"};
        b->Line->ThickText = QString::fromLatin1(thick[qBound(1, thickness, 6) - 1]);
        m_doc.Blocks.Append(std::move(b));
    }

private:
    TPageDocument &m_doc;
};

struct PagePlan
{
    QString file;       // relative to the data folder
    QString style;      // name of a shipped style
    QString title;
    std::function<void(PageBuilder &)> blocks;
};

void PersonalHomePage(PageBuilder &p)
{
    p.Heading(1, QStringLiteral("Welcome to My Home Page!"), kCenter);
    p.Para(QStringLiteral("Hello, and thank you for dropping by. This is my own little corner of the "
                          "World Wide Web. Make yourself at home and have a look around."),
           kCenter);
    p.Line(80, 2);
    p.Heading(3, QStringLiteral("About Me"));
    p.Para(QStringLiteral("My name is Sam. I live by the sea with my dog Biscuit, I like long walks, "
                          "good books and cooking for friends. Replace this text with a few words "
                          "about yourself."));
    p.Heading(3, QStringLiteral("Things I Like"));
    p.Para(QStringLiteral("- Reading mystery novels\n- Baking bread on Sundays\n- Sailing in the summer"));
    p.Heading(3, QStringLiteral("My Favourite Links"));
    p.Link(QStringLiteral("The weather at the coast:"), QStringLiteral("http://www.example.com/weather/"),
           QStringLiteral("Coast Weather"), QString());
    p.Link(QStringLiteral("Recipes I love:"), QStringLiteral("http://www.example.com/recipes/"),
           QStringLiteral("The Bread Corner"), QString());
    p.Line(80, 2);
    p.Email(QStringLiteral("Say hello:"), QStringLiteral("sam@example.com"),
            QStringLiteral("sam@example.com"), QString());
}

void FamilyNews(PageBuilder &p)
{
    p.Heading(1, QStringLiteral("The Miller Family News"), kCenter);
    p.Para(QStringLiteral("Spring edition - all the news from our house to yours"), kCenter);
    p.Line(100, 3);
    p.Heading(3, QStringLiteral("Grandma turns 80!"));
    p.Para(QStringLiteral("We all gathered at the farm to celebrate Grandma's 80th birthday. There was "
                          "cake, music and a great deal of laughter. Thank you to everyone who came."));
    p.Heading(3, QStringLiteral("Emma starts school"));
    p.Para(QStringLiteral("Our youngest started school in September. She loves her teacher and already "
                          "reads her bedtime stories to us."));
    p.Heading(3, QStringLiteral("Dates for the diary"));
    p.Para(QStringLiteral("Summer picnic: the first Sunday in July\nFamily holiday: two weeks in August"));
    p.Line(100, 3);
    p.Email(QStringLiteral("Send us your news:"), QStringLiteral("millers@example.com"),
            QStringLiteral("millers@example.com"), QString());
}

void ClubPage(PageBuilder &p)
{
    p.Heading(1, QStringLiteral("Riverside Walking Club"), kCenter);
    p.Para(QStringLiteral("Friendly walks for all ages, every weekend, whatever the weather."), kCenter);
    p.Line(90, 2);
    p.Heading(2, QStringLiteral("Next Walks"));
    p.Para(QStringLiteral("Saturday 10 am - Old Mill circuit, 8 km, meet at the bridge\n"
                          "Sunday 2 pm - Meadow path, 5 km, good for families"));
    p.Heading(2, QStringLiteral("Join Us"));
    p.Para(QStringLiteral("New members are always welcome. Come along to any walk and try us out; "
                          "the yearly fee is small and includes our newsletter."));
    p.Heading(2, QStringLiteral("Results and Photos"));
    p.Link(QStringLiteral("See the pictures of our"), QStringLiteral("http://www.example.com/club/photos/"),
           QStringLiteral("summer walks"), QStringLiteral("and the route maps."));
    p.Line(90, 2);
    p.Email(QStringLiteral("Questions? Write to our secretary at"), QStringLiteral("secretary@example.com"),
            QStringLiteral("secretary@example.com"), QString());
}

void BusinessCard(PageBuilder &p)
{
    p.Heading(1, QStringLiteral("Smith & Daughters Carpentry"), kCenter);
    p.Para(QStringLiteral("Fine furniture, fitted kitchens and repairs since 1978"), kCenter);
    p.Line(60, 4);
    p.Heading(3, QStringLiteral("What We Do"), kCenter);
    p.Para(QStringLiteral("Made-to-measure cupboards and shelves, oak tables and chairs, window and "
                          "door repairs. Free estimates in the whole county."),
           kCenter);
    p.Heading(3, QStringLiteral("Opening Hours"), kCenter);
    p.Para(QStringLiteral("Monday to Friday 8 am - 6 pm\nSaturday 9 am - 1 pm"), kCenter);
    p.Heading(3, QStringLiteral("Find Us"), kCenter);
    p.Para(QStringLiteral("12 High Street, Millbrook\nTelephone 01234 567890"), kCenter);
    p.Line(60, 4);
    p.Email(QStringLiteral("Ask for an estimate:"), QStringLiteral("info@example.com"),
            QStringLiteral("info@example.com"), QString());
}

void Resume(PageBuilder &p)
{
    p.Heading(1, QStringLiteral("Jane Doe"), kCenter);
    p.Para(QStringLiteral("Bookkeeper and office manager"), kCenter);
    p.Email(QString(), QStringLiteral("jane.doe@example.com"), QStringLiteral("jane.doe@example.com"),
            QString());
    p.Line(100, 1);
    p.Heading(3, QStringLiteral("Experience"));
    p.Para(QStringLiteral("2015 - today: Office manager, Northwind Trading\n"
                          "2009 - 2015: Bookkeeper, Greenfield Garden Centre\n"
                          "2005 - 2009: Accounts assistant, City Hospital"));
    p.Heading(3, QStringLiteral("Education"));
    p.Para(QStringLiteral("Certificate in Bookkeeping, Millbrook College\n"
                          "A levels in Mathematics, English and French"));
    p.Heading(3, QStringLiteral("Skills"));
    p.Para(QStringLiteral("Accounts and payroll, spreadsheets, planning and organising, "
                          "friendly and clear on the telephone."));
    p.Heading(3, QStringLiteral("Interests"));
    p.Para(QStringLiteral("Choir singing, gardening and walking."));
    p.Line(100, 1);
    p.Para(QStringLiteral("References are gladly given on request."), kCenter);
}

void PhotoAlbum(PageBuilder &p)
{
    p.Heading(1, QStringLiteral("My Photo Album"), kCenter);
    p.Para(QStringLiteral("A few of my favourite pictures. Click Build to put your own photos in "
                          "their place."),
           kCenter);
    p.Image(QStringLiteral("graphics\\lakeside.jpg"), 320, 200,
            QStringLiteral("Sunset at the lake"), kCenter);
    p.Para(QStringLiteral("Sunset at the lake, last summer"), kCenter);
    p.Image(QStringLiteral("graphics\\flowers.jpg"), 320, 200,
            QStringLiteral("Flowers in the garden"), kCenter);
    p.Para(QStringLiteral("The first flowers in our garden"), kCenter);
    p.Line(70, 2);
    p.Email(QStringLiteral("Like my pictures? Tell me:"), QStringLiteral("photos@example.com"),
            QStringLiteral("photos@example.com"), QString());
}

void ExamplePage(PageBuilder &p)
{
    p.Heading(1, QStringLiteral("Biscuit's Page"), kCenter);
    p.Image(QStringLiteral("graphics\\flowers.jpg"), 240, 150, QStringLiteral("Biscuit's garden"),
            kCenter);
    p.Para(QStringLiteral("Hello! I am Biscuit, a very good dog. This is the garden where I dig "
                          "my holes and hide my bones."),
           kCenter);
    p.Heading(3, QStringLiteral("My Day"));
    p.Para(QStringLiteral("Breakfast, a walk, a nap, chasing the postman (not really), another nap, "
                          "dinner and a long sleep."));
    p.Link(QStringLiteral("My friends are at the"), QStringLiteral("http://www.example.com/dogs/"),
           QStringLiteral("Happy Dogs Club"), QStringLiteral("page."));
    p.Line(80, 2);
    p.Email(QStringLiteral("Write to my people:"), QStringLiteral("biscuit@example.com"),
            QStringLiteral("biscuit@example.com"), QString());
}

// --- Photos for the photo page ----------------------------------------------

QImage PaintLakeside()
{
    QImage img(320, 200, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 120);
    sky.setColorAt(0, QColor(44, 62, 122));
    sky.setColorAt(0.55, QColor(232, 120, 92));
    sky.setColorAt(1, QColor(255, 196, 120));
    p.fillRect(0, 0, 320, 120, sky);
    QRadialGradient sun(QPointF(200, 108), 40);
    sun.setColorAt(0, QColor(255, 244, 200));
    sun.setColorAt(0.35, QColor(255, 222, 150));
    sun.setColorAt(1, QColor(255, 196, 120, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sun);
    p.drawEllipse(QPointF(200, 108), 40, 40);
    // Hills.
    QPainterPath far(QPointF(0, 120));
    far.cubicTo(QPointF(60, 84), QPointF(120, 100), QPointF(170, 112));
    far.cubicTo(QPointF(230, 96), QPointF(280, 88), QPointF(320, 104));
    far.lineTo(320, 124);
    far.lineTo(0, 124);
    p.setBrush(QColor(92, 70, 110));
    p.drawPath(far);
    // The lake with the reflection.
    QLinearGradient water(0, 120, 0, 200);
    water.setColorAt(0, QColor(250, 170, 110));
    water.setColorAt(0.4, QColor(150, 96, 120));
    water.setColorAt(1, QColor(40, 52, 100));
    p.fillRect(0, 120, 320, 80, water);
    p.setPen(QPen(QColor(255, 230, 180, 170), 2));
    for (int i = 0; i < 9; ++i) {
        const double y = 128 + i * 7;
        const double half = 26 - i * 2.4;
        p.drawLine(QPointF(200 - half, y), QPointF(200 + half, y));
    }
    // Reeds in front.
    p.setPen(QPen(QColor(30, 30, 40), 2, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 12; ++i) {
        const double x = 14 + i * 6.5;
        const double h = 30 + (i * 37 % 23);
        p.drawLine(QPointF(x, 200), QPointF(x + (i % 3 - 1) * 4, 200 - h));
    }
    // A little boat.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 28, 40));
    QPainterPath boat(QPointF(100, 150));
    boat.lineTo(130, 150);
    boat.lineTo(124, 156);
    boat.lineTo(106, 156);
    boat.closeSubpath();
    p.drawPath(boat);
    p.drawRect(QRectF(114, 132, 1.6, 18));
    QPainterPath sail(QPointF(116, 133));
    sail.lineTo(127, 148);
    sail.lineTo(116, 148);
    sail.closeSubpath();
    p.setBrush(QColor(240, 220, 200));
    p.drawPath(sail);
    return img;
}

QImage PaintFlowers()
{
    QImage img(320, 200, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 200);
    sky.setColorAt(0, QColor(150, 200, 240));
    sky.setColorAt(0.5, QColor(200, 230, 250));
    sky.setColorAt(0.51, QColor(120, 180, 90));
    sky.setColorAt(1, QColor(70, 130, 60));
    p.fillRect(img.rect(), sky);
    // Soft clouds.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 200));
    for (const QPointF &c : {QPointF(60, 30), QPointF(80, 24), QPointF(100, 32), QPointF(230, 44),
                             QPointF(250, 38), QPointF(268, 46)})
        p.drawEllipse(c, 18, 11);
    // Flowers on stems, in rows that get larger to the front.
    const QList<QColor> petals = {QColor(240, 80, 110), QColor(255, 200, 60), QColor(180, 110, 220),
                                  QColor(255, 140, 60), QColor(250, 250, 250)};
    int n = 0;
    for (int row = 0; row < 3; ++row) {
        const double y = 118 + row * 30;
        const double size = 5 + row * 3;
        for (double x = 14 + row * 9; x < 320; x += 26 + row * 10) {
            const QColor c = petals.at(n++ % petals.size());
            p.setPen(QPen(QColor(50, 110, 40), 1.5 + row * 0.5));
            p.drawLine(QPointF(x, y), QPointF(x, y + 26 + row * 6));
            p.setPen(Qt::NoPen);
            p.setBrush(c);
            for (int k = 0; k < 6; ++k) {
                const double a = k * M_PI / 3 + row;
                p.drawEllipse(QPointF(x + std::cos(a) * size, y + std::sin(a) * size), size * 0.7,
                              size * 0.7);
            }
            p.setBrush(QColor(250, 220, 80));
            p.drawEllipse(QPointF(x, y), size * 0.55, size * 0.55);
        }
    }
    return img;
}

// Renders the page as the program's preview does and shrinks it to the
// page picture.
QImage RenderPicture(THtmlViewer &viewer, const QString &html)
{
    viewer.LoadFromText(ToViewerText(html));
    const QImage full = viewer.GrabClientArea(60000);
    if (full.isNull())
        return {};
    return full.scaled(kPagePictureWidth, kPagePictureHeight, Qt::IgnoreAspectRatio,
                       Qt::SmoothTransformation);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    THtmlViewer::RegisterScheme();
    QApplication app(argc, argv);
    if (argc < 2) {
        QTextStream(stderr) << "usage: make-templates <data folder>\n";
        return 2;
    }
    const QString data = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString htmlFolder = data + QStringLiteral("/HTMLFiles");
    QDir().mkpath(htmlFolder + QStringLiteral("/graphics"));
    QDir().mkpath(data + QStringLiteral("/template"));
    QDir().mkpath(data + QStringLiteral("/save"));

    if (!PaintLakeside().save(htmlFolder + QStringLiteral("/graphics/lakeside.jpg"), "JPG", 90)
        || !PaintFlowers().save(htmlFolder + QStringLiteral("/graphics/flowers.jpg"), "JPG", 90)) {
        QTextStream(stderr) << "cannot write the photos\n";
        return 1;
    }

    StyleLoadStatus status;
    const StyleList styles = LoadStyles(data + QStringLiteral("/Styles.data"), &status);
    if (status != StyleLoadStatus::Complete || styles.isEmpty()) {
        QTextStream(stderr) << "cannot read " << data << "/Styles.data\n";
        return 1;
    }
    const QStringList entries = StyleListEntries(styles);

    const QList<PagePlan> pages = {
        {QStringLiteral("template/Personal Home Page.qzt"), QStringLiteral("Ocean Breeze"),
         QStringLiteral("My Home Page"), PersonalHomePage},
        {QStringLiteral("template/Family News.qzt"), QStringLiteral("Sunny Day"),
         QStringLiteral("The Miller Family News"), FamilyNews},
        {QStringLiteral("template/Club or Team.qzt"), QStringLiteral("Garden"),
         QStringLiteral("Riverside Walking Club"), ClubPage},
        {QStringLiteral("template/Business Card.qzt"), QStringLiteral("Business Blue"),
         QStringLiteral("Smith & Daughters Carpentry"), BusinessCard},
        {QStringLiteral("template/Resume.qzt"), QStringLiteral("Classic Paper"),
         QStringLiteral("R\u00e9sum\u00e9 of Jane Doe"), Resume},
        {QStringLiteral("template/Photo Album.qzt"), QStringLiteral("Night Sky"),
         QStringLiteral("My Photo Album"), PhotoAlbum},
        {QStringLiteral("save/Example.qze"), QStringLiteral("Autumn Leaves"),
         QStringLiteral("Biscuit's Page"), ExamplePage},
    };

    QWidget window;
    window.resize(kPagePictureWidth * kRenderScale, kPagePictureHeight * kRenderScale);
    THtmlViewer viewer(&window);
    viewer.setObjectName(QStringLiteral("ctlHTML"));
    viewer.SetBorder(false);
    viewer.SetScrollBars(false);
    viewer.setGeometry(0, 0, window.width(), window.height());
    viewer.SetBaseFolder(htmlFolder);
    window.show();

    int failures = 0;
    for (const PagePlan &plan : pages) {
        const int entry = FindStyleEntry(entries, plan.style);
        if (entry < 0) {
            QTextStream(stderr) << "no style named " << plan.style << "\n";
            ++failures;
            continue;
        }
        TPageDocument doc;
        doc.PageTitle = plan.title;
        PageBuilder builder(doc);
        plan.blocks(builder);
        const QString html = ReplaceBodyTag(BuildPageHTML(doc.Blocks, doc.PageTitle, false, true),
                                            BodyTagForEntry(styles, entry));
        const QImage picture = RenderPicture(viewer, html);
        if (picture.isNull()) {
            QTextStream(stderr) << "could not render " << plan.file << "\n";
            ++failures;
            continue;
        }
        const TResult<void> written = WritePageFile(data + QLatin1Char('/') + plan.file, doc, entries.at(entry), picture);
        if (!written.ok()) {
            QTextStream(stderr) << written.error().Text() << "\n";
            ++failures;
            continue;
        }
        QTextStream(stdout) << "wrote " << plan.file << "\n";
    }
    return failures == 0 ? 0 : 1;
}
