#pragma once

#include <QLocale>

namespace quillon::ui {

// The locale the tool writes and reads numbers in: the user's, so that a
// value typed, a value shown and a chart's axis all use one decimal
// separator. A locale whose separator is not a single ASCII character
// (the core's number texts are bytes) falls back to the point. Digits are
// never grouped: a converter code of a million reads as 1000000 everywhere.
QLocale NumberLocale();

}  // namespace quillon::ui
