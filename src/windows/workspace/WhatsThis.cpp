#include "workspace/WhatsThis.h"

#include "workspace/Controls.h"
#include "shell/Help.h"

#include <QAbstractScrollArea>
#include <QMenu>

namespace wobbin {

TWhatsThis::TWhatsThis(QWidget *window) : QObject(window), m_window(window)
{
    m_menu = new QMenu(window);
    m_menu->setObjectName(QStringLiteral("popWhatsThis"));
    m_item = m_menu->addAction(QStringLiteral("What's This?"));
    m_item->setObjectName(QStringLiteral("popMenWhatsThis"));
    connect(m_item, &QAction::triggered, this, &TWhatsThis::itemClicked);
}

void TWhatsThis::Watch(QWidget *control)
{
    if (!control)
        return;
    control->installEventFilter(this);
    // A list's viewport answers for its list.
    if (auto *area = qobject_cast<QAbstractScrollArea *>(control))
        area->viewport()->installEventFilter(this);
}

void TWhatsThis::PopUp(int context, QPoint globalPos)
{
    m_context = context;
    m_menu->popup(globalPos);
}

bool TWhatsThis::eventFilter(QObject *watched, QEvent *event)
{
    QPoint at;
    if (!IsRightRelease(event, &at))
        return false;
    auto *w = qobject_cast<QWidget *>(watched);
    if (w && !w->property("Tag").isValid() && w->parentWidget() && w->parentWidget()->property("Tag").isValid())
        w = w->parentWidget();
    if (!w)
        return false;
    PopUp(TagOf(w), at);
    return true;
}

void TWhatsThis::itemClicked()
{
    if (m_context == m_fullTopic)
        THelp::ShowTopic(m_context, m_window);
    else
        THelp::ShowPopup(m_context, m_menu->pos(), m_window);
}

} // namespace wobbin
