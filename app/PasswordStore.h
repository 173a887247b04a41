#pragma once

#include <QObject>
#include <functional>

// Passwords in the desktop's key store (the Secret Service or KWallet, through QtKeychain),
// never in a file of the program's. Reading and writing take their time (the store may ask the
// user to unlock it); the answer comes through the callback, on this object's thread. A desktop
// without a key store answers with an error, and the password is then asked for each time.
// Tests replace the store with one of their own.
class PasswordStore : public QObject
{
    Q_OBJECT

public:
    using ReadDone = std::function<void(const QString &password, const QString &error)>;
    using WriteDone = std::function<void(const QString &error)>;

    using QObject::QObject;

    virtual void read(const QString &key, ReadDone done);
    virtual void write(const QString &key, const QString &password, WriteDone done);
};
