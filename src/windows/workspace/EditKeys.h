#pragma once
// The undo and redo keys in the page's fields: an edit box would take them
// for its own small undo; they go to the window's Edit menu instead, so that
// the page has one history. (The HTML text keeps its own undo: hand edits
// are not part of the page's history.)

#include <QObject>

namespace wobbin {

class TEditKeys : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace wobbin
