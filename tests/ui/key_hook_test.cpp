#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

#include "link/interrupt_flags.h"
#include "ui/key_hook_filter.h"
#include "ui_bench.h"

namespace quillon::uitest {
namespace {

// A control that records the keys that reach it.
class KeyRecorder : public QWidget {
public:
    std::vector<int> keys;

protected:
    void keyPressEvent(QKeyEvent* e) override {
        keys.push_back(e->key());
        e->accept();
    }
};

struct KeyCase {
    Qt::Key key;
    bool enter, stop, reset;
};

TEST(KeyHook, SetsTheFlagOfItsKeyAndStillDeliversTheKey) {
    App();
    const KeyCase cases[] = {
        {Qt::Key_F4, false, false, true},     {Qt::Key_Return, true, false, false}, {Qt::Key_Enter, true, false, false},
        {Qt::Key_Escape, false, true, false}, {Qt::Key_A, false, false, false},     {Qt::Key_F5, false, false, false},
    };
    for (const auto& c : cases) {
        InterruptFlags flags;
        ui::KeyHookFilter hook(flags);
        qApp->installEventFilter(&hook);
        KeyRecorder target;
        QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier);
        QApplication::sendEvent(&target, &press);
        // A release is not a key-down and sets nothing.
        InterruptFlags before = flags;
        QKeyEvent release(QEvent::KeyRelease, c.key, Qt::NoModifier);
        QApplication::sendEvent(&target, &release);
        qApp->removeEventFilter(&hook);

        EXPECT_EQ(flags.enterPressed, c.enter) << c.key;
        EXPECT_EQ(flags.stopRequested, c.stop) << c.key;
        EXPECT_EQ(flags.resetRequested, c.reset) << c.key;
        EXPECT_EQ(before.enterPressed, flags.enterPressed);
        ASSERT_EQ(target.keys.size(), 1u) << c.key;
        EXPECT_EQ(target.keys[0], c.key);
    }
}

TEST(KeyHook, EnterStillConfirmsALineEdit) {
    App();
    InterruptFlags flags;
    ui::KeyHookFilter hook(flags);
    qApp->installEventFilter(&hook);
    QLineEdit edit;
    bool returned = false;
    QObject::connect(&edit, &QLineEdit::returnPressed, [&] { returned = true; });
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&edit, &press);
    qApp->removeEventFilter(&hook);
    EXPECT_TRUE(flags.enterPressed);
    EXPECT_TRUE(returned);
}

}  // namespace
}  // namespace quillon::uitest
