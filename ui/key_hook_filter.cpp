#include "ui/key_hook_filter.h"

#include <QKeyEvent>

#include "link/key_hook.h"

namespace quillon::ui {

KeyHookFilter::KeyHookFilter(InterruptFlags& flags, QObject* parent) : QObject(parent), flags_(flags) {
    setObjectName("KeyHook");
}

int KeyHookFilter::VirtualKey(int qtKey) {
    switch (qtKey) {
        case Qt::Key_F4: return kKeyF4;
        case Qt::Key_Return:
        case Qt::Key_Enter: return kKeyEnter;
        case Qt::Key_Escape: return kKeyEsc;
        default: return 0;
    }
}

bool KeyHookFilter::eventFilter(QObject* watched, QEvent* event) {
    // A key press passes through the filter once per receiver on its way
    // (window, then widget, then parents); the flags are idempotent.
    if (event->type() == QEvent::KeyPress) {
        const int vk = VirtualKey(static_cast<QKeyEvent*>(event)->key());
        if (vk) KeyHook(flags_, vk);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quillon::ui
