#pragma once
// What a screen reader learns of the window: pictures (palette images, tiles,
// the toolbar, the shredder, the Send panel's buttons) are labels to Qt, so
// each one is given a role, a name and a description of its own; fields, lists
// and combo boxes are named after their visible labels; the toolbar is a list
// of four tabs; and the program's announcements (a block added, moved or
// shredded) go out as accessibility events.

#include <QAccessible>
#include <QString>
#include <QStringList>
#include <functional>

class QLabel;
class QWidget;

namespace wobbin {

// Reports the role instead of the widget's own; installs the factory that
// does so on first use.
void SetAccessibleRole(QWidget *control, QAccessible::Role role);
// Role, name and description in one.
void MakeAccessible(QWidget *control, QAccessible::Role role, const QString &name,
                    const QString &description = QString());
// A changed name is told to the screen reader.
void SetAccessibleNameNotified(QWidget *control, const QString &name);
// Announces a text on the control: its description becomes the text and an
// alert goes out for it.
void Announce(QWidget *control, const QString &text);

// Names a control after its visible label: the label's text without its
// accelerator mark and closing colon. The label becomes its buddy, which a
// screen reader also learns as the "labelled by" relation. A combo box keeps
// that name (Qt names one by the item shown) and tells the item as its value.
void NameFromLabel(QWidget *control, QLabel *label);
// The text a label gives as a name.
QString LabelName(const QString &labelText);

// A picture that acts on a click but is switched off for now (drawn grey) is
// reported unavailable, and leaves the Tab order meanwhile.
void SetPictureAvailable(QWidget *control, bool available);

// A painted strip of tabs (the toolbar) as a tab list: one tab per name, the
// one shown selected, the one the keys are on focused, and a tab's press
// action choosing it.
struct TabListModel {
    QString Name;
    QStringList Tabs;
    std::function<int()> Selected;   // the tab shown, -1 for none
    std::function<int()> Focused;    // the tab the keys are on
    std::function<QRect(int)> TabRect; // a tab's place in the control
    std::function<void(int)> Press;
};
void MakeTabList(QWidget *control, const TabListModel &model);
// Tells the screen reader that the tab shown or the tab the keys are on changed.
void TabListChanged(QWidget *control);

} // namespace wobbin
