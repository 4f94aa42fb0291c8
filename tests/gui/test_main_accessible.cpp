// The painted controls as a screen reader finds them through Qt's
// accessibility interface: roles, names, descriptions and states of the
// palette images, tiles, toolbar, shredder and the Send panel's pictures, and
// the events that announce a block added, moved or shredded with its new
// place (caught with an update handler, as an assistive bridge gets them).
#include "support_gui/MainWindowDriver.h"
#include "support_gui/mouse_drag.h"

#include "shell/Dialogs.h"
#include "settings/Settings.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "document/Document.h"
#include "document/Workspace.h"
#include "page/PageDocument.h"
#include "workspace/BuildWorkspace.h"
#include "workspace/WebBlockTile.h"
#include "workspace/frmMain.h"

#include <QAccessible>
#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qplatformaccessibility.h>
#include <QtGui/qpa/qplatformintegration.h>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

namespace {
struct Caught {
    QAccessible::Event type;
    QObject *object;
    QString name;
    QString description;
};
QList<Caught> g_events;

void CatchEvent(QAccessibleEvent *event)
{
    QAccessibleInterface *iface = event->accessibleInterface();
    g_events.append({event->type(), event->object(), iface ? iface->text(QAccessible::Name) : QString(),
                     iface ? iface->text(QAccessible::Description) : QString()});
}

QAccessibleInterface *Iface(QObject *o) { return QAccessible::queryAccessibleInterface(o); }

QStringList Alerts()
{
    QStringList out;
    for (const Caught &c : g_events)
        if (c.type == QAccessible::Alert)
            out << c.description;
    return out;
}
} // namespace

class TestMainAccessible : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_app;

    static void press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), mods);
    }

