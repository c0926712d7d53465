#pragma once

#include "settings/EngineOptions.h"

#include <QDialog>

class Clock;
class PhoneLists;
class QLabel;
class QLineEdit;
class QTableWidget;
struct Rule;

// Setup > Screening Rules...: the rules of rules.txt in a table (action, field, pattern, label,
// hits, last hit), Add, Edit, Remove, Import Contacts..., and a test box that shows the verdict
// and what decided it as the user types a number (and name). Every change goes to the file
// under its lock; the table is read again from the file after it.
class frmRules : public QDialog {
    Q_OBJECT
public:
    frmRules(QString folder, const PhoneLists& lists, const Clock& clock,
             QWidget* parent = nullptr);

    // Adds the rule as the Add button does, after the dialog (pre-filled with start) was
    // accepted; used by the call log's menu too.
    void addRule(const Rule& start);
    void editRule(int row);
    void removeRule(int row);
    void importContacts(const QString& path);

private:
    void reload();
    void updateTest();
    // The rule's line in rules.txt, for a table row; 0 for none.
    int lineOf(int row) const;

    QString m_folder;
    const PhoneLists& m_lists;
    const Clock& m_clock;
    EngineOptions m_options;
    QTableWidget* m_table = nullptr;
    QLineEdit* m_txtNumber = nullptr;
    QLineEdit* m_txtName = nullptr;
    QLabel* m_lblResult = nullptr;
};
