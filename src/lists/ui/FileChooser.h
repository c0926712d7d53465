#pragma once

#include <QString>
#include <functional>

class QWidget;

// Choosing a file to open goes through ChooseFileToOpen, so that tests can answer the question
// without a modal file dialog. The chooser returns the chosen path, or an empty text when the user
// cancelled.
using OpenFileChooser = std::function<QString(QWidget* owner, const QString& title,
                                              const QString& folder, const QString& filter)>;

// Shows the desktop's open-file dialog (QFileDialog) unless a chooser is installed.
QString ChooseFileToOpen(QWidget* owner, const QString& title, const QString& folder,
                         const QString& filter);

// Installs a chooser in place of the dialog (an empty one restores the dialog); returns the
// previous chooser.
OpenFileChooser InstallOpenFileChooser(OpenFileChooser chooser);
