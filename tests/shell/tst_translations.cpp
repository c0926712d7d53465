// The windows' texts under the user's language: the test runs itself again with LANG set, and
// the copy dumps every text of a set of windows. Under de_DE they are German (the translation
// ships and is loaded); under C every text is byte for byte the English source, as a process
// that loads no translation at all shows it.
#include "calllog/ui/frmStats.h"
#include "platform/Translations.h"
#include "service/CommandLine.h"
#include "settings/ui/frmSetup.h"
#include "shell/frmAbout.h"
#include "shell/frmMain.h"
#include "shell/frmThanks.h"
#include "support/TestFolders.h"

#include <QAction>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Every text a user can see in the window: titles, captions, labels, tool tips, menu items.
QStringList WindowTexts(QWidget& window) {
    QStringList texts;
    const QList<QObject*> objects = QList<QObject*>{&window} + window.findChildren<QObject*>();
    for (QObject* object : objects) {
        for (const char* property :
             {"windowTitle", "title", "text", "toolTip", "placeholderText"}) {
            const QVariant value = object->property(property);
            if (value.isValid() && !value.toString().isEmpty())
                texts << QStringLiteral("%1 %2.%3=%4")
                             .arg(QLatin1String(object->metaObject()->className()),
                                  object->objectName(), QLatin1String(property), value.toString());
        }
    }
    return texts;
}

QStringList AllTexts() {
    frmMain main;
    frmAbout about;
    frmThanks thanks;
    DeviceDescriptions none{};
    frmSetup setup([none] { return none; }, [] {});
    setup.Load();
    frmStats stats(CallStats{});
    QStringList texts;
    for (QWidget* window : {static_cast<QWidget*>(&main), static_cast<QWidget*>(&about),
                            static_cast<QWidget*>(&thanks), static_cast<QWidget*>(&setup),
                            static_cast<QWidget*>(&stats)})
        texts += WindowTexts(*window);
    texts += CommandLineHelp().split(QLatin1Char('\n'));
    return texts;
}
} // namespace

class TestTranslations : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void germanWindowsAreGerman();
    void withoutALanguageEveryTextIsEnglish();
    void dump();

private:
    QStringList textsUnder(const QString& lang);
    QTemporaryDir m_dir;
};

void TestTranslations::initTestCase() {
    UseFoldersUnder(m_dir.path());
}

QStringList TestTranslations::textsUnder(const QString& lang) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("LANG"), lang);
    env.insert(QStringLiteral("HW_DUMP_TEXTS"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("dump")});
    if (!child.waitForFinished(60000) || child.exitCode() != 0)
        return {};
    const QString out = QString::fromUtf8(child.readAllStandardOutput());
    const qsizetype begin = out.indexOf(QLatin1String("<<<\n"));
    const qsizetype end = out.indexOf(QLatin1String("\n>>>"));
    if (begin < 0 || end < 0)
        return {};
    return out.mid(begin + 4, end - begin - 4).split(QLatin1Char('\n'));
}

void TestTranslations::germanWindowsAreGerman() {
    const QStringList german = textsUnder(QStringLiteral("de_DE.UTF-8"));
    QVERIFY(!german.isEmpty());
    QVERIFY(german.contains(QStringLiteral("QMenu mnuLogs.title=Protokolle")));
    QVERIFY(
        german.contains(QStringLiteral("QCheckBox chkNotify.text=Für jeden gesperrten Anruf eine "
                                       "Benachrichtigung zeigen")));
    QVERIFY(german.contains(QStringLiteral("Aufruf: hushwire [Befehl]")));
}

void TestTranslations::withoutALanguageEveryTextIsEnglish() {
    const QStringList english = AllTexts(); // no translation is loaded in this process
    QVERIFY(english.contains(QStringLiteral("QMenu mnuLogs.title=Logs")));
    QCOMPARE(textsUnder(QStringLiteral("C")), english);
}

void TestTranslations::dump() {
    if (qgetenv("HW_DUMP_TEXTS").isEmpty())
        QSKIP("run by the other tests under a chosen language");
    InstallTranslations(*QCoreApplication::instance());
    std::fprintf(stdout, "<<<\n%s\n>>>\n", AllTexts().join(QLatin1Char('\n')).toUtf8().constData());
    std::fflush(stdout);
}

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
