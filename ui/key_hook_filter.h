#pragma once

#include <QObject>

namespace quillon {
struct InterruptFlags;
}

namespace quillon::ui {

// The program-wide key hook: every key press of the program, whichever window
// has the focus, sets the interrupt flag of F4, Enter or Esc. The key is never
// consumed, so the focused control still gets it.
class KeyHookFilter : public QObject {
    Q_OBJECT
public:
    explicit KeyHookFilter(InterruptFlags& flags, QObject* parent = nullptr);

    // The classic virtual-key number of a Qt key, 0 for keys the hook ignores.
    static int VirtualKey(int qtKey);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    InterruptFlags& flags_;
};

}  // namespace quillon::ui
