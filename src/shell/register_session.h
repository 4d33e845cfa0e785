#pragma once
// RegisterSession: the guest register of one run of the program, held by the
// front desk. It starts locked; billing never needs it. Unlocked with the
// pass phrase (or the recovery key), it stays open until the clerk locks it
// or nobody has touched the program for the [Register] setting's minutes.
// Windows showing its data close when it locks (they follow locked()).

#include "register/guest_register.h"
#include "register/register_settings.h"
#include "register/register_store.h"

#include <QDateTime>
#include <QObject>
#include <QString>

class QTimer;

class RegisterSession : public QObject {
    Q_OBJECT
public:
    // The register in the data folder dir (ending in "/"), its settings in iniPath.
    RegisterSession(const QString &dir, const QString &iniPath, QObject *parent = nullptr);
    ~RegisterSession() override;

    GuestRegister &reg() { return Register; }
    bool exists() const { return Register.exists(); }
    bool isUnlocked() const { return Register.isUnlocked(); }
    RegisterSettings settings() const { return readRegisterSettings(IniPath); }

    bool unlock(const QByteArray &passphrase, QString *error);
    bool unlockWithRecoveryKey(const QString &recoveryKey, QString *error);
    // Makes the register (none may exist yet) and leaves it unlocked.
    bool create(const QByteArray &passphrase, QString *recoveryKey, QString *error);
    // Locks now: every window showing the register saves and closes first.
    void lock();

    // The clerk did something: the idle time starts again.
    void touch();
    // Locks when the register has been idle for the setting's minutes (by the
    // program's clock); a timer asks every few seconds. True when it locked.
    bool lockIfIdle();

    // Whether the offer to delete entries past their keeping has been made in this run.
    bool retentionOffered() const { return RetentionOffered; }
    void setRetentionOffered() { RetentionOffered = true; }

signals:
    // Just before the register locks: windows save what they hold and close.
    void aboutToLock();
    void lockedChanged(bool unlocked);

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void opened();

    RegisterFileStore Store;
    GuestRegister Register;
    QString IniPath;
    QDateTime LastActivity;
    QTimer *IdleCheck = nullptr;
    bool RetentionOffered = false;
};
