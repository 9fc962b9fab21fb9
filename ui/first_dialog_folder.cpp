#include "ui/first_dialog_folder.h"

#include <QDir>
#include <QFileInfo>

namespace quillon::ui {

QString FirstDialogFolder(const QString& programFolder, const QString& homeFolder) {
    const QString program = QFileInfo(programFolder).canonicalFilePath();
    const QString home = QFileInfo(homeFolder).canonicalFilePath();
    if (program.isEmpty() || home.isEmpty()) return homeFolder;
    const QString inside = QDir(home).relativeFilePath(program);
    const bool ownFiles = inside != ".." && !inside.startsWith("../") && QDir::isRelativePath(inside);
    return ownFiles && QFileInfo(program).isWritable() ? programFolder : homeFolder;
}

}  // namespace quillon::ui
