#pragma once

#include "rules/Rule.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

// Adds or edits one screening rule: action, field, pattern and label. OK is taken only for a
// pattern that reads as a rule; otherwise the reason is shown and the dialog stays open.
class frmRule : public QDialog {
    Q_OBJECT
public:
    explicit frmRule(const QString& title, const Rule& start, QWidget* parent = nullptr);
    // The rule as entered, once the dialog was accepted.
    const Rule& rule() const { return m_rule; }

    void accept() override;

private:
    QComboBox* m_cboAction = nullptr;
    QComboBox* m_cboField = nullptr;
    QLineEdit* m_txtPattern = nullptr;
    QLineEdit* m_txtLabel = nullptr;
    Rule m_rule;
};
