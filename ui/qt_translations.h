#pragma once

#include <QLocale>
#include <QString>

class QTranslator;

namespace quillon::ui {

// Loads Qt's own translations for `locale` (the standard buttons of message
// boxes, the file dialogs) and installs them in the application, which owns
// the translator. Returns it, or nullptr when Qt has none for that language.
QTranslator* InstallQtTranslations(const QLocale& locale = QLocale());

// A standard button's caption as Qt's translations give it ("Cancel",
// "Close"), for the button rows the tool builds itself.
QString StandardButtonText(const char* englishText);

}  // namespace quillon::ui
