#include "service/CommandLine.h"

#include "calllog/LogFollower.h"
#include "lists/ImportRules.h"
#include "lists/ListFiles.h"
#include "lists/ListStore.h"
#include "lists/NumberField.h"
#include "lists/PhoneLists.h"
#include "lists/PublicText.h"
#include "platform/AppFolder.h"
#include "platform/SafeWrite.h"
#include "platform/time/Clock.h"
#include "service/ControlProtocol.h"
#include "service/StatsCommand.h"
#include "settings/SettingsStore.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <cstdio>

namespace {
constexpr int kFailed = 1;
constexpr int kBadInput = 2;

void Out(const QString& text) {
    std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
}

int Fail(const QString& text, int status = kFailed) {
    std::fflush(stdout);
    std::fprintf(stderr, "hushwire: %s\n", text.toLocal8Bit().constData());
    return status;
}

int BadInput(const QString& text) {
    return Fail(text + QCoreApplication::translate("CommandLine", "\nTry 'hushwire --help'."),
                kBadInput);
}

std::optional<ListKind> ParseKind(const QString& word) {
    if (word == QLatin1String("public"))
        return ListKind::Public;
    if (word == QLatin1String("private"))
        return ListKind::Private;
    return std::nullopt;
}

// A list store over the program's list files, loaded.
struct Lists {
    PhoneLists tables{AppFolder()};
    ListStore store{tables};
    Lists() { store.load(); }
};

int AddEntry(ListKind kind, const QString& number, const QString& name) {
    double value = 0;
    // A 0 record ends public.tel, so a 0 entry would hide every entry added after it.
    if (!ReadTypedNumber(number, QLocale(), &value) || (kind == ListKind::Public && value == 0))
        return BadInput(
            QCoreApplication::translate("CommandLine", "the telephone number must be numeric: '%1'")
                .arg(number));
    Lists lists;
    QString error;
    // The private number is kept exactly as typed, cut to the field width, as the window does.
    const bool added = kind == ListKind::Public
                           ? lists.store.addPublic(value, &error)
                           : lists.store.addPrivate(MakePrivateEntry(name, number), &error);
    if (!added)
        return Fail(QCoreApplication::translate("CommandLine", "the entry could not be saved.\n") +
                    error);
    return 0;
}

int RemoveEntry(ListKind kind, const QString& number) {
    Lists lists;
    int row = -1;
    if (kind == ListKind::Public) {
        double value = 0;
        if (!ReadTypedNumber(number, QLocale(), &value))
            return BadInput(QCoreApplication::translate(
                                "CommandLine", "the telephone number must be numeric: '%1'")
                                .arg(number));
        const std::vector<ListedValue>& rows = lists.store.publicRows();
        for (size_t i = 0; i < rows.size() && row < 0; ++i) {
            if (rows[i].value == value)
                row = int(i);
        }
    } else {
        const std::vector<PrivateEntry>& entries = lists.tables.PrivateList();
        for (size_t i = 0; i < entries.size() && row < 0; ++i) {
            if (entries[i].isTerminator())
                break;
            if (entries[i].Number.trimmed() == number.trimmed())
                row = int(i);
        }
    }
    if (row < 0)
        return Fail(QCoreApplication::translate("CommandLine", "%1 is not in the %2 list")
                        .arg(number, kind == ListKind::Public ? QStringLiteral("public")
                                                              : QStringLiteral("private")));
    QString error;
    if (!lists.store.remove(kind, row, &error))
        return Fail(
            QCoreApplication::translate("CommandLine", "the entry could not be removed.\n") +
            error);
    return 0;
}

int ShowList(ListKind kind) {
    Lists lists;
    if (kind == ListKind::Public) {
        for (const ListedValue& row : lists.store.publicRows())
            Out(PublicDisplayText(row.value));
        return 0;
    }
    for (const PrivateEntry& entry : lists.tables.PrivateList()) {
        if (entry.isTerminator())
            break;
        Out(entry.Number.trimmed() + QLatin1Char('\t') + entry.Name.trimmed());
    }
    return 0;
}

int ImportFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return BadInput(
            QCoreApplication::translate("CommandLine", "the file %1 could not be read (%2)")
                .arg(QDir::toNativeSeparators(path), file.errorString()));
    const QByteArray data = file.read(kMaxDatabaseRecords * listfile::kPublicRecordSize);
    Lists lists;
    qint64 added = 0;
    qint64 refused = 0;
    QString error;
    if (!lists.store.importPublic(ReadDatabaseRecords(data), &added, &refused, &error))
        return Fail(QCoreApplication::translate(
                        "CommandLine", "nothing was imported: the list could not be saved.\n") +
                    error);
    Out(QString::number(added) +
        QCoreApplication::translate("CommandLine", " records have been imported"));
    if (refused > 0)
        return Fail(ListStore::CapacityText(ListKind::Public, added, refused));
    return 0;
}

