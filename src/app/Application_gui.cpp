#include "app/Application_gui.h"

#include <QApplication>
#include <QLabel>

namespace wobbin {

int RunApplication(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Wobbin Express"));
    QLabel placeholder(QStringLiteral("Wobbin Express"));
    placeholder.show();
    return app.exec();
}

} // namespace wobbin
