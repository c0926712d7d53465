// Stored options of any content loaded by the setup window: the settings file is written with
// fuzz-chosen values for Mode, Line0..Line3, MinOnStart, AutoStart, BlockUnknown and PIN, then the
// window loads over a telephony service with two voice lines and two that cannot be used.
//
// Input layout: the values in that order, separated by 0x00 bytes, written raw into the file (so
// a value may also break the file's own syntax). After the load the engine's options must be
// ones the rest of the program understands, agree with what the window shows, and be the ones
// start-up reads without the window.
#include "FuzzSupport.h"

#include "platform/MessageSeam.h"
#include "settings/OptionsStore.h"
#include "settings/SettingsStore.h"
#include "settings/ui/frmSetup.h"
#include "support/EngineHarness.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>

namespace {

EngineHarness& harness() {
    static EngineHarness* h = [] {
        auto* e = new EngineHarness(4);
        // Lines 2 and 3 offer no voice: their boxes are disabled and stored as 0 by the load.
        e->line.devices[2].mediaModes = 0x10;
        e->line.devices[3].mediaModes = 0;
        e->start({0, 1});
        return e;
    }();
    return *h;
}

template <typename T> T* child(const QObject& form, const QString& name) {
    T* w = form.findChild<T*>(name);
    fuzzsupport::check(w != nullptr, "control missing");
    return w;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString dir = fuzzsupport::scratch();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir + QStringLiteral("/config")));
    qputenv("HUSHWIRE_APPFOLDER", QFile::encodeName(dir + QStringLiteral("/app")));
    QDir().mkpath(dir + QStringLiteral("/app"));
    static int argc = 1;
    static char name[] = "hushwire-fuzz";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    // A save the load makes may fail on a broken file; its message must not wait for a click.
    InstallMessageHandler([](const MessageRequest&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const keys[] = {"Mode",       "Line0",     "Line1",        "Line2", "Line3",
                                       "MinOnStart", "AutoStart", "BlockUnknown", "PIN"};
    const QList<QByteArray> values =
        QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).split('\0');
    QByteArray ini = "[Config]\n";
    for (qsizetype i = 0; i < values.size() && i < qsizetype(std::size(keys)); ++i)
        ini += QByteArray(keys[i]) + '=' + values[i] + '\n';
    const QString path = SettingsFilePath();
    QDir().mkpath(QFileInfo(path).path());
    fuzzsupport::writeFile(path, reinterpret_cast<const uint8_t*>(ini.constData()),
                           size_t(ini.size()));

    // Loading reads the file and never writes a line choice back.
    QStringList stored;
    for (int i = 0; i < 4; ++i)
        stored.append(ReadSetting(QStringLiteral("Config"), QStringLiteral("Line%1").arg(i)));
    EngineHarness& h = harness();
    frmSetup form(h.lineDevices(), [] {});
    const EngineOptions& shown = form.options();
    // Start-up reads the same options without the window.
    const EngineOptions loaded = LoadEngineOptions(DescribeLineDevices(h.lineDevices()));
    const bool mode1 = child<QRadioButton>(form, QStringLiteral("optMode_1"))->isChecked();
    fuzzsupport::check(mode1 == (shown.mode == 1), "mode shown differs from mode in use");
    fuzzsupport::check(shown.mode == loaded.mode, "start-up reads another mode");
    fuzzsupport::check(shown.blockUnknown == 0 || shown.blockUnknown == 1, "BlockUnknown");
    fuzzsupport::check(shown.blockUnknown ==
                           int(child<QCheckBox>(form, QStringLiteral("chkUnknown"))->isChecked()),
                       "BlockUnknown shown differs");
    fuzzsupport::check(shown.blockUnknown == loaded.blockUnknown,
                       "start-up reads another BlockUnknown");
    fuzzsupport::check(shown.minOnStart == 0 || shown.minOnStart == 1, "MinOnStart");
    fuzzsupport::check(shown.pin == child<QLineEdit>(form, QStringLiteral("txtPin"))->text(),
                       "PIN shown differs");
    fuzzsupport::check(shown.pin == loaded.pin, "start-up reads another PIN");
    for (int i = 2; i < 4; ++i) {
        const QCheckBox* box = child<QCheckBox>(form, QStringLiteral("Check1_%1").arg(i));
        fuzzsupport::check(!box->isChecked(), "unusable line chosen");
        fuzzsupport::check(!loaded.lines[size_t(i)].opens(), "unusable line opened");
        fuzzsupport::check(ReadSetting(QStringLiteral("Config"), QStringLiteral("Line%1").arg(i)) ==
                               stored[i],
                           "unusable line's stored choice changed");
    }
    return 0;
}
