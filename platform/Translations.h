#pragma once

class QCoreApplication;

// Loads the translations for the user's language, when there are any: the program's
// own (pictoria_<lang>.qm, from the resources or the installed translations folder)
// and Qt's for its standard dialogs. English, the source language, needs none.
void installTranslations(QCoreApplication& app);
