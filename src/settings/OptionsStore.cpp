#include "settings/OptionsStore.h"

#include "platform/MessageSeam.h"
#include "settings/RunEntry.h"
#include "settings/SettingsStore.h"

#include <QCoreApplication>
#include <algorithm>
#include <limits>

namespace {

QString Config() {
    return QStringLiteral("Config");
}

QString LineKey(int line) {
    return QStringLiteral("Line") + QString::number(line);
}

int ReadNumber(const QString& key, const char* def) {
    return LeadingNumber(ReadSetting(Config(), key, QLatin1String(def)));
}

QString Flag(int value) {
    return value != 0 ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

int LeadingNumber(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    qint64 value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            break;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(value);
}

EngineOptions LoadEngineOptions(const DeviceDescriptions& devices) {
    EngineOptions o;
    for (int i = 0; i < EngineOptions::kLines; ++i) {
        const DeviceDescription& d = devices[size_t(i)];
        LineOptions& line = o.lines[size_t(i)];
        line.choice =
            d.usable ? ReadSetting(Config(), LineKey(i), QStringLiteral("0")) : QStringLiteral("0");
        line.mediaMode = d.mediaMode;
        line.rewrite = ReadSetting(LineKey(i), QStringLiteral("Rewrite"), QString());
    }
    o.mode = ReadNumber(QStringLiteral("Mode"), "1");
    // The check-box options are on or off, whatever number is stored.
    o.minOnStart = ReadNumber(QStringLiteral("MinOnStart"), "0") != 0 ? 1 : 0;
    o.autoStart = ReadNumber(QStringLiteral("AutoStart"), "0") != 0 ? 1 : 0;
    o.pin = ReadSetting(Config(), QStringLiteral("PIN"), QString()).left(EngineOptions::kPinLength);
    LoadScreeningOptions(o);
    o.notifyBlocked = NotifyBlockedCalls() ? 1 : 0;
    return o;
}

void LoadScreeningOptions(EngineOptions& o) {
    o.blockUnknown = ReadNumber(QStringLiteral("BlockUnknown"), "0") != 0 ? 1 : 0;
    o.blockUnlisted = ReadNumber(QStringLiteral("BlockUnlisted"), "0") != 0 ? 1 : 0;
    // A span that cannot be read is no span: screening as usual beats blocking at odd hours.
    o.quietHours = QuietHours::parse(ReadSetting(Config(), QStringLiteral("QuietHours"), QString()))
                       .value_or(QuietHours{});
    o.callBackMinutes = std::max(0, ReadNumber(QStringLiteral("CallBackMinutes"), "10"));
}

bool SaveEngineOptions(const EngineOptions& options, const DeviceDescriptions& devices) {
    bool ok = true;
    auto logged = [&ok](const QString& section, const QString& key, const QString& value) {
        if (ok)
            ok = SaveSettingLogged(section, key, value);
    };
    // A line whose device cannot be used now could not be changed in the window: its stored
    // choice is written back as it is, so a modem that is briefly away keeps its line.
    auto choice = [&](int i) {
        if (!devices[size_t(i)].usable)
            return ReadSetting(Config(), LineKey(i), QStringLiteral("0"));
        return options.lines[size_t(i)].opens() ? QStringLiteral("1") : QStringLiteral("0");
    };
    for (int i = 0; i < EngineOptions::kLines; ++i)
        logged(Config(), LineKey(i), choice(i));
    // Likewise its stored description: the text of a device that is away only says why, and
    // storing it would take the modem for a replaced one when it returns (its counters reset).
    auto description = [&](int i) {
        if (!devices[size_t(i)].present)
            return ReadSetting(QStringLiteral("Modem"), LineKey(i), QString());
        return devices[size_t(i)].text;
    };
    for (int i = 0; i < EngineOptions::kLines; ++i)
        logged(QStringLiteral("Modem"), LineKey(i), description(i));
    logged(Config(), QStringLiteral("MinOnStart"), Flag(options.minOnStart));
    logged(Config(), QStringLiteral("BlockUnknown"), Flag(options.blockUnknown));
    logged(Config(), QStringLiteral("PIN"), options.pin);
    logged(Config(), QStringLiteral("AutoStart"), Flag(options.autoStart));
    if (ok)
        ok = SaveSettingDirect(Config(), QStringLiteral("NotifyBlocked"),
                               Flag(options.notifyBlocked));
    if (!ok)
        return false;

    QString error;
    if (!WriteRunEntry(options.autoStart != 0 ? 1 : 0, &error)) {
        // A start-with-system choice that silently does nothing would look saved.
        ShowMessage(QCoreApplication::translate(
                        "OptionsStore", "The start-with-system entry could not be written.\n%1")
                        .arg(error),
                    AppTitle(), MessageIcon::Critical);
    }
    logged(Config(), QStringLiteral("Mode"),
           options.mode == 1 ? QStringLiteral("1") : QStringLiteral("2"));
    // The screening options are written only when they changed, so a Save that leaves them
    // alone journals exactly what it did before they existed.
    EngineOptions stored;
    LoadScreeningOptions(stored);
    if (stored.blockUnlisted != options.blockUnlisted)
        logged(Config(), QStringLiteral("BlockUnlisted"), Flag(options.blockUnlisted));
    if (stored.quietHours.text() != options.quietHours.text())
        logged(Config(), QStringLiteral("QuietHours"), options.quietHours.text());
    if (stored.callBackMinutes != options.callBackMinutes)
        logged(Config(), QStringLiteral("CallBackMinutes"),
               QString::number(options.callBackMinutes));
    return ok;
}

void RecordModemChanges(const DeviceDescriptions& devices) {
    for (int line = 0; line < EngineOptions::kLines; ++line) {
        const QString key = QStringLiteral("Line%1").arg(line);
        const QString stored = ReadSetting(QStringLiteral("Modem"), key, QString());
        const QString shown = devices[size_t(line)].text;
        // A modem that is away for now has not been replaced: its counters stay.
        if (stored == shown || !devices[size_t(line)].usable)
            continue;
        ResetLineCounters(line, false);
        SaveSettingLogged(QStringLiteral("Modem"), key, shown);
    }
}

bool NotifyBlockedCalls() {
    return ReadNumber(QStringLiteral("NotifyBlocked"), "1") != 0;
}
