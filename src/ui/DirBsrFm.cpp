#include "ui/DirBsrFm.h"

#include "views/Dialogs.h"

#include <QDir>

namespace zarn {

bool TDirectoryBrowser::Execute() {
    const std::optional<QString> chosen = Dialogs().Directory(Caption, Directory);
    if (!chosen)
        return false;
    Directory = QDir::toNativeSeparators(*chosen);
    return true;
}

} // namespace zarn
