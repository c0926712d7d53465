#pragma once

#include <QDialog>

// "About Hushwire": title, version, the maker's web address and the support e-mail address.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
};
