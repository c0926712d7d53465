#include "rules/ui/frmRule.h"

#include "platform/MessageSeam.h"
#include "rules/RuleFiles.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

frmRule::frmRule(const QString& title, const Rule& start, QWidget* parent)
    : QDialog(parent), m_rule(start) {
    setObjectName(QStringLiteral("frmRule"));
    setWindowTitle(title);
    auto* form = new QFormLayout(this);
    m_cboAction = new QComboBox(this);
    m_cboAction->setObjectName(QStringLiteral("cboAction"));
    m_cboAction->addItems({ActionWord(RuleAction::Block), ActionWord(RuleAction::Allow)});
    m_cboAction->setCurrentIndex(start.action == RuleAction::Block ? 0 : 1);
    m_cboField = new QComboBox(this);
    m_cboField->setObjectName(QStringLiteral("cboField"));
    m_cboField->addItems({FieldWord(RuleField::Number), FieldWord(RuleField::Name)});
    m_cboField->setCurrentIndex(start.field == RuleField::Number ? 0 : 1);
    m_txtPattern = new QLineEdit(start.pattern, this);
    m_txtPattern->setObjectName(QStringLiteral("txtPattern"));
    m_txtPattern->setPlaceholderText(QStringLiteral("800*, 555123????, \"SPAM RISK*\", re:..."));
    m_txtLabel = new QLineEdit(start.label, this);
    m_txtLabel->setObjectName(QStringLiteral("txtLabel"));
    form->addRow(QCoreApplication::translate("frmRule", "Action"), m_cboAction);
    form->addRow(QCoreApplication::translate("frmRule", "Field"), m_cboField);
    form->addRow(QCoreApplication::translate("frmRule", "Pattern"), m_txtPattern);
    form->addRow(QCoreApplication::translate("frmRule", "Label"), m_txtLabel);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &frmRule::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmRule::reject);
    form->addRow(buttons);
}

bool AddRuleWithDialog(QWidget* parent, const QString& folder, const Rule& start) {
    frmRule dialog(QCoreApplication::translate("frmRule", "Add Rule"), start, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QString message;
    const RuleEdit edit = AddRule(RulesPath(folder), dialog.rule(), &message);
    if (edit != RuleEdit::Done)
        ShowMessage(message, dialog.windowTitle(),
                    edit == RuleEdit::Refused ? MessageIcon::Information : MessageIcon::Critical);
    return edit == RuleEdit::Done;
}

void frmRule::accept() {
    const ParsedRule parsed =
        MakeRule(m_cboAction->currentIndex() == 0 ? RuleAction::Block : RuleAction::Allow,
                 m_cboField->currentIndex() == 0 ? RuleField::Number : RuleField::Name,
                 m_txtPattern->text(), m_txtLabel->text());
    if (!parsed.rule) {
        ShowMessage(parsed.error, windowTitle(), MessageIcon::Information);
        return;
    }
    m_rule = *parsed.rule;
    QDialog::accept();
}
