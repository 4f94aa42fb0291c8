#pragma once
// Right-click "What's This?" help: a right click on a watched control pops up
// the menu popWhatsThis; its one item shows the control's help topic (the
// context the control carries as its Tag) as a bubble, or in the help window
// for the one control whose topic is a full page.

#include <QObject>
#include <QPoint>

class QAction;
class QMenu;
class QWidget;

namespace wobbin {

class TWhatsThis : public QObject
{
    Q_OBJECT
public:
    // The menu is made a child of window, so that it is found by its name.
    explicit TWhatsThis(QWidget *window);

    // A right click on the control (or on a list's viewport) offers its topic.
    void Watch(QWidget *control);
    // Offers the topic of that context at a screen position.
    void PopUp(int context, QPoint globalPos);
    // The topic of that context opens in the help window rather than a bubble.
    void SetFullTopicContext(int context) { m_fullTopic = context; }

    QAction *Item() const { return m_item; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void itemClicked();

    QWidget *m_window;
    QMenu *m_menu;
    QAction *m_item;
    int m_context = 1;
    int m_fullTopic = -1;
};

} // namespace wobbin
