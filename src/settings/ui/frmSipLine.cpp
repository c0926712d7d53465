#include "settings/ui/frmSipLine.h"

#include "platform/MessageSeam.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmSipLine::frmSipLine(const SipLineConfig& config, bool adding, QWidget* parent)
    : QDialog(parent), m_group(config.group) {
    setObjectName(QStringLiteral("frmSipLine"));
    setWindowTitle(adding ? QStringLiteral("Add SIP Line") : QStringLiteral("Edit SIP Line"));
    auto* form = new QFormLayout;
    const auto field = [form](const char* objectName, const QString& label, const QString& value,
                              const QString& hint) {
        auto* edit = new QLineEdit(value);
        edit->setObjectName(QLatin1String(objectName));
        edit->setPlaceholderText(hint);
        edit->setMinimumWidth(320);
        form->addRow(label, edit);
        return edit;
    };
    m_txtAccount =
        field("txtAccount", QStringLiteral("Account"), config.account,
              QStringLiteral("sip:alice@sip.example.net; empty to listen for a PBX or adapter"));
    m_txtListen =
        field("txtListen", QStringLiteral("Listen"), config.listen, QStringLiteral("0.0.0.0:5060"));
    m_txtAllow = field("txtAllow", QStringLiteral("Allow"), config.allow.join(QStringLiteral(", ")),
                       QStringLiteral("192.168.1.10, 10.0.0.0/24"));
    m_cboTransport = new QComboBox;
    m_cboTransport->setObjectName(QStringLiteral("cboTransport"));
    m_cboTransport->addItems({QStringLiteral("udp"), QStringLiteral("tcp"), QStringLiteral("tls")});
    m_cboTransport->setCurrentText(config.transport.toLower());
    form->addRow(QStringLiteral("Transport"), m_cboTransport);
    m_txtAuthUser = field("txtAuthUser", QStringLiteral("AuthUser"), config.authUser,
                          QStringLiteral("when it differs from the account"));
    m_txtProxy =
        field("txtProxy", QStringLiteral("Proxy"), config.proxy, QStringLiteral("optional"));
    m_txtRewrite = field("txtRewrite", QStringLiteral("Rewrite"), config.rewrite,
                         QStringLiteral("+1: or +44:0"));
    m_txtTransfer = field(
        "txtTransfer", QStringLiteral("Transfer"), config.transfer,
        QStringLiteral("sip:600@pbx.example.net; where a caller with the PIN is put through"));
    // The password goes to the secret store only; an edit shows none.
    m_txtPassword =
        field("txtPassword", QStringLiteral("Password"), QString(),
              adding ? QString() : QStringLiteral("leave empty to keep the stored password"));
    m_txtPassword->setEchoMode(QLineEdit::Password);

    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("cmdOK"));
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &frmSipLine::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmSipLine::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

SipLineConfig frmSipLine::config() const {
    SipLineConfig c;
    c.group = m_group;
    c.account = m_txtAccount->text().trimmed();
    c.listen = m_txtListen->text().trimmed();
    for (const QString& part : m_txtAllow->text().split(QLatin1Char(','))) {
        if (!part.trimmed().isEmpty())
            c.allow.append(part.trimmed());
    }
    c.transport = m_cboTransport->currentText();
    c.authUser = m_txtAuthUser->text().trimmed();
    c.proxy = m_txtProxy->text().trimmed();
    c.rewrite = m_txtRewrite->text().trimmed();
    c.transfer = m_txtTransfer->text().trimmed();
    return c;
}

QString frmSipLine::password() const {
    return m_txtPassword->text();
}

void frmSipLine::accept() {
    const QStringList problems = config().problems();
    if (!problems.isEmpty()) {
        ShowMessage(problems.join(QLatin1Char('\n')), AppTitle(), MessageIcon::Warning);
        return;
    }
    QDialog::accept();
}
