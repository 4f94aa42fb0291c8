#pragma once
// The program's help: one HTML topic per help context in the folder "Help"
// beside the program ("Wobbin Express.html" is the contents, "topicNN.html"
// the topic with context NN). A pop-up topic is shown as a "What's This?"
// bubble at the mouse; a full topic and the contents in the help window.

#include <QPoint>
#include <QString>

class QWidget;

namespace wobbin {

class THelp
{
public:
    enum class Shown { None, Popup, Topic, Contents };

    static void SetHelpFolder(const QString &folder);

    // File of the topic with that context; empty when the topic is missing.
    static QString TopicFile(int context);
    // Title and body of a topic (without the page frame); empty when missing.
    static QString TopicTitle(int context);
    static QString TopicBody(int context);

    // A short topic as a bubble at globalPos; a missing topic shows a line
    // saying that no help is available for the item.
    static void ShowPopup(int context, QPoint globalPos, QWidget *parent);
    // The full topic in the help window.
    static void ShowTopic(int context, QWidget *parent);
    // The contents page in the help window.
    static void ShowContents(QWidget *parent);

    // What was shown last, for tests.
    static Shown LastShown();
    static int LastContext();
    static QString LastText();
    static QWidget *HelpWindow();
};

} // namespace wobbin
