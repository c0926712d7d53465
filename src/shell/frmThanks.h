#pragma once

#include <QDialog>

// "Special Thanks To ...": fixed texts only.
class frmThanks : public QDialog {
    Q_OBJECT
public:
    explicit frmThanks(QWidget* parent = nullptr);
};
