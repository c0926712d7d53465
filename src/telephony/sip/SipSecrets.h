#pragma once

#include <QMap>
#include <QObject>
#include <QString>

#include <functional>

// The passwords of SIP lines, kept in the desktop's secret store (Secret Service or KWallet)
// under the line's group name, never in a settings file. Where no secret store answers, a
// password is kept in memory until the program ends, and statusText() says so for the user.
// Every answer comes later, on this object's thread.
class SipSecrets : public QObject {
    Q_OBJECT
public:
    enum class Where { SecretStore, Session, Nowhere };

    explicit SipSecrets(QObject* parent = nullptr);

    // The password of line group n: where it was found (Nowhere: not known) and its text.
    void read(int group, std::function<void(Where, const QString&)> done);
    // Stores the password: in the secret store, else for this session only.
    void write(int group, const QString& password, std::function<void(Where)> done = {});
    // Forgets the password everywhere.
    void remove(int group, std::function<void()> done = {});

    // Empty while the secret store works; else a sentence saying passwords last this session.
    QString statusText() const { return m_status; }

private:
    void storeFailed(const QString& reason);

    QMap<int, QString> m_session;
    QString m_status;
};
