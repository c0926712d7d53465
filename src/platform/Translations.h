#pragma once

class QCoreApplication;

// Loads the program's translation for the user's language (LANGUAGE, LC_ALL, LC_MESSAGES, LANG)
// and Qt's own, when they exist: hushwire_<language>.qm from translations/ beside the executable
// (a build folder) or from share/hushwire/translations of an installed program. Without one the
// texts stay English. Log lines, settings keys and the journal are never translated.
void InstallTranslations(QCoreApplication& app);
