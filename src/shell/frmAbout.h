#pragma once

#include <QDialog>

// "About Hushwire": title, version, a link to the help page, the author and the licence.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
};
