#include "shell/Accessible.h"

#include <QAccessibleWidget>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

namespace wobbin {

namespace {
const char kRoleProperty[] = "accessibleRole";
const char kUnavailableProperty[] = "pictureUnavailable";

// A picture with the role it plays; reported unavailable while it is switched off.
class TPictureAccessible : public QAccessibleWidget
{
public:
    TPictureAccessible(QWidget *w, QAccessible::Role role) : QAccessibleWidget(w, role) {}
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (widget()->property(kUnavailableProperty).toBool()) {
            s.disabled = true;
            s.focusable = false;
        }
        return s;
    }
};

QAccessibleInterface *RoleFactory(const QString &, QObject *object)
{
    auto *w = qobject_cast<QWidget *>(object);
    if (!w)
        return nullptr;
    const QVariant role = w->property(kRoleProperty);
    if (!role.isValid())
        return nullptr;
    return new TPictureAccessible(w, QAccessible::Role(role.toInt()));
}

void InstallFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(RoleFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

// A combo box named by its label; the item shown is its value (and its
// description, which screen readers speak after the name and role).
class TComboAccessible : public QAccessibleWidget
{
public:
    explicit TComboAccessible(QComboBox *combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Value:
            return combo()->currentText();
        case QAccessible::Description: {
            const QString own = widget()->accessibleDescription();
            return own.isEmpty() ? combo()->currentText() : own;
        }
        default:
            return QAccessibleWidget::text(t);
        }
    }
    int childCount() const override { return combo()->view() ? 1 : 0; }
    QAccessibleInterface *child(int index) const override
    {
        return index == 0 && combo()->view() ? QAccessible::queryAccessibleInterface(combo()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && combo()->view() && child->object() == combo()->view() ? 0 : -1;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        const bool open = combo()->view() && combo()->view()->isVisible();
        s.expandable = true;
        s.expanded = open;
        s.collapsed = !open;
        return s;
    }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString &actionName) override
    {
        if (actionName == showMenuAction() || actionName == pressAction()) {
            if (combo()->view() && combo()->view()->isVisible())
                combo()->hidePopup();
            else
                combo()->showPopup();
        }
    }

private:
    QComboBox *combo() const { return static_cast<QComboBox *>(widget()); }
};

class TTabListAccessible;

// One tab of a painted tab strip.
class TTabAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    TTabAccessible(TTabListAccessible *list, int index) : m_list(list), m_index(index) {}

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    TTabListAccessible *m_list;
    int m_index;
};

// The strip itself: a tab list whose children are its tabs.
class TTabListAccessible : public QAccessibleWidget
{
public:
    TTabListAccessible(QWidget *w, TabListModel model)
        : QAccessibleWidget(w, QAccessible::PageTabList), m_model(std::move(model)),
          m_children(std::size_t(m_model.Tabs.size()), 0)
    {
    }
    ~TTabListAccessible() override
    {
        for (QAccessible::Id id : m_children)
            if (id)
                QAccessible::deleteAccessibleInterface(id);
    }

    const TabListModel &Model() const { return m_model; }
    QWidget *Control() const { return widget(); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return m_model.Name;
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return int(m_children.size()); }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        QAccessible::Id &id = m_children[std::size_t(index)];
        if (!id)
            id = QAccessible::registerAccessibleInterface(
                new TTabAccessible(const_cast<TTabListAccessible *>(this), index));
        return QAccessible::accessibleInterface(id);
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (int i = 0; i < childCount(); ++i)
            if (m_children[std::size_t(i)] && QAccessible::accessibleInterface(m_children[std::size_t(i)]) == child)
                return i;
        return -1;
    }
    QAccessibleInterface *focusChild() const override
    {
        return widget()->hasFocus() && m_model.Focused ? child(m_model.Focused()) : nullptr;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        for (int i = 0; i < childCount(); ++i)
            if (QAccessibleInterface *c = child(i); c && c->rect().contains(x, y))
                return c;
        return nullptr;
    }
    QAccessible::State state() const override
    {
        // The tabs take the keys; the strip is only their container.
        QAccessible::State s = QAccessibleWidget::state();
        s.focused = false;
        return s;
    }

    int lastSelected = -1;