int ExportShareFile() {
    Lists lists;
    // The user's own entries stand above the first taken-over (negative) one.
    QByteArray text;
    for (const ListedValue& row : lists.store.publicRows()) {
        if (row.value < 0)
            break;
        text += PublicDisplayText(row.value).toLatin1() + "\r\n";
    }
    if (text.isEmpty())
        return Fail(QCoreApplication::translate(
            "CommandLine", "there is no phone entry in the public list to export"));
    // Named as the list window names its share files.
    const auto tick = static_cast<qint32>(static_cast<quint32>(SystemClock().tickMs()));
    const QString path =
        QDir(AppFolder())
            .filePath(QStringLiteral("share") + QString::number(tick) + QStringLiteral(".txt"));
    QString error;
    if (!WriteFileAtomically(path, text, &error))
        return Fail(
            QCoreApplication::translate("CommandLine", "the share file could not be written.\n") +
            error);
    Out(path);
    return 0;
}

int ListCommand(const QStringList& args) {
    const QString verb = args.value(0);
    if (verb == QLatin1String("add") || verb == QLatin1String("remove") ||
        verb == QLatin1String("show")) {
        const std::optional<ListKind> kind = ParseKind(args.value(1));
        if (!kind)
            return BadInput(
                QCoreApplication::translate("CommandLine", "say which list: public or private"));
        const qsizetype most = verb == QLatin1String("show")                                ? 2
                               : verb == QLatin1String("add") && *kind == ListKind::Private ? 4
                                                                                            : 3;
        const qsizetype least = verb == QLatin1String("show") ? 2 : 3;
        if (args.size() < least || args.size() > most)
            return BadInput(QCoreApplication::translate("CommandLine",
                                                        "wrong number of arguments for 'list %1'")
                                .arg(verb));
        if (verb == QLatin1String("show"))
            return ShowList(*kind);
        if (verb == QLatin1String("add"))
            return AddEntry(*kind, args[2], args.value(3));
        return RemoveEntry(*kind, args[2]);
    }
    if (verb == QLatin1String("import") && args.size() == 2)
        return ImportFile(args[1]);
    if (verb == QLatin1String("export") && args.size() == 1)
        return ExportShareFile();
    return BadInput(QCoreApplication::translate("CommandLine", "unknown list command: 'list %1'")
                        .arg(args.join(QLatin1Char(' '))));
}

