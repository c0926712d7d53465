#pragma once

#include <QString>

// The folder that holds the program's data files, sound files and the LogFiles folder.
// It is the executable's folder unless the environment variable HUSHWIRE_APPFOLDER names another.
QString AppFolder();

// Path of a file inside AppFolder().
QString AppFile(const QString& name);
