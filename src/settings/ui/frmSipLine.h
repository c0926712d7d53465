#pragma once

#include "telephony/sip/SipLineConfig.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

// One SIP line's settings, to add a line or to edit one: the account to register (or none, to
// listen for a PBX or an adapter), where to listen, who may call, the transport, the
// authentication user, the proxy, the number rewrite, where a caller who keys the PIN is put
// through, and the password. OK is taken only when
// the values are usable; otherwise the user is told what is wrong and the dialog stays open.
class frmSipLine : public QDialog {
    Q_OBJECT
public:
    // config: the line as it is (group set); adding: a new line, so no password is on record.
    frmSipLine(const SipLineConfig& config, bool adding, QWidget* parent = nullptr);

    // The values as entered, for the config's group, without the password.
    SipLineConfig config() const;
    // The password entered; empty leaves the stored one as it is.
    QString password() const;

    void accept() override;

private:
    int m_group = 1;
    QLineEdit* m_txtAccount = nullptr;
    QLineEdit* m_txtListen = nullptr;
    QLineEdit* m_txtAllow = nullptr;
    QComboBox* m_cboTransport = nullptr;
    QLineEdit* m_txtAuthUser = nullptr;
    QLineEdit* m_txtProxy = nullptr;
    QLineEdit* m_txtRewrite = nullptr;
    QLineEdit* m_txtTransfer = nullptr;
    QLineEdit* m_txtPassword = nullptr;
};
