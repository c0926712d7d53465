#pragma once

#include <QString>
#include <functional>

// The folder that holds the program's data files (the phone lists, settings.txt, the LogFiles
// folder and the two sound files). In order:
//   1. the folder named by the environment variable HUSHWIRE_APPFOLDER (tests, custom set-ups);
//   2. the executable's own folder when it is writable and not an installed layout (a portable
//      copy: the data files sit beside the program);
//   3. otherwise $XDG_DATA_HOME/hushwire (~/.local/share/hushwire when unset), created on first
//      use and given copies of donotcall.wav and ring.wav from the installed share folder
//      (<executable folder>/../share/hushwire) that the user may then replace.
QString AppFolder();

// Path of a file inside AppFolder().
QString AppFile(const QString& name);

// The pieces of the choice above, apart so that each case can be tested on its own.
struct AppFolderInputs {
    QString override; // HUSHWIRE_APPFOLDER
    QString executableDir;
    QString dataHome; // XDG_DATA_HOME, or empty
    QString homeDir;
    std::function<bool(const QString&)> isWritable; // whether a folder can take new files
};
enum class AppFolderKind { Override, Portable, UserData };
struct AppFolderChoice {
    QString folder;
    AppFolderKind kind = AppFolderKind::Portable;
};
AppFolderChoice ChooseAppFolder(const AppFolderInputs& in);

// The installed share folder that belongs to an executable folder.
QString InstalledShareFolder(const QString& executableDir);

// Creates the per-user data folder when missing and copies each sound file from shareDir that
// the folder does not hold yet; files already there (perhaps replaced by the user) are kept.
// Returns false when the folder cannot be created.
bool PrepareUserDataFolder(const QString& folder, const QString& shareDir);
