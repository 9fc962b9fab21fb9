#pragma once

// The check of every window of the tool for text it does not show whole: shared
// by the walk through all windows and by the window check on a real COM port.

#include <QAbstractButton>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSpinBox>
#include <string>
#include <vector>

#include "ui/qt_text.h"

namespace quillon::uitest {

// The smallest screen the tool is used on, less a task bar.
inline constexpr int kScreenWidth = 1366;
inline constexpr int kScreenHeight = 768 - 40;

// Part of `root` itself, not of a window it owns.
inline bool Inside(const QWidget* w, const QWidget& root) {
    for (const QWidget* p = w; p; p = p->parentWidget()) {
        if (p == &root) return true;
        if (p->isWindow()) return false;
    }
    return false;
}

inline std::string Describe(const QWidget* w) {
    std::string name = ui::FromQ(w->objectName());
    if (name.empty()) name = w->metaObject()->className();
    if (auto* label = qobject_cast<const QLabel*>(w)) name += " \"" + ui::FromQ(label->text()) + "\"";
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) name += " \"" + ui::FromQ(button->text()) + "\"";
    return name;
}

// What a window frame needs to show `window`'s title whole. Judged by the
// frames of Windows, the widest the tool meets: the title in the system's title
// font (taken bold, as most Linux desktops draw it, which only widens it), after
// a 16 px icon with 8 px on either side and 8 px before the caption buttons,
// each 46 px wide at any scaling. Minimise and maximise come as a pair.
inline int TitleNeeds(const QWidget& window) {
    const QString title = window.windowTitle();
    if (title.isEmpty() || !(window.windowFlags() & Qt::WindowTitleHint)) return 0;
    const Qt::WindowFlags flags = window.windowFlags();
    const int buttons = ((flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)) ? 2 : 0) +
                        ((flags & Qt::WindowCloseButtonHint) ? 1 : 0) +
                        ((flags & Qt::WindowContextHelpButtonHint) ? 1 : 0);
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(title) + 40 + 46 * buttons;
}

// A title the frame of `window` elides, or nothing.
inline std::vector<std::string> TitleCut(const QWidget& window) {
    const int needs = TitleNeeds(window);
    if (window.width() >= needs) return {};
    return {"title \"" + ui::FromQ(window.windowTitle()) + "\" needs " + std::to_string(needs) +
            " px, the window has " + std::to_string(window.width())};
}

// Each piece of text in `window` that its widget cannot show whole, its title among them.
inline std::vector<std::string> ClippedTexts(QWidget& window) {
    std::vector<std::string> faults = TitleCut(window);
    const auto fault = [&](const QWidget* w, const std::string& what) { faults.push_back(Describe(w) + ": " + what); };
    const qreal scale = window.devicePixelRatioF();
    const QSize frame = window.frameGeometry().size();
    if (frame.width() * scale > kScreenWidth || frame.height() * scale > kScreenHeight)
        fault(&window, "window " + std::to_string(frame.width()) + "x" + std::to_string(frame.height()) +
                           " larger than the screen");

    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!Inside(w, window) || !w->isVisibleTo(&window)) continue;
        const QSize size = w->size();
        const bool judged = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
                            qobject_cast<QGroupBox*>(w) || qobject_cast<QSpinBox*>(w);
        if (judged && !window.rect().contains(QRect(w->mapTo(&window, QPoint(0, 0)), size)))
            fault(w, "reaches beyond the window");

        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->text().isEmpty() || label->pixmap().isNull() == false) continue;
            if (label->wordWrap()) {
                if (size.height() < label->heightForWidth(size.width())) fault(w, "wrapped text cut at the bottom");
            } else if (size.width() < label->sizeHint().width() || size.height() < label->sizeHint().height()) {
                fault(w, "needs " + std::to_string(label->sizeHint().width()) + " px, has " +
                             std::to_string(size.width()));
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            if (button->text().isEmpty()) continue;
            if (size.width() < button->minimumSizeHint().width()) fault(w, "caption cut");
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            if (size.width() < group->minimumSizeHint().width()) fault(w, "title cut");
        } else if (auto* spin = qobject_cast<QSpinBox*>(w)) {
            // Its size hint makes room for the widest value beside the arrows.
            if (size.width() < spin->sizeHint().width())
                fault(w, "too narrow for " + std::to_string(spin->maximum()));
        } else if (auto* header = qobject_cast<QHeaderView*>(w)) {
            if (header->orientation() != Qt::Horizontal) continue;
            int right = 0;
            for (int i = 0; i < header->count(); ++i) {
                if (header->isSectionHidden(i)) continue;
                const QString text = header->model()->headerData(i, Qt::Horizontal).toString();
                if (header->sectionSize(i) < header->sectionSizeHint(i))
                    fault(w, "column \"" + ui::FromQ(text) + "\" cut");
                right = std::max(right, header->sectionViewportPosition(i) + header->sectionSize(i));
            }
            if (right > header->viewport()->width()) fault(w, "columns need scrolling");
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) {
            // A read-only memo is there to be read at a glance.
            if (!memo->isReadOnly() || memo->toPlainText().isEmpty()) continue;
            if (memo->verticalScrollBar()->maximum() > 0) fault(w, "needs scrolling down");
            if (memo->horizontalScrollBar()->maximum() > 0) fault(w, "needs scrolling sideways");
        }
    }
    return faults;
}

}  // namespace quillon::uitest
