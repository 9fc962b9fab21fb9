#pragma once

#include <QString>

namespace quillon::ui {

// Where the file dialogs start until the user has picked a folder: the
// program's own folder when it runs from the user's own files (a build, an
// unpacked copy) and may write there, else the home folder. An installed
// program's folder is no place for the user's files, even for a user who may
// write to it (root may write to /usr/bin).
QString FirstDialogFolder(const QString& programFolder, const QString& homeFolder);

}  // namespace quillon::ui
