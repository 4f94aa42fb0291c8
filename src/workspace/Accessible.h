#pragma once
// What a screen reader learns of the painted controls: pictures (palette
// images, tiles, the toolbar, the shredder, the Send panel's buttons) are
// labels to Qt, so each one is given a role, a name and a description of its
// own, and the program's announcements (a block added, moved or shredded) go
// out as accessibility events.

#include <QAccessible>
#include <QString>

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

} // namespace wobbin
