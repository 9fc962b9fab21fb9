#pragma once

class QWidget;

namespace quillon::ui {

// The width a window's frame needs to show the window's title whole.
int TitleBarWidth(const QWidget& window);

// Keeps `window` at least TitleBarWidth wide, whatever its layout asks for.
// Call it again after the title changes.
void MakeRoomForTitle(QWidget& window);

}  // namespace quillon::ui
