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

// Shows the rule dialog pre-filled with start and adds what was accepted to the rules file of
// the folder; a refusal or failure is shown in a message box. True when a rule was added.
bool AddRuleWithDialog(QWidget* parent, const QString& folder, const Rule& start);
