#pragma once
// A PostgreSQL server of the test's own: initdb and pg_ctl in a temporary
// folder, listening only on a Unix socket there, run as the postgres user
// when the test runs as root. One server per test program; each test takes
// a fresh database of it.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <libpq-fe.h>

#include <algorithm>
#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

class PgServer {
public:
    // The server's programs, newest version first; empty when not installed.
    static QString binDir()
    {
        QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        std::sort(versions.begin(), versions.end(), [](const QString &a, const QString &b) { return a.toInt() > b.toInt(); });
        for (const QString &v : versions) {
            const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(v);
            if (QFile::exists(bin + QStringLiteral("/initdb")) && QFile::exists(bin + QStringLiteral("/pg_ctl")))
                return bin;
        }
        return {};
    }

    // The one server of this test program, started on first use; null (with
    // why) when it cannot run here.
    static PgServer *shared(QString *why)
    {
        static PgServer server;
        static QString failure = server.start();
        if (!failure.isEmpty()) {
            *why = failure;
            return nullptr;
        }
        return &server;
    }

    ~PgServer() { stop(); }

    QString socketDir() const { return dir.path() + QStringLiteral("/sock"); }
    QString connection(const QString &db) const
    {
        return QStringLiteral("host=%1 port=5432 user=postgres dbname=%2").arg(socketDir(), db);
    }

    // A new empty database; its connection string.
    QString newDatabase()
    {
        const QString name = QStringLiteral("t%1").arg(++databases);
        exec(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE %1").arg(name));
        return connection(name);
    }

    // Runs sql; the first column of the first row, or the error.
    static QString query(const QString &conninfo, const QString &sql)
    {
        PGconn *c = PQconnectdb(conninfo.toUtf8().constData());
        QString out;
        if (PQstatus(c) != CONNECTION_OK) {
            out = QStringLiteral("error: ") + QString::fromUtf8(PQerrorMessage(c));
        } else {
            PGresult *r = PQexec(c, sql.toUtf8().constData());
            if (PQresultStatus(r) == PGRES_TUPLES_OK)
                out = PQntuples(r) > 0 ? QString::fromUtf8(PQgetvalue(r, 0, 0)) : QString();
            else if (PQresultStatus(r) != PGRES_COMMAND_OK)
                out = QStringLiteral("error: ") + QString::fromUtf8(PQresultErrorMessage(r));
            PQclear(r);
        }
        PQfinish(c);
        return out;
    }
    QString exec(const QString &db, const QString &sql) { return query(connection(db), sql); }

    // The server and its children killed outright (as a power cut of the server would), then started again.
    bool killAndRestart()
    {
        const pid_t pid = postmasterPid();
        if (pid <= 0)
            return false;
        QProcess ps;
        ps.start(QStringLiteral("pgrep"), {QStringLiteral("-P"), QString::number(pid)});
        ps.waitForFinished();
        ::kill(pid, SIGKILL);
        for (const QByteArray &child : ps.readAllStandardOutput().split('\n'))
            if (child.toInt() > 0)
                ::kill(child.toInt(), SIGKILL);
        for (int i = 0; i < 100 && ::kill(pid, 0) == 0; ++i)
            QThread::msleep(50);
        QFile::remove(dir.path() + QStringLiteral("/data/postmaster.pid"));
        return ctl({QStringLiteral("start")}).isEmpty();
    }

private:
    QString start()
    {
        const QString bin = binDir();
        if (bin.isEmpty())
            return QStringLiteral("the PostgreSQL server (package postgresql) is not installed");
        if (!dir.isValid())
            return QStringLiteral("no temporary folder");
        QDir(dir.path()).mkpath(QStringLiteral("sock"));
        if (::geteuid() == 0) {
            // The server refuses to run as root: its folder belongs to postgres.
            const passwd *pw = ::getpwnam("postgres");
            if (!pw)
                return QStringLiteral("there is no postgres user to run the server as");
            runAs = QStringLiteral("postgres");
            for (const QString &p : {dir.path(), socketDir()})
                if (::chown(QFile::encodeName(p).constData(), pw->pw_uid, pw->pw_gid) != 0)
                    return QStringLiteral("cannot give %1 to postgres").arg(p);
        }
        binPath = bin;
        const QString out = run(bin + QStringLiteral("/initdb"),
                                {QStringLiteral("-D"), dir.path() + QStringLiteral("/data"), QStringLiteral("-A"),
                                 QStringLiteral("trust"), QStringLiteral("-U"), QStringLiteral("postgres"),
                                 QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C"),
                                 QStringLiteral("--no-sync")});
        if (!out.isEmpty())
            return QStringLiteral("initdb failed: ") + out;
        const QString started = ctl({QStringLiteral("start")});
        if (!started.isEmpty())
            return QStringLiteral("pg_ctl start failed: ") + started;
        running = true;
        return {};
    }

    QString ctl(QStringList args)
    {
        args << QStringLiteral("-D") << dir.path() + QStringLiteral("/data") << QStringLiteral("-w")
             << QStringLiteral("-l") << dir.path() + QStringLiteral("/server.log") << QStringLiteral("-o")
             << QStringLiteral("-k %1 -c listen_addresses='' -p 5432 -c fsync=off -c max_connections=40")
                    .arg(socketDir());
        return run(binPath + QStringLiteral("/pg_ctl"), args);
    }

    void stop()
    {
        if (running)
            run(binPath + QStringLiteral("/pg_ctl"),
                {QStringLiteral("stop"), QStringLiteral("-D"), dir.path() + QStringLiteral("/data"),
                 QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("-w")});
        running = false;
    }

    pid_t postmasterPid() const
    {
        QFile f(dir.path() + QStringLiteral("/data/postmaster.pid"));
        return f.open(QIODevice::ReadOnly) ? f.readLine().trimmed().toInt() : 0;
    }

    // Empty when the program ran well, else its output.
    QString run(const QString &program, const QStringList &args)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.setWorkingDirectory(dir.path());
        if (runAs.isEmpty())
            p.start(program, args);
        else
            p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), runAs, QStringLiteral("--"), program} + args);
        if (!p.waitForFinished(120000))
            return QStringLiteral("did not finish");
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 ? QString()
                                                                            : QString::fromLocal8Bit(p.readAll());
    }

    QTemporaryDir dir;
    QString binPath, runAs;
    bool running = false;
    int databases = 0;
};
