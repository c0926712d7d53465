#include "telephony/sip/SipSecrets.h"

#include <qt6keychain/keychain.h>

namespace {

const QString kService = QStringLiteral("Hushwire SIP");

QString keyOf(int group) {
    return QStringLiteral("Sip%1").arg(group);
}

// A job that never falls back to a plain file, and deletes itself once finished.
template <typename Job> Job* makeJob(QObject* parent, int group) {
    auto* job = new Job(kService, parent);
    job->setInsecureFallback(false);
    job->setAutoDelete(true);
    job->setKey(keyOf(group));
    return job;
}

} // namespace

SipSecrets::SipSecrets(QObject* parent) : QObject(parent) {}

void SipSecrets::storeFailed(const QString& reason) {
    m_status = QStringLiteral("No secret store answered (%1), so SIP passwords are kept only "
                              "until Hushwire ends and will be asked for again.")
                   .arg(reason);
}

void SipSecrets::read(int group, std::function<void(Where, const QString&)> done) {
    auto* job = makeJob<QKeychain::ReadPasswordJob>(this, group);
    connect(job, &QKeychain::Job::finished, this, [this, job, group, done](QKeychain::Job*) {
        if (job->error() == QKeychain::NoError) {
            done(Where::SecretStore, job->textData());
            return;
        }
        if (job->error() != QKeychain::EntryNotFound)
            storeFailed(job->errorString());
        const auto it = m_session.constFind(group);
        if (it != m_session.constEnd())
            done(Where::Session, *it);
        else
            done(Where::Nowhere, {});
    });
    job->start();
}

void SipSecrets::write(int group, const QString& password, std::function<void(Where)> done) {
    auto* job = makeJob<QKeychain::WritePasswordJob>(this, group);
    job->setTextData(password);
    connect(job, &QKeychain::Job::finished, this,
            [this, job, group, password, done](QKeychain::Job*) {
                Where where = Where::SecretStore;
                if (job->error() == QKeychain::NoError) {
                    m_session.remove(group);
                } else {
                    storeFailed(job->errorString());
                    m_session.insert(group, password);
                    where = Where::Session;
                }
                if (done)
                    done(where);
            });
    job->start();
}

void SipSecrets::remove(int group, std::function<void()> done) {
    m_session.remove(group);
    auto* job = makeJob<QKeychain::DeletePasswordJob>(this, group);
    connect(job, &QKeychain::Job::finished, this, [done](QKeychain::Job*) {
        if (done)
            done();
    });
    job->start();
}
