#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "ui/first_dialog_folder.h"

namespace quillon::uitest {
namespace {

// The file dialogs start beside a program run from the user's own files, in
// the home folder for an installed one: also for root, who may write to the
// installed program's folder.
TEST(FirstDialogFolder, BesideTheProgramOnlyInsideTheUsersOwnFiles) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QDir top(root.path());
    for (const char* folder : {"home/user/build", "home/user2/build", "usr/bin"}) ASSERT_TRUE(top.mkpath(folder));
    const QString home = top.filePath("home/user");
    struct Case {
        const char* program;
        bool beside;
    };
    for (const Case c : {Case{"home/user/build", true}, Case{"home/user", true}, Case{"usr/bin", false},
                         Case{"home/user2/build", false}, Case{"home/user/gone", false}}) {
        const QString program = top.filePath(c.program);
        EXPECT_EQ(ui::FirstDialogFolder(program, home), c.beside ? program : home) << c.program;
    }
}

}  // namespace
}  // namespace quillon::uitest
