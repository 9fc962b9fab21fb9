#pragma once

#include <QString>
#include <string>

namespace quillon::ui {

// The core speaks UTF-8 std::string; Qt speaks QString.
inline QString ToQ(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string FromQ(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace quillon::ui
