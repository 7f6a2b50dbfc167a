#pragma once
// Qt's own texts in German, as every other text of the program: the buttons, labels and titles that
// Qt draws in the open and font dialogs and the standard buttons of its boxes ("Open", "Cancel",
// "Yes", "Look in").
#include <QStringList>

// Installs Qt's German translation (qtbase_de) from the first of Folders that has it; by default
// Qt's translations folder, then the program's folder (where an installation beside the program
// keeps it), and makes German Qt's default locale, for the texts Qt takes from it (the file types,
// sizes and dates of the file dialog). False when none has it: the program then runs with Qt's
// English texts. Calling it again replaces the translation installed before.
bool InstallQtTranslation(const QStringList& Folders = {});
// Takes the translation out again and gives the default locale back to the system's (tests).
void RemoveQtTranslation();
