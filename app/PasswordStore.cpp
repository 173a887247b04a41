#include "PasswordStore.h"

#include <qt5keychain/keychain.h>

namespace {
const QString k_service = QStringLiteral("Quorvex venue");
} // namespace

void PasswordStore::read(const QString &key, ReadDone done)
{
    auto *job = new QKeychain::ReadPasswordJob(k_service, this);
    job->setKey(key);
    connect(job, &QKeychain::Job::finished, this, [done](QKeychain::Job *finished) {
        auto *reading = static_cast<QKeychain::ReadPasswordJob *>(finished);
        if (reading->error() == QKeychain::NoError)
            done(reading->textData(), QString());
        else if (reading->error() == QKeychain::EntryNotFound)
            done(QString(), QString());
        else
            done(QString(), reading->errorString());
    });
    job->start();
}

void PasswordStore::write(const QString &key, const QString &password, WriteDone done)
{
    auto *job = new QKeychain::WritePasswordJob(k_service, this);
    job->setKey(key);
    job->setTextData(password);
    connect(job, &QKeychain::Job::finished, this, [done](QKeychain::Job *finished) {
        done(finished->error() == QKeychain::NoError ? QString() : finished->errorString());
    });
    job->start();
}