private:
    TabListModel m_model;
    mutable std::vector<QAccessible::Id> m_children;
};

bool TTabAccessible::isValid() const { return m_list->isValid(); }
QWindow *TTabAccessible::window() const { return m_list->window(); }
QAccessibleInterface *TTabAccessible::parent() const { return m_list; }

QString TTabAccessible::text(QAccessible::Text t) const
{
    return t == QAccessible::Name ? m_list->Model().Tabs.value(m_index) : QString();
}

QRect TTabAccessible::rect() const
{
    QWidget *w = m_list->Control();
    const QRect local = m_list->Model().TabRect ? m_list->Model().TabRect(m_index) : w->rect();
    return QRect(w->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::State TTabAccessible::state() const
{
    QAccessible::State s;
    QWidget *w = m_list->Control();
    const TabListModel &m = m_list->Model();
    s.focusable = true;
    s.selectable = true;
    s.selected = m.Selected && m.Selected() == m_index;
    s.focused = w->hasFocus() && m.Focused && m.Focused() == m_index;
    s.invisible = !w->isVisible();
    s.disabled = !w->isEnabled();
    return s;
}

void TTabAccessible::doAction(const QString &actionName)
{
    if (actionName == pressAction() && m_list->Model().Press)
        m_list->Model().Press(m_index);
}

} // namespace

void SetAccessibleRole(QWidget *control, QAccessible::Role role)
{
    InstallFactory();
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

QString LabelName(const QString &labelText)
{
    QString name = labelText;
    name.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    name.remove(QLatin1Char('&'));
    name.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    name = name.simplified();
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name.trimmed();
}

void NameFromLabel(QWidget *control, QLabel *label)
{
    if (!control || !label)
        return;
    if (label->buddy() != control)
        label->setBuddy(control);
    control->setAccessibleName(LabelName(label->text()));
    auto *combo = qobject_cast<QComboBox *>(control);
    if (!combo || combo->property("namedByLabel").toBool())
        return;
    combo->setProperty("namedByLabel", true);
    // In place before anyone asks for the combo box's interface.
    QAccessible::registerAccessibleInterface(new TComboAccessible(combo));
    QObject::connect(combo, &QComboBox::currentIndexChanged, combo, [combo] {
        QAccessibleEvent event(combo, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    });
}

void SetPictureAvailable(QWidget *control, bool available)
{
    const bool was = !control->property(kUnavailableProperty).toBool();
    control->setProperty(kUnavailableProperty, !available);
    control->setFocusPolicy(available ? Qt::TabFocus : Qt::NoFocus);
    if (!available && control->hasFocus())
        control->clearFocus();
    if (was != available) {
        QAccessible::State changed;
        changed.disabled = true;
        changed.focusable = true;
        QAccessibleStateChangeEvent event(control, changed);
        QAccessible::updateAccessibility(&event);
    }
}

void MakeTabList(QWidget *control, const TabListModel &model)
{
    QAccessible::registerAccessibleInterface(new TTabListAccessible(control, model));
}

void TabListChanged(QWidget *control)
{
    auto *list = dynamic_cast<TTabListAccessible *>(QAccessible::queryAccessibleInterface(control));
    if (!list || !QAccessible::isActive())
        return;
    const TabListModel &m = list->Model();
    const int selected = m.Selected ? m.Selected() : -1;
    if (selected != list->lastSelected) {
        for (int tab : {list->lastSelected, selected}) {
            if (tab < 0 || tab >= list->childCount())
                continue;
            QAccessible::State changed;
            changed.selected = true;
            QAccessibleStateChangeEvent event(list->child(tab), changed);
            QAccessible::updateAccessibility(&event);
        }
        list->lastSelected = selected;
    }
    if (control->hasFocus() && m.Focused) {
        QAccessibleEvent focus(control, QAccessible::Focus);
        focus.setChild(m.Focused());
        QAccessible::updateAccessibility(&focus);
    }
}

} // namespace wobbin
