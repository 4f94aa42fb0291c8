#include "workspace/Accessible.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace wobbin {

namespace {
const char kRoleProperty[] = "accessibleRole";

QAccessibleInterface *RoleFactory(const QString &, QObject *object)
{
    auto *w = qobject_cast<QWidget *>(object);
    if (!w)
        return nullptr;
    const QVariant role = w->property(kRoleProperty);
    if (!role.isValid())
        return nullptr;
    return new QAccessibleWidget(w, QAccessible::Role(role.toInt()));
}
} // namespace

void SetAccessibleRole(QWidget *control, QAccessible::Role role)
{
    static const bool installed = [] {
        QAccessible::installFactory(RoleFactory);
        return true;
    }();
    Q_UNUSED(installed);
    control->setProperty(kRoleProperty, int(role));
}

void MakeAccessible(QWidget *control, QAccessible::Role role, const QString &name, const QString &description)
{
    SetAccessibleRole(control, role);
    control->setAccessibleName(name);
    control->setAccessibleDescription(description);
}

void SetAccessibleNameNotified(QWidget *control, const QString &name)
{
    if (control->accessibleName() == name)
        return;
    // Qt tells the screen reader of the change itself.
    control->setAccessibleName(name);
}

void Announce(QWidget *control, const QString &text)
{
    control->setAccessibleDescription(text);
    QAccessibleEvent event(control, QAccessible::Alert);
    QAccessible::updateAccessibility(&event);
}

} // namespace wobbin
