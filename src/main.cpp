#include "service/HeadlessLaunch.h"
#include "shell/RunHushwire.h"

#include <QApplication>
#include <clocale>

int main(int argc, char** argv) {
    // The call log's time of day follows the user's locale.
    // The service and the command line run without a display, in their own executable.
    if (argc > 1 && IsHeadlessCommand(argv[1]))
        return ExecHeadless(argv);
    std::setlocale(LC_ALL, "");
    QApplication app(argc, argv);
    return RunHushwire(app);
}
