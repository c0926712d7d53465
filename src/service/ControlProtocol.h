#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The few messages the desktop program and the command line exchange with a running service,
// over a local socket in the user's runtime folder. Each message is one UTF-8 line ending in LF.
//   reload    -> "ok" once the options and the lists are read again
//   status    -> one line per line device, "LineN<TAB>state<TAB>description", then "end"
//   log-path  -> the full path of today's log file, then "end"
//   anything else -> one line saying the request is unknown, then "end"
namespace control {

inline constexpr char kReload[] = "reload";
inline constexpr char kStatus[] = "status";
inline constexpr char kLogPath[] = "log-path";
inline constexpr char kOk[] = "ok";
inline constexpr char kEnd[] = "end";

// A line device's state as the status answer names it.
enum class LineState { Ready, Closed, Error, Call, Missing };
QString LineStateName(LineState state);
std::optional<LineState> ParseLineState(const QString& name);

struct LineStatus {
    int line = 0;
    LineState state = LineState::Closed;
    QString description;
};

// "Line0\tready\tdescription"; tabs and line breaks in the description become spaces.
QString FormatStatusLine(const LineStatus& status);
// The reverse; nullopt for a line that is not a status line.
std::optional<LineStatus> ParseStatusLine(const QString& text);

// The folder holding the socket: $XDG_RUNTIME_DIR/hushwire, or <temp>/hushwire-<uid> when
// XDG_RUNTIME_DIR is unset.
QString SocketFolder();
// <SocketFolder()>/<applicationName>.sock
QString SocketPath(const QString& applicationName);
// Creates the socket folder readable by its owner only; false when it cannot be made private.
bool PrepareSocketFolder(const QString& folder);

// Whether folder is ours, no link, and closed to everyone else.
bool IsPrivateFolder(const QString& folder);

// Sends one request and reads the answer up to and including its last line ("ok" or "end"),
// which is left out of the result. nullopt when no service answers within timeoutMs, or when
// the socket is in the fallback folder (no XDG_RUNTIME_DIR) and that folder is not private.
std::optional<QStringList> Ask(const QString& socketPath, const QString& request,
                               int timeoutMs = 3000);

} // namespace control
