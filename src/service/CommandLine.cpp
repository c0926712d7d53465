#include "service/CommandLine.h"

#include "calllog/LogFollower.h"
#include "lists/ImportRules.h"
#include "lists/ListFiles.h"
#include "lists/ListStore.h"
#include "lists/NumberInput.h"
#include "lists/PhoneLists.h"
#include "lists/PublicText.h"
#include "platform/AppFolder.h"
#include "platform/SafeWrite.h"
#include "platform/time/Clock.h"
#include "service/ControlProtocol.h"
#include "service/RuleCommands.h"
#include "service/StatsCommand.h"
#include "service/SystemService.h"
#include "settings/SettingsStore.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

QString ListName(ListKind kind) {
    return kind == ListKind::Public ? QStringLiteral("public") : QStringLiteral("private");
}

int AddEntry(ListKind kind, const QString& number, const QString& name) {
    const bool isPublic = kind == ListKind::Public;
    if (const QString problem = NumberInputProblem(number, !isPublic); !problem.isEmpty())
        return BadInput(problem);
    if (const QString problem = NameInputProblem(name); !problem.isEmpty())
        return BadInput(problem);
    Lists lists;
    QString error;
    bool listed = false;
    const bool added =
        isPublic ? lists.store.addPublic(number.toDouble(), &error, &listed)
                 : lists.store.addPrivate(MakePrivateEntry(name, number), &error, &listed);
    if (!added)
        return Fail(QCoreApplication::translate("CommandLine", "the entry could not be saved.\n") +
                    error);
    if (listed)
        Out(QStringLiteral("%1 is already in the %2 list").arg(number, ListName(kind)));
    return 0;
}

int RemoveEntry(ListKind kind, const QString& number) {
    if (const QString problem = NumberInputProblem(number, kind == ListKind::Private);
        !problem.isEmpty())
        return BadInput(problem);
    Lists lists;
    int row = -1;
    if (kind == ListKind::Public) {
        const double value = number.toDouble();
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
            if (entries[i].Number.trimmed() == number)
                row = int(i);
        }
    }
    if (row < 0)
        return Fail(QCoreApplication::translate("CommandLine", "%1 is not in the %2 list")
                        .arg(number, ListName(kind)));
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
    // Records that name no phone number are left out and counted; a file with none is not a
    // number database at all.
    std::vector<double> records = ReadDatabaseRecords(data);
    const qint64 read = qint64(data.size() / listfile::kPublicRecordSize);
    std::erase_if(records, [](double x) { return !IsPhoneNumberRecord(x); });
    if (records.empty())
        return BadInput(QStringLiteral("%1 is not a number database: it holds no phone number "
                                       "record")
                            .arg(QDir::toNativeSeparators(path)));
    Lists lists;
    qint64 added = 0;
    qint64 refused = 0;
    QString error;
    if (!lists.store.importPublic(records, &added, &refused, &error))
        return Fail(QCoreApplication::translate(
                        "CommandLine", "nothing was imported: the list could not be saved.\n") +
                    error);
    // Records after the end marker are not part of the database and are not counted.
    qint64 skipped = 0;
    for (qint64 i = 0; i < read; ++i) {
        const double x = DecodePublicRecord(data.constData() + i * listfile::kPublicRecordSize);
        if (x == 0)
            break;
        skipped += IsPhoneNumberRecord(x) ? 0 : 1;
    }
    if (skipped > 0)
        Out(QString::number(skipped) +
            QStringLiteral(" records were skipped: they name no phone number"));
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
    bool dateGiven = false;
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
            dateGiven = true;
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
    // Today's log carries on into the next day's file; a given day's file is followed alone.
    follower.follow(dateGiven ? LogFollower::Days::ThisOne : LogFollower::Days::Later);
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
        "  rule show                         the screening rules, numbered, with their hits\n"
        "  rule add block|allow number|name PATTERN [LABEL...]\n"
        "                                    add a rule (PATTERN: 800*, 555123????, +4930*,\n"
        "                                    \"SPAM RISK*\", re:V[0-9]{15})\n"
        "  rule remove N                     remove the rule numbered N by 'rule show'\n"
        "  rule test NUMBER [NAME]           what a call would meet, and what decides it\n"
        "  rule import FILE.vcf              let every number of a contacts file ring\n"
        "  status                            the running service's lines and their state\n"
        "  --system COMMAND                  a list, log, rule or status command on the system\n"
        "                                    service's folder and socket (as root or the\n"
        "                                    hushwire user)\n"
        "  stats [--days N]                  calls passed and blocked over the last N days (30)\n"
        "  --version                         the version of Hushwire\n"
        "  --help                            this text\n"
        "\n"
        "A running service reads a list or the rules again as soon as its file changes.\n"
        "Exit status: 0 done, 1 failed, 2 bad input.");
}

int RunCommandLine(const QStringList& given) {
    QStringList args = given;
    const bool system = args.value(0) == QLatin1String("--system");
    if (system) {
        args.removeFirst();
        systemservice::UseFolders();
        const QFileInfo folder(systemservice::DataFolder());
        if (!folder.isDir() || !folder.isReadable() || !folder.isExecutable())
            return Fail(QStringLiteral("the system service's folder %1 cannot be read by this "
                                       "user: run the command as root or as the hushwire user")
                            .arg(QDir::toNativeSeparators(systemservice::DataFolder())));
    }
    const QString command = args.value(0);
    if (!system && (command == QLatin1String("list") || command == QLatin1String("log") ||
                    command == QLatin1String("rule") || command == QLatin1String("status"))) {
        const QString notice = systemservice::FolderNotice(
            control::SocketPath(ApplicationName()),
            command == QLatin1String("status") ? QString() : AppFolder());
        if (!notice.isEmpty())
            std::fprintf(stderr, "hushwire: %s\n", notice.toLocal8Bit().constData());
    }
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        Out(CommandLineHelp());
        return 0;
    }
    if (command == QLatin1String("list"))
        return ListCommand(args.mid(1));
    if (command == QLatin1String("rule"))
        return RuleCommand(args.mid(1));
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
