#pragma once
// The desktop's icons of the program: the application icon (the mascot Windy
// Pip on the blue web card of the program's logo) and the icons of page files
// and template files, for the hicolor icon theme: PNG files of every usual
// size and one scalable SVG each.
//
// Every icon is designed in a 64 x 64 box; `pixels` is the size it is drawn
// at, so that the small sizes can drop detail that would only blur.

#include <QPainter>
#include <QString>

#include <functional>
#include <vector>

namespace skin {

void AppIcon(QPainter &p, double pixels);
void PageFileIcon(QPainter &p, double pixels);
void TemplateFileIcon(QPainter &p, double pixels);

struct DesktopIcon
{
    QString name;     // icon name in the theme
    QString context;  // "apps" or "mimetypes"
    std::function<void(QPainter &, double)> draw;
};

// The program's desktop icons under their theme names.
std::vector<DesktopIcon> DesktopIcons();

// The pixel sizes written as PNG files.
std::vector<int> DesktopIconSizes();

// Writes <themeDir>/<N>x<N>/<context>/<name>.png for every size and
// <themeDir>/scalable/<context>/<name>.svg. False (with the file in *error)
// when a file could not be written.
bool WriteDesktopIcons(const QString &themeDir, QString *error);

} // namespace skin
