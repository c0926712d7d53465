#include "shell/RunHushwire.h"

#include <QApplication>
#include <clocale>

int main(int argc, char** argv) {
    // The call log's time of day follows the user's locale.
    std::setlocale(LC_ALL, "");
    QApplication app(argc, argv);
    return RunHushwire(app);
}
