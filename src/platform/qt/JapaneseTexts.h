#pragma once

#include <QString>

namespace pravik {

// Makes Qt's own texts (standard buttons, file dialogs, context menus) and
// its dates and numbers Japanese like the rest of the program: installs
// Qt's Japanese translation, completed by the few file dialog texts it
// lacks, and sets a Japanese default locale. Looks for qtbase_ja.qm where
// Qt keeps its translations, then in "translations" beside the program.
// Returns false when no translation was found; the program still runs, with
// Qt's texts in English. Call once after the application object exists.
bool installJapaneseTexts(const QString& programFolder);

// The file dialogs show dates in the system's locale, not the default one:
// makes Qt take a Japanese system locale, whatever the environment says,
// without changing the environment that child processes inherit. Call
// before the application object exists.
void useJapaneseSystemLocale();

} // namespace pravik
