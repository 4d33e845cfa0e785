#include "register_session.h"

#include "storage/clock.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

RegisterSession::RegisterSession(const QString &dir, const QString &iniPath, QObject *parent)
    : QObject(parent), Store(dir), Register(Store), IniPath(iniPath)
{
    IdleCheck = new QTimer(this);
    IdleCheck->setObjectName(QStringLiteral("registerIdleCheck"));
    IdleCheck->setInterval(5000);
    connect(IdleCheck, &QTimer::timeout, this, &RegisterSession::lockIfIdle);
}

RegisterSession::~RegisterSession()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool RegisterSession::unlock(const QByteArray &passphrase, QString *error)
{
    if (!Register.unlock(passphrase, error))
        return false;
    opened();
    return true;
}

bool RegisterSession::unlockWithRecoveryKey(const QString &recoveryKey, QString *error)
{
    if (!Register.unlockWithRecoveryKey(recoveryKey, error))
        return false;
    opened();
    return true;
}

bool RegisterSession::create(const QByteArray &passphrase, QString *recoveryKey, QString *error)
{
    if (!Register.create(passphrase, recoveryKey, error))
        return false;
    opened();
    return true;
}

void RegisterSession::opened()
{
    LastActivity = Clock::now();
    // Any key or click anywhere in the program counts as the clerk at work.
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
    IdleCheck->start();
    emit lockedChanged(true);
}

void RegisterSession::lock()
{
    if (!Register.isUnlocked())
        return;
    emit aboutToLock();
    Register.lock();
    IdleCheck->stop();
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeEventFilter(this);
    emit lockedChanged(false);
}

void RegisterSession::touch() { LastActivity = Clock::now(); }

bool RegisterSession::lockIfIdle()
{
    if (!Register.isUnlocked())
        return false;
    const qint64 idle = LastActivity.secsTo(Clock::now());
    if (idle < qint64(settings().lockMinutes) * 60)
        return false;
    lock();
    return true;
}

bool RegisterSession::eventFilter(QObject *watched, QEvent *e)
{
    switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::InputMethod:
        touch();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, e);
}
