#pragma once

class QCoreApplication;

// Loads Qt's own German texts, so that standard buttons read "Ja", "Nein",
// "Abbrechen" as the rest of the program does.
void installGermanTranslations(QCoreApplication& app);
