#pragma once
// Drives the main window as a user does: its controls are found by their
// names, clicked and typed into with real events. What the window decided is
// read from its core classes (TfrmMain::Document(), ::Workspace()).

#include <QAction>
#include <QListWidget>
#include <QString>
#include <QWidget>
#include <memory>

class QTemporaryDir;

namespace wobbin {
class TfrmMain;
}

namespace wobbin::testing {

// The control (or action, menu, timer) of that name below root; ends the run
// with a message naming it when there is none.
QObject *FindNamed(const QObject *root, const QString &name, const char *type);
template <class T = QWidget>
T *Named(const QObject *root, const char *name)
{
    return static_cast<T *>(FindNamed(root, QLatin1String(name), T::staticMetaObject.className()));
}

// A copy of the shipped data for the window to work in (dir/app).
QString CopyAppData(const QTemporaryDir &dir);
// What each window test starts from: no dialog presets left, a new temporary
// folder (dir) holding a copy of the shipped data (app), and no "General"
// settings of an earlier test.
void FreshStart(std::unique_ptr<QTemporaryDir> &dir, QString &app);
// The main window on that data, shown; no companion detection unless asked.
std::unique_ptr<TfrmMain> MakeMainWindow(const QString &appDir, const QString &commandLineFile = QString(),
                                         bool detectCompanion = false);

// A click on the toolbar at X (the tab under it).
void ClickToolbar(const QWidget *window, int x, Qt::MouseButton button = Qt::LeftButton);
// Triggers a menu command by its name.
void Trigger(const QWidget *window, const char *actionName);
// A click on the row of a list (a double click with twice set).
void ClickRow(QListWidget *list, int row, bool twice = false);
// The row of the page list showing that caption, -1 when none.
int RowOf(const QListWidget *list, const QString &caption);
QStringList Captions(const QListWidget *list);

} // namespace wobbin::testing
