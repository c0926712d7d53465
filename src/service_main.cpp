#include "platform/Translations.h"
#include "service/CommandLine.h"
#include "service/RunService.h"

#include <QCoreApplication>
#include <clocale>

// The headless executable: the service (--service) and the command line. It links no widget
// library, so it runs where there is no display.
int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    QCoreApplication app(argc, argv);
    InstallTranslations(app);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.value(0) == QLatin1String("--service") && args.size() == 1)
        return RunService(app);
    return RunCommandLine(args);
}
