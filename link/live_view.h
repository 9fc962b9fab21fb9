#pragma once

#include <string>

namespace quillon {

// A window that a long loop keeps up to date. Components are addressed by
// their names (ValueLabel, StatusLabel, TxtMemo, BitBtn1, ...), so the loop's
// logic and its tests do not depend on the toolkit.
class LiveView {
public:
    virtual ~LiveView() = default;
    virtual void setCaption(const std::string& caption) = 0;
    virtual void setText(const std::string& component, const std::string& text) = 0;
    virtual void setVisible(const std::string& component, bool visible) = 0;
    virtual void show() = 0;
    // Trend of the polled value: seconds since the poll started, value.
    virtual void addTrendPoint(double seconds, double value) = 0;
    virtual void clearTrend() = 0;
    // Variant layouts that move a component (e.g. BitBtn1 below PeriodLabel).
    virtual void placeBelow(const std::string& component, const std::string& anchor) = 0;
    // After the loop: the window stays, still responsive, until the user closes
    // it (its button or the window's close box).
    virtual void waitForClose() = 0;
    // One cycle of the loop is complete and shown: a console front end prints
    // its line here. Windows that redraw as they go need nothing.
    virtual void cycleEnded() {}
};

}  // namespace quillon
