#include "rules/ui/frmRules.h"

#include "engine/Verdict.h"
#include "platform/MessageSeam.h"
#include "platform/time/Clock.h"
#include "rules/RuleFiles.h"
#include "rules/RuleSet.h"
#include "rules/VCardReader.h"
#include "rules/ui/frmRule.h"
#include "settings/OptionsStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
QString Title() {
    return QCoreApplication::translate("frmRules", "Screening Rules");
}

void Report(RuleEdit edit, const QString& message) {
    if (edit != RuleEdit::Done)
        ShowMessage(message, Title(),
                    edit == RuleEdit::Refused ? MessageIcon::Information : MessageIcon::Critical);
}
} // namespace

frmRules::frmRules(QString folder, const PhoneLists& lists, const Clock& clock, QWidget* parent)
    : QDialog(parent), m_folder(std::move(folder)), m_lists(lists), m_clock(clock) {
    setObjectName(QStringLiteral("frmRules"));
    setWindowTitle(Title());
    LoadScreeningOptions(m_options);
    auto* layout = new QVBoxLayout(this);
    m_table = new QTableWidget(0, 6, this);
    m_table->setObjectName(QStringLiteral("tblRules"));
    m_table->setHorizontalHeaderLabels({QCoreApplication::translate("frmRules", "Action"),
                                        QCoreApplication::translate("frmRules", "Field"),
                                        QCoreApplication::translate("frmRules", "Pattern"),
                                        QCoreApplication::translate("frmRules", "Label"),
                                        QCoreApplication::translate("frmRules", "Hits"),
                                        QCoreApplication::translate("frmRules", "Last hit")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->setVisible(false);
    layout->addWidget(m_table);

    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    connect(button("cmdAdd", QCoreApplication::translate("frmRules", "Add...")),
            &QPushButton::clicked, this, [this] { addRule(Rule{}); });
    connect(button("cmdEdit", QCoreApplication::translate("frmRules", "Edit...")),
            &QPushButton::clicked, this, [this] { editRule(m_table->currentRow()); });
    connect(button("cmdRemove", QCoreApplication::translate("frmRules", "Remove")),
            &QPushButton::clicked, this, [this] { removeRule(m_table->currentRow()); });
    connect(
        button("cmdImport", QCoreApplication::translate("frmRules", "Import Contacts...")),
        &QPushButton::clicked, this, [this] {
            const QString path = QFileDialog::getOpenFileName(
                this, QCoreApplication::translate("frmRules", "Import Contacts"), QString(),
                QCoreApplication::translate("frmRules", "Contacts (*.vcf *.vcard);;All files (*)"));
            if (!path.isEmpty())
                importContacts(path);
        });
    buttons->addStretch();
    connect(button("cmdClose", QCoreApplication::translate("frmRules", "Close")),
            &QPushButton::clicked, this, &QDialog::accept);
    layout->addLayout(buttons);

    auto* test = new QHBoxLayout;
    test->addWidget(new QLabel(QCoreApplication::translate("frmRules", "Test a caller:"), this));
    m_txtNumber = new QLineEdit(this);
    m_txtNumber->setObjectName(QStringLiteral("txtTestNumber"));
    m_txtNumber->setPlaceholderText(QCoreApplication::translate("frmRules", "number"));
    m_txtName = new QLineEdit(this);
    m_txtName->setObjectName(QStringLiteral("txtTestName"));
    m_txtName->setPlaceholderText(QCoreApplication::translate("frmRules", "name (optional)"));
    test->addWidget(m_txtNumber);
    test->addWidget(m_txtName);
    layout->addLayout(test);
    m_lblResult = new QLabel(this);
    m_lblResult->setObjectName(QStringLiteral("lblTestResult"));
    layout->addWidget(m_lblResult);
    connect(m_txtNumber, &QLineEdit::textChanged, this, &frmRules::updateTest);
    connect(m_txtName, &QLineEdit::textChanged, this, &frmRules::updateTest);
    resize(720, 420);
    reload();
}

void frmRules::reload() {
    RulesText text;
    QString error;
    if (!ReadRulesText(RulesPath(m_folder), &text, &error))
        ShowMessage(error, Title(), MessageIcon::Critical);
    const QHash<QString, RuleHit> hits = ReadRuleHits(RuleHitsPath(m_folder));
    const std::vector<Rule> rules = text.rules();
    m_table->setRowCount(int(rules.size()));
    for (int row = 0; row < int(rules.size()); ++row) {
        const Rule& rule = rules[size_t(row)];
        const RuleHit hit = hits.value(RuleHitKey(rule));
        const QStringList cells{ActionWord(rule.action),
                                FieldWord(rule.field),
                                rule.pattern,
                                rule.label,
                                QString::number(hit.count),
                                hit.last.isValid() ? hit.last.toString(Qt::ISODate) : QString()};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setData(Qt::UserRole, rule.line);
            m_table->setItem(row, column, item);
        }
    }
    updateTest();
}

int frmRules::lineOf(int row) const {
    const QTableWidgetItem* item = row >= 0 ? m_table->item(row, 0) : nullptr;
    return item ? item->data(Qt::UserRole).toInt() : 0;
}

void frmRules::addRule(const Rule& start) {
    AddRuleWithDialog(this, m_folder, start);
    reload();
}

void frmRules::editRule(int row) {
    const int line = lineOf(row);
    if (line == 0)
        return;
    RulesText text;
    ReadRulesText(RulesPath(m_folder), &text, nullptr);
    const Rule* current = text.ruleAt(line);
    if (!current)
        return reload();
    frmRule dialog(QCoreApplication::translate("frmRules", "Edit Rule"), *current, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QString message;
    Report(ReplaceRule(RulesPath(m_folder), line, dialog.rule(), &message), message);
    reload();
}

void frmRules::removeRule(int row) {
    const int line = lineOf(row);
    if (line == 0)
        return;
    QString message;
    Report(RemoveRule(RulesPath(m_folder), line, &message), message);
    reload();
}

void frmRules::importContacts(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowMessage(QCoreApplication::translate("frmRules", "%1 could not be read: %2")
                        .arg(path, file.errorString()),
                    Title(), MessageIcon::Critical);
        return;
    }
    int unusable = 0;
    const std::vector<Rule> rules = ContactAllowRules(file.read(64 << 20), &unusable);
    int added = 0;
    int skipped = 0;
    QString message;
    const RuleEdit edit = AllowNumbers(RulesPath(m_folder), rules, &added, &skipped, &message);
    if (edit == RuleEdit::Done)
        ShowMessage(QCoreApplication::translate("frmRules", "%1 added, %2 skipped")
                        .arg(added)
                        .arg(skipped + unusable),
                    Title(), MessageIcon::Information);
    else
        Report(edit, message);
    reload();
}

void frmRules::updateTest() {
    const QString number = m_txtNumber->text().trimmed();
    if (number.isEmpty() && m_txtName->text().trimmed().isEmpty()) {
        m_lblResult->clear();
        return;
    }
    RulesText text;
    ReadRulesText(RulesPath(m_folder), &text, nullptr);
    const RuleSet rules(text.rules());
    ScreenContext context;
    context.rules = &rules;
    context.timeOfDay = m_clock.now().time();
    const Screening s = ScreenVerdict(number.isEmpty() ? QStringLiteral("UNKNOWN") : number,
                                      m_txtName->text().trimmed(), m_lists, m_options, context);
    QString why = DeciderText(s.decider);
    if (s.rule >= 0) {
        const Rule& rule = rules.rules()[size_t(s.rule)];
        why = QCoreApplication::translate("frmRules", "rule %1: %2")
                  .arg(rule.line)
                  .arg(rule.describe());
    }
    m_lblResult->setText((s.verdict == Verdict::RingsOn
                              ? QCoreApplication::translate("frmRules", "rings")
                              : QCoreApplication::translate("frmRules", "blocked")) +
                         QStringLiteral(": ") + why);
}
