#pragma once
// What happens after the user has chosen a picture for an Image block: the file
// is copied into the "graphics" folder of the HTML folder under a web-safe name
// (no spaces, lower case), turned into a JPEG unless it is a JPEG or GIF
// already, and measured. The window then puts the results into its fields.

#include <QString>

namespace wobbin {

struct ImagePickResult
{
    bool ok = false;
    QString error;        // why it failed; empty on success
    QString relativePath; // as stored in the page: "graphics\bigphoto.jpg"
    QString height;       // pixels, decimal text
    QString width;
    QString targetPath;   // the file on disk that relativePath names
};

// chosenPath: the file picked in the file dialog (native path).
// htmlFolder: the program's HTML folder (native path); its "graphics"
// subfolder is created when missing.
// On failure nothing is reported for the fields (the caller keeps the block as
// it was) and no file in "graphics" has been replaced.
ImagePickResult PickImageFile(const QString &chosenPath, const QString &htmlFolder);

// The name a chosen file gets in "graphics": without folder, every space
// removed, in lower case.
QString GraphicsFileName(const QString &chosenPath);

// The path of target relative to the folder of base, for backslash paths:
// when both have the same first two characters (compared without regard to
// case, as file names are), their common leading part up to and including the
// last backslash they share is dropped, and the rest of the target gets one
// "..\" for every backslash left in the rest of base. Otherwise (another drive)
// the target comes back unchanged.
QString RelativePathRule(const QString &target, const QString &base);

} // namespace wobbin