int LogCommand(const QStringList& args) {
    bool follow = false;
    QDate date = SystemClock().now().toLocalTime().date();
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--follow")) {
            follow = true;
        } else if (args[i] == QLatin1String("--date") && i + 1 < args.size()) {
            const QString text = args[++i];
            static const QRegularExpression shape(QStringLiteral("^\\d\\d-\\d\\d-\\d\\d$"));
            const QDate given = shape.match(text).hasMatch()
                                    ? QDate::fromString(text, QStringLiteral("yy-MM-dd"))
                                    : QDate();
            if (!given.isValid())
                return BadInput(
                    QCoreApplication::translate("CommandLine", "the date must be yy-mm-dd: '%1'")
                        .arg(text));
            date = given.addYears(100);
        } else {
            return BadInput(QCoreApplication::translate("CommandLine", "unknown log option: '%1'")
                                .arg(args[i]));
        }
    }
    const QString path = AppFolder() + QStringLiteral("/LogFiles/") +
                         date.toString(QStringLiteral("yy-MM-dd")) + QStringLiteral(".txt");
    if (!follow && !QFile::exists(path))
        return Fail(
            QCoreApplication::translate("CommandLine",
                                        "no calls were logged on %1 (%2 does not exist)")
                .arg(date.toString(QStringLiteral("yy-MM-dd")), QDir::toNativeSeparators(path)));
    // Each line goes out at once: a reader of a pipe sees calls as they come.
    LogFollower follower(path, [](const QStringList& lines) {
        for (const QString& line : lines) {
            Out(line);
            std::fflush(stdout);
        }
    });
    if (!follower.readNew())
        return Fail(
            QCoreApplication::translate("CommandLine", "the log %1 could not be read").arg(path));
    if (!follow)
        return 0;
    std::fflush(stdout);
    follower.follow();
    return QCoreApplication::exec();
}

int StatusCommand() {
    const QString path = control::SocketPath(ApplicationName());
    const std::optional<QStringList> lines = control::Ask(path, QLatin1String(control::kStatus));
    if (!lines)
        return Fail(QCoreApplication::translate(
                        "CommandLine", "no Hushwire service is running (nothing answers at %1)")
                        .arg(path));
    for (const QString& line : *lines)
        Out(line);
    return 0;
}
} // namespace

QString CommandLineHelp() {
    return QCoreApplication::translate(
        "CommandLine",
        "Usage: hushwire [command]\n"
        "Without a command Hushwire opens its window.\n"
        "\n"
        "  --service                         screen calls without a display (a system service)\n"
        "  list add public NUMBER            add a number to the public telemarketer list\n"
        "  list add private NUMBER [NAME]    add a number (and name) to the private black list\n"
        "  list remove public|private NUMBER remove a number from a list\n"
        "  list show public|private          print a list, one entry a line\n"
        "  list import FILE.pnd              merge a shared number database into the public list\n"
        "  list export                       write your own public entries to a share file\n"
        "  log [--follow] [--date yy-mm-dd]  print a day's call log (today's by default);\n"
        "                                    --follow keeps printing lines as they are added\n"
        "  status                            the running service's lines and their state\n"
        "  stats [--days N]                  calls passed and blocked over the last N days (30)\n"
        "  --version                         the version of Hushwire\n"
        "  --help                            this text\n"
        "\n"
        "A running service reads a list again as soon as its file changes.\n"
        "Exit status: 0 done, 1 failed, 2 bad input.");
}

int RunCommandLine(const QStringList& args) {
    const QString command = args.value(0);
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        Out(CommandLineHelp());
        return 0;
    }
    if (command == QLatin1String("list"))
        return ListCommand(args.mid(1));
    if (command == QLatin1String("log"))
        return LogCommand(args.mid(1));
    if (command == QLatin1String("status") && args.size() == 1)
        return StatusCommand();
    if (command == QLatin1String("stats")) {
        QString error;
        const std::optional<int> days = ParseStatsDays(args.mid(1), &error);
        if (!days)
            return BadInput(error);
        Out(StatsReport(*days));
        return 0;
    }
    if (command.isEmpty())
        return BadInput(QCoreApplication::translate("CommandLine", "no command given"));
    if (command == QLatin1String("--version") && args.size() == 1) {
        Out(QStringLiteral("hushwire " HUSHWIRE_VERSION));
        return 0;
    }
    // Something the program does not know: the usage goes with the refusal.
    const QString refusal =
        command.startsWith(QLatin1Char('-'))
            ? QCoreApplication::translate("CommandLine", "unknown option: '%1'\n")
            : QCoreApplication::translate("CommandLine", "unknown command: '%1'\n");
    return Fail(refusal.arg(args.join(QLatin1Char(' '))) + CommandLineHelp(), kBadInput);
}
