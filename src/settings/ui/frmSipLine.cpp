#include "settings/ui/frmSipLine.h"

#include "platform/MessageSeam.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmSipLine::frmSipLine(const SipLineConfig& config, bool adding, QWidget* parent)
    : QDialog(parent), m_group(config.group) {
    setObjectName(QStringLiteral("frmSipLine"));
    setWindowTitle(adding ? QCoreApplication::translate("frmSipLine", "Add SIP Line")
                          : QCoreApplication::translate("frmSipLine", "Edit SIP Line"));
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
        field("txtAccount", QCoreApplication::translate("frmSipLine", "Account"), config.account,
              QCoreApplication::translate(
                  "frmSipLine", "sip:alice@sip.example.net; empty to listen for a PBX or adapter"));
    m_txtListen = field("txtListen", QCoreApplication::translate("frmSipLine", "Listen"),
                        config.listen, QStringLiteral("0.0.0.0:5060"));
    m_txtAllow =
        field("txtAllow", QCoreApplication::translate("frmSipLine", "Allow"),
              config.allow.join(QStringLiteral(", ")), QStringLiteral("192.168.1.10, 10.0.0.0/24"));
    m_cboTransport = new QComboBox;
    m_cboTransport->setObjectName(QStringLiteral("cboTransport"));
    m_cboTransport->addItems({QStringLiteral("udp"), QStringLiteral("tcp"), QStringLiteral("tls")});
    m_cboTransport->setCurrentText(config.transport.toLower());
    form->addRow(QCoreApplication::translate("frmSipLine", "Transport"), m_cboTransport);
    m_txtAuthUser =
        field("txtAuthUser", QCoreApplication::translate("frmSipLine", "AuthUser"), config.authUser,
              QCoreApplication::translate("frmSipLine", "when it differs from the account"));
    m_txtProxy = field("txtProxy", QCoreApplication::translate("frmSipLine", "Proxy"), config.proxy,
                       QStringLiteral("optional"));
    m_txtRewrite = field("txtRewrite", QCoreApplication::translate("frmSipLine", "Rewrite"),
                         config.rewrite, QCoreApplication::translate("frmSipLine", "+1: or +44:0"));
    m_txtTransfer = field(
        "txtTransfer", QCoreApplication::translate("frmSipLine", "Transfer"), config.transfer,
        QCoreApplication::translate(
            "frmSipLine", "sip:600@pbx.example.net; where a caller with the PIN is put through"));
    // The password goes to the secret store only; an edit shows none.
    m_txtPassword =
        field("txtPassword", QCoreApplication::translate("frmSipLine", "Password"), QString(),
              adding ? QString()
                     : QCoreApplication::translate("frmSipLine",
                                                   "leave empty to keep the stored password"));
    m_txtPassword->setEchoMode(QLineEdit::Password);

    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = buttons->addButton(QCoreApplication::translate("frmSipLine", "OK"),
                                         QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("cmdOK"));
    QPushButton* cancel = buttons->addButton(QCoreApplication::translate("frmSipLine", "Cancel"),
                                             QDialogButtonBox::RejectRole);
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
