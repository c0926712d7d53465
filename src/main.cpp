#include "platform/Translations.h"
#include "service/HeadlessLaunch.h"
#include "shell/RunHushwire.h"

#include <QApplication>
#include <clocale>

int main(int argc, char** argv) {
    // The service and the command line run without a display, in their own executable; so do
    // --version, --help and the refusal of a command or option the program does not know.
    if (IsHeadlessCommand(argc, argv))
        return ExecHeadless(argv);
    if (!HasDisplay(argc, argv))
        return ReportNoDisplay();
    // The call log's time of day follows the user's locale.
    std::setlocale(LC_ALL, "");
    QApplication app(argc, argv);
    InstallTranslations(app);
    return RunHushwire(app);
}