private Q_SLOTS:
    void initTestCase()
    {
        TDialogs::SetNonInteractive(true);
        TBuildWorkspace::SetPointerWarp(false);
        QAccessible::installUpdateHandler(CatchEvent);
        // Switched on as when a screen reader asks (events are sent only then).
        QPlatformAccessibility *platform = QGuiApplicationPrivate::platformIntegration()->accessibility();
        QVERIFY(platform);
        platform->setActive(true);
        QVERIFY(QAccessible::isActive());
    }

    void init()
    {
        FreshStart(m_dir, m_app);
        g_events.clear();
    }

    void paintedControlsHaveRolesNamesAndDescriptions()
    {
        auto w = MakeMainWindow(m_app);
        w->Workspace().OpenPage(m_app + QStringLiteral("/template/Family News.qzt"), false);
        QCOMPARE(w->Workspace().State(), int(wsBuild));
        TBuildWorkspace &build = w->BuildWorkspace();
        TPageDocument &doc = w->Document().Page();

        QAccessibleInterface *heading = Iface(build.PaletteImage(bkHeading));
        QCOMPARE(heading->role(), QAccessible::Button);
        QCOMPARE(heading->text(QAccessible::Name), QStringLiteral("Add a Heading block"));
        QVERIFY(heading->text(QAccessible::Description).contains(QStringLiteral("Enter")));
        QCOMPARE(Iface(build.PaletteImage(bkImage))->text(QAccessible::Name), QStringLiteral("Add an Image block"));
        QVERIFY(heading->state().focusable);

        // The column is a list of its tiles, each naming its place, kind and text.
        QAccessibleInterface *column = Iface(build.ToolBox());
        QCOMPARE(column->role(), QAccessible::List);
        QCOMPARE(column->text(QAccessible::Name), QStringLiteral("Page layout"));
        const int n = doc.Blocks.Count();
        QVERIFY(n > 2);
        doc.Blocks.At(0).Heading->Text = QStringLiteral("Biscuit's Page");
        build.SyncTiles();
        QAccessibleInterface *tile = Iface(build.Tiles().at(0));
        QCOMPARE(tile->role(), QAccessible::ListItem);
        QCOMPARE(tile->text(QAccessible::Name), QStringLiteral("Block 1 of %1, Heading: Biscuit's Page").arg(n));
        // Typing into the panel renames the tile.
        build.ShowBlock(0);
        auto *txtHeading = Named<QLineEdit>(w.get(), "txtHeading");
        QTest::keyClicks(txtHeading, QStringLiteral("!"));
        QCOMPARE(tile->text(QAccessible::Name), QStringLiteral("Block 1 of %1, Heading: Biscuit's Page!").arg(n));
        bool renamed = false;
        for (const Caught &c : g_events)
            renamed |= c.type == QAccessible::NameChanged && c.object == build.Tiles().at(0)
                       && c.name.endsWith(QStringLiteral("Page!"));
        QVERIFY(renamed);
        // A tile with the focus says so.
        build.Tiles().at(1)->setFocus(Qt::TabFocusReason);
        QVERIFY(Iface(build.Tiles().at(1))->state().focused);
        QVERIFY(!tile->state().focused);

        QCOMPARE(Iface(Named(w.get(), "imgShredder"))->text(QAccessible::Name), QStringLiteral("Shredder"));
        QCOMPARE(Iface(Named(w.get(), "imgExit"))->role(), QAccessible::Button);
        QCOMPARE(Iface(Named(w.get(), "imgExit"))->text(QAccessible::Name), QStringLiteral("Exit Wobbin Express"));
        QCOMPARE(Iface(Named(w.get(), "imgView"))->text(QAccessible::Name), QStringLiteral("Enlarge the preview (F11)"));
        QCOMPARE(Iface(Named(w.get(), "imgUploadLeft"))->text(QAccessible::Name), QStringLiteral("Rotate the web left"));
        QCOMPARE(Iface(Named(w.get(), "imgUploadRight"))->text(QAccessible::Name), QStringLiteral("Rotate the web right"));
        QCOMPARE(Iface(Named(w.get(), "imgUpload"))->role(), QAccessible::Button);
        QCOMPARE(Iface(Named(w.get(), "imgWebBack"))->text(QAccessible::Name), QStringLiteral("Magnifier"));

        // The toolbar is a list of four tabs: the step shown is selected, the
        // one the keys are on focused, and pressing a tab goes there.
        QWidget *toolbar = Named(w.get(), "picToolbar");
        QAccessibleInterface *steps = Iface(toolbar);
        QCOMPARE(steps->role(), QAccessible::PageTabList);
        QCOMPARE(steps->childCount(), 4);
        QStringList tabs;
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(steps->child(i)->role(), QAccessible::PageTab);
            tabs << steps->child(i)->text(QAccessible::Name);
        }
        QCOMPARE(tabs, (QStringList{"Choose your page", "Build your page", "View your page", "Send to the net"}));
        QVERIFY(steps->child(1)->state().selected && !steps->child(0)->state().selected);
        toolbar->setFocus(Qt::TabFocusReason);
        QVERIFY(steps->child(1)->state().focused);
        press(Qt::Key_Right);
        QCOMPARE(steps->focusChild(), steps->child(2));
        QVERIFY(steps->child(1)->state().selected);
        steps->child(2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(w->Workspace().State(), int(wsView));
        QVERIFY(steps->child(2)->state().selected && !steps->child(1)->state().selected);

        // The preview toggle is off (and no Tab stop) but in View.
        QWidget *toggle = Named(w.get(), "imgView");
        QVERIFY(!Iface(toggle)->state().disabled);
        QTest::keyClick(w.get(), Qt::Key_2, Qt::ControlModifier);
        QVERIFY(Iface(toggle)->state().disabled);
        QVERIFY(!Iface(toggle)->state().focusable);
    }

    // Fields, lists and combo boxes are named after their labels; the buttons
    // of the property panels say what they do.
    void controlsAreNamedAfterTheirLabels()
    {
        auto w = MakeMainWindow(m_app);
        w->Workspace().OpenPage(m_app + QStringLiteral("/template/Family News.qzt"), false);
        // Enter on the palette's heading image adds a heading.
        QWidget *image = Named(w.get(), "imgBrHeading");
        image->setFocus(Qt::TabFocusReason);
        QTest::keyClick(image, Qt::Key_Return);
        QCOMPARE(Iface(Named(w.get(), "txtHeading"))->text(QAccessible::Name), QStringLiteral("Heading text"));
        QAccessibleInterface *size = Iface(Named(w.get(), "cmbHeadSize"));
        QCOMPARE(size->role(), QAccessible::ComboBox);
        QCOMPARE(size->text(QAccessible::Name), QStringLiteral("Size"));
        QCOMPARE(size->text(QAccessible::Value), LoadStr(Msg::HeadingSizeLargest));
        QStringList buttons;
        for (const char *name : {"spdHeadLeft", "spdHeadCenter", "spdHeadRight", "spdHeadReturn"})
            buttons << Iface(Named(w.get(), name))->text(QAccessible::Name);
        QCOMPARE(buttons, (QStringList{"Align left", "Center", "Align right", "New line after the block"}));
        QCOMPARE(Iface(Named(w.get(), "lstFiles"))->text(QAccessible::Name), QStringLiteral("Files to upload"));
    }

    void addingMovingAndShreddingAreAnnounced()
    {
        auto w = MakeMainWindow(m_app);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->Workspace().OpenPage(m_app + QStringLiteral("/template/Business Card.qzt"), false);
        TBuildWorkspace &build = w->BuildWorkspace();
        TPageDocument &doc = w->Document().Page();
        const int n = doc.Blocks.Count();
        g_events.clear();

        // Added after the first block by the keyboard: "block 2".
        build.ShowBlock(0);
        build.PaletteImage(bkHeading)->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Return);
        QCOMPARE(Alerts(), QStringList{QStringLiteral("Heading added: block 2 of %1").arg(n + 1)});
        // Every tile below it has a new place, and says so.
        QAccessibleInterface *third = Iface(build.Tiles().at(2));
        QVERIFY(third->text(QAccessible::Name).startsWith(QStringLiteral("Block 3 of %1, ").arg(n + 1)));

        // Moved down by Alt+Down: "block 3".
        g_events.clear();
        build.FocusCurrentTile();
        press(Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(Alerts(), QStringList{QStringLiteral("Heading moved: block 3 of %1").arg(n + 1)});
        QVERIFY(Iface(build.Tiles().at(2))->text(QAccessible::Name).startsWith(QStringLiteral("Block 3 of %1, Heading").arg(n + 1)));
        bool renamed = false;
        for (const Caught &c : g_events)
            renamed |= c.type == QAccessible::NameChanged && c.name.startsWith(QStringLiteral("Block 3 of"))
                       && c.name.contains(QStringLiteral("Heading"));
        QVERIFY(renamed);

        // Shredded with the mouse: announced as well.
        g_events.clear();
        DragAndDrop(build.Tiles().at(2), QPoint(20, 8), QPoint(40, 249));
        QCOMPARE(doc.Blocks.Count(), n);
        QCOMPARE(Alerts(), QStringList{QStringLiteral("Heading shredded: %1 blocks left").arg(n)});
        QCOMPARE(g_events.last().object, build.ToolBox());
    }
};

QTEST_MAIN(TestMainAccessible)
#include "test_main_accessible.moc"
