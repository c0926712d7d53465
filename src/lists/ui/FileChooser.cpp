#include "lists/ui/FileChooser.h"

#include <QFileDialog>

namespace {
OpenFileChooser& currentChooser() {
    static OpenFileChooser chooser;
    return chooser;
}
} // namespace

QString ChooseFileToOpen(QWidget* owner, const QString& title, const QString& folder,
                         const QString& filter) {
    const OpenFileChooser& chooser = currentChooser();
    if (chooser)
        return chooser(owner, title, folder, filter);
    return QFileDialog::getOpenFileName(owner, title, folder, filter);
}

OpenFileChooser InstallOpenFileChooser(OpenFileChooser chooser) {
    OpenFileChooser previous = std::move(currentChooser());
    currentChooser() = std::move(chooser);
    return previous;
}
