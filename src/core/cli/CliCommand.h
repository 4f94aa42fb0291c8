#pragma once
// One command of the command-line face, as the dispatcher sees it. Each command
// lives in a file of its own in this folder and has one row in the table of
// CommandLine.cpp.

#include "page/PageHtml.h"

#include <QMap>
#include <QString>
#include <QStringList>

namespace wobbin {

class TPageDocument;
struct PageReadResult;

struct CliArgs {
    QString operand;                // the value after the command's own option (PAGE)
    QStringList operands;           // all its values, for a command that takes several
    QMap<QString, QString> values;  // other options with a value: "--out" -> FILE
    QString programDir;             // folder of the running program

    QString value(const char *option) const { return values.value(QString::fromLatin1(option)); }
    bool has(const char *option) const { return values.contains(QString::fromLatin1(option)); }
};

// Writes "wobbin-express: TEXT" and a line break to stderr.
void CliMessage(const QString &text);
// Writes text to stdout as it is (local 8-bit encoding); false when it failed.
bool CliPrint(const QByteArray &bytes);

// The program's data folder as the window would choose it, found without
// creating or seeding anything: a command only reads it.
QString CliDataDir(const CliArgs &args);

// The page's whole HTML exactly as the window saves it: blocks, logo footer,
// and the page's stored style from appDir's Styles.data (in its BODY tag, or
// in its style sheet for a page that fits phones), written the given way.
// When that style is lost in a damaged library, *problem (when given) says so.
QString PageHtmlAsSaved(TPageDocument &doc, const PageReadResult &read, const QString &appDir,
                        const PageWriting &how = {}, QString *problem = nullptr);

// How the command writes the page: --modern fits phones, --classic the
// classic page; without either, the window's choice (followWindow) or the
// classic page.
PageWriting CliPageWriting(const CliArgs &args, bool followWindow);

// The commands (one file each).
int RunExportCommand(const CliArgs &args);
int RunListServersCommand(const CliArgs &args);
int RunPublishCommand(const CliArgs &args);
int RunVerifyCommand(const CliArgs &args);

} // namespace wobbin
