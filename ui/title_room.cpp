#include "ui/title_room.h"

#include <QBoxLayout>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGridLayout>
#include <QSpacerItem>
#include <QWidget>
#include <algorithm>

namespace quillon::ui {

namespace {

// Frames draw the title in the system's title font, bold on most desktops,
// after the window icon and before the caption buttons; a title that does not
// fit between them is elided. Windows draws each caption button 46 px wide
// (at any scaling, in the scaled pixels Qt lays out in) and the icon 16 px
// with 8 px on either side; the Linux desktops draw both smaller.
constexpr int kCaptionButton = 46;
constexpr int kIconAndGaps = 8 + 16 + 8 + 8;

int CaptionButtons(Qt::WindowFlags flags) {
    int buttons = 0;
    if (flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)) buttons += 2;
    if (flags & Qt::WindowCloseButtonHint) ++buttons;
    if (flags & Qt::WindowContextHelpButtonHint) ++buttons;
    return buttons;
}

// The room a window's layout got for its title, found again when the title
// changes (some windows, message boxes among them, rebuild their layouts).
class TitleSpacer : public QSpacerItem {
public:
    explicit TitleSpacer(int width) : QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed) {}
};

TitleSpacer* FindTitleSpacer(QLayout& layout) {
    for (int i = 0; i < layout.count(); ++i)
        if (auto* spacer = dynamic_cast<TitleSpacer*>(layout.itemAt(i))) return spacer;
    return nullptr;
}

}  // namespace

int TitleBarWidth(const QWidget& window) {
    if (window.windowTitle().isEmpty()) return 0;
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(window.windowTitle()) + kIconAndGaps +
           kCaptionButton * CaptionButtons(window.windowFlags());
}

void MakeRoomForTitle(QWidget& window) {
    const int need = TitleBarWidth(window);
    QLayout* layout = window.layout();
    // A layout that fixes the window's size would undo a minimum width set
    // on the window: the room goes into the layout instead, as an item of no
    // height across its whole width.
    auto* box = qobject_cast<QBoxLayout*>(layout);
    auto* grid = qobject_cast<QGridLayout*>(layout);
    auto* form = qobject_cast<QFormLayout*>(layout);
    const bool across =
        (box && (box->direction() == QBoxLayout::TopToBottom || box->direction() == QBoxLayout::BottomToTop)) || grid ||
        form;
    if (!across) {
        window.setMinimumWidth(std::max(window.minimumWidth(), need));
        return;
    }
    const QMargins margins = layout->contentsMargins();
    const int inner = std::max(0, need - margins.left() - margins.right());
    if (auto* spacer = FindTitleSpacer(*layout)) {
        spacer->changeSize(inner, 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
    } else if (grid) {
        grid->addItem(new TitleSpacer(inner), grid->rowCount(), 0, 1, std::max(1, grid->columnCount()));
    } else {
        layout->addItem(new TitleSpacer(inner));
    }
    layout->invalidate();
    layout->activate();
}

}  // namespace quillon::ui
