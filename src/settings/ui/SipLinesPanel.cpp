#include "settings/ui/SipLinesPanel.h"

#include "platform/MessageSeam.h"
#include "settings/ui/frmSipLine.h"
#include "telephony/sip/SipSecrets.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kNote = QCoreApplication::translate(
    "SipLinesPanel", "SIP lines follow the modems in the list above and take "
                     "calls from the next start.");

QString describe(const SipLineConfig& line) {
    const QString name = QCoreApplication::translate("SipLinesPanel", "Sip%1  ").arg(line.group);
    if (!line.isListening())
        return name + line.account + QStringLiteral("  (") + line.transport + QLatin1Char(')');
    return name + QCoreApplication::translate("SipLinesPanel", "listening on ") +
           line.listenOrDefault() + QCoreApplication::translate("SipLinesPanel", " for ") +
           line.allow.join(QStringLiteral(", "));
}

} // namespace

SipLinesPanel::SipLinesPanel(QString settingsFile, QWidget* parent)
    : QGroupBox(QCoreApplication::translate("SipLinesPanel", "SIP Lines"), parent),
      m_settingsFile(std::move(settingsFile)), m_secrets(new SipSecrets(this)) {
    setObjectName(QStringLiteral("fraSip"));
    m_lstSip = new QListWidget;
    m_lstSip->setObjectName(QStringLiteral("lstSip"));
    m_lstSip->setMaximumHeight(80);
    const auto button = [this](const char* objectName, const QString& text,
                               void (SipLinesPanel::*slot)()) {
        auto* b = new QPushButton(text);
        b->setObjectName(QLatin1String(objectName));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(button("cmdSipAdd", QCoreApplication::translate("SipLinesPanel", "Add..."),
                              &SipLinesPanel::addLine));
    buttons->addWidget(button("cmdSipEdit", QCoreApplication::translate("SipLinesPanel", "Edit..."),
                              &SipLinesPanel::editLine));
    buttons->addWidget(button("cmdSipRemove",
                              QCoreApplication::translate("SipLinesPanel", "Remove"),
                              &SipLinesPanel::removeLine));
    buttons->addStretch();
    connect(m_lstSip, &QListWidget::itemDoubleClicked, this, &SipLinesPanel::editLine);
    m_lblSipNote = new QLabel(kNote);
    m_lblSipNote->setObjectName(QStringLiteral("lblSipNote"));
    m_lblSipNote->setWordWrap(true);

    auto* row = new QHBoxLayout;
    row->addWidget(m_lstSip, 1);
    row->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(m_lblSipNote);
    reload();
}

SipLinesPanel::~SipLinesPanel() = default;

void SipLinesPanel::reload() {
    m_lines = ReadSipLines(m_settingsFile);
    m_lstSip->clear();
    for (const SipLineConfig& line : m_lines)
        m_lstSip->addItem(describe(line));
    if (!m_lines.isEmpty())
        m_lstSip->setCurrentRow(0);
}

void SipLinesPanel::addLine() {
    QList<int> used;
    for (const SipLineConfig& line : m_lines)
        used.append(line.group);
    for (int group = 1; group <= kMaxSipLines; ++group) {
        if (used.contains(group))
            continue;
        SipLineConfig line;
        line.group = group;
        runDialog(line, true);
        return;
    }
    ShowMessage(QCoreApplication::translate("SipLinesPanel",
                                            "There is room for %1 SIP lines; remove one first.")
                    .arg(kMaxSipLines),
                AppTitle(), MessageIcon::Information);
}

void SipLinesPanel::editLine() {
    const int row = m_lstSip->currentRow();
    if (row >= 0 && row < m_lines.size())
        runDialog(m_lines[row], false);
}

void SipLinesPanel::removeLine() {
    const int row = m_lstSip->currentRow();
    if (row < 0 || row >= m_lines.size())
        return;
    const int group = m_lines[row].group;
    QString error;
    if (!RemoveSipLine(m_settingsFile, group, &error)) {
        ShowMessage(error, AppTitle(), MessageIcon::Critical);
        return;
    }
    m_secrets->remove(group);
    reload();
}

void SipLinesPanel::runDialog(const SipLineConfig& line, bool adding) {
    frmSipLine dialog(line, adding, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QString error;
    if (!WriteSipLine(m_settingsFile, dialog.config(), &error)) {
        ShowMessage(error, AppTitle(), MessageIcon::Critical);
        return;
    }
    if (!dialog.password().isEmpty())
        storePassword(line.group, dialog.password());
    reload();
}

void SipLinesPanel::storePassword(int group, const QString& password) {
    m_secrets->write(group, password, [this](SipSecrets::Where where) {
        // No secret store: the password cannot outlive this run, and the next start asks.
        if (where == SipSecrets::Where::Session)
            m_lblSipNote->setText(kNote + QLatin1Char(' ') + m_secrets->statusText());
    });
}
