#include "pictures/ResourceImages.h"

namespace wobbin {

QImage LoadBitmapImage(const QString &name)
{
    const QString path = BitmapResourcePath(name);
    if (path.isEmpty())
        return QImage();
    return QImage(path);
}

} // namespace wobbin
