#include "register/register_command.h"

#include "register/guest_register.h"
#include "register/register_csv.h"
#include "register/register_store.h"
#include "reports/month_export.h"
#include "storage/generations.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int PassphraseRefused = 6;

const QString Usage = QStringLiteral(
    "norvel --export register --from YYYY-MM-DD --to YYYY-MM-DD --out FILE [--passphrase-file F] または "
    "norvel --import-register FILE.csv --passphrase-file F");

bool readPassphraseFile(const QString &path, QByteArray *passphrase, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("合言葉のファイル %1 を開けません: %2").arg(path, f.errorString());
        return false;
    }
    QByteArray line = f.readLine(4096);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (line.isEmpty()) {
        *error = QStringLiteral("合言葉のファイル %1 の 1 行目が空です。").arg(path);
        return false;
    }
    *passphrase = line;
    line.fill('\0');
    return true;
}

} // namespace

bool isRegisterCommand(const QStringList &args)
{
    if (args.isEmpty())
        return false;
    if (args[0] == QLatin1String("--import-register") || args[0].startsWith(QLatin1String("--import-register=")))
        return true;
    return (args[0] == QLatin1String("--export") && args.size() > 1 && args[1] == QLatin1String("register"))
        || args[0] == QLatin1String("--export=register");
}

bool passphraseFromTerminal(const QString &prompt, QByteArray *passphrase)
{
    const int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    const QByteArray p = prompt.toLocal8Bit();
    (void)!::write(fd, p.constData(), std::size_t(p.size()));
    termios old {};
    const bool isTerminal = ::tcgetattr(fd, &old) == 0;
    if (isTerminal) {
        termios quiet = old;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    QByteArray line;
    char c = 0;
    while (::read(fd, &c, 1) == 1 && c != '\n')
        line += c;
    if (isTerminal)
        ::tcsetattr(fd, TCSAFLUSH, &old);
    (void)!::write(fd, "\n", 1);
    ::close(fd);
    while (line.endsWith('\r'))
        line.chop(1);
    *passphrase = line;
    return !line.isEmpty();
}

int runRegisterCommand(const QStringList &args, const QString &exePath, const QDateTime &now,
                       const PassphrasePrompt &prompt, QString *out, QString *error)
{
    QString importFile, from, to, outFile, passFile;
    bool exporting = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        const auto take = [&](const char *name, QString *value) {
            const QString n = QLatin1String(name);
            if (arg.startsWith(n + QLatin1Char('='))) {
                *value = arg.mid(n.size() + 1);
                return true;
            }
            if (arg != n)
                return false;
            if (i + 1 < args.size())
                *value = args[++i];
            return true;
        };
        QString report;
        if (take("--export", &report)) {
            exporting = true;
            if (report != QLatin1String("register")) {
                *error = QStringLiteral("知らない帳票「%1」です。").arg(report);
                return ExportUsage;
            }
        } else if (!(take("--import-register", &importFile) || take("--from", &from) || take("--to", &to)
                     || take("--out", &outFile) || take("--passphrase-file", &passFile))) {
            *error = QStringLiteral("知らない引数「%1」です。%2").arg(arg, Usage);
            return ExportUsage;
        }
    }
    if (exporting == !importFile.isEmpty()) {
        *error = Usage;
        return ExportUsage;
    }
    QDate fromDate, toDate;
    if (exporting) {
        fromDate = QDate::fromString(from, Qt::ISODate);
        toDate = QDate::fromString(to, Qt::ISODate);
        if (!fromDate.isValid() || !toDate.isValid() || toDate < fromDate || outFile.isEmpty()) {
            *error = QStringLiteral("--from と --to（2026-04-01 のように、--from ≦ --to）と --out FILE を指定してください。");
            return ExportUsage;
        }
    } else if (passFile.isEmpty()) {
        *error = QStringLiteral("取り込みには --passphrase-file F が要ります。");
        return ExportUsage;
    }

    QByteArray passphrase;
    if (!passFile.isEmpty()) {
        if (!readPassphraseFile(passFile, &passphrase, error))
            return ExportDataError;
    } else if (!prompt || !prompt(QStringLiteral("宿泊者名簿の合言葉: "), &passphrase)) {
        *error = QStringLiteral("合言葉を読めません。--passphrase-file F で合言葉のファイルを指定してください。");
        return PassphraseRefused;
    }

    RegisterFileStore store(exePath);
    GuestRegister reg(store);
    const QString pending = pendingCommitFiles(exePath).join(QStringLiteral("、"));
    if (!pending.isEmpty()) {
        *error = QStringLiteral("保存の途中のファイル（%1）があります。先にプログラムを起動して終えてください。").arg(pending);
        return ExportDataError;
    }

    if (exporting) {
        if (!reg.unlock(passphrase, error))
            return reg.exists() ? PassphraseRefused : ExportDataError;
        switch (exportRegisterRange(reg, fromDate, toDate, outFile, now, QStringLiteral("（コマンド）"), error)) {
        case RegisterExport::Written:
            break;
        case RegisterExport::LogNotStored:
        case RegisterExport::FileNotWritten:
            return ExportWriteError;
        }
        return ExportOk;
    }

    QFile in(importFile);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1 を開けません: %2").arg(importFile, in.errorString());
        return ExportDataError;
    }
    std::vector<RegisterEntry> read;
    QString problem;
    if (!parseRegisterCsv(in.readAll(), now, &read, &problem)) {
        *error = QStringLiteral("%1 を取り込みません（何も保存していません）。%2").arg(importFile, problem);
        return ExportDataError;
    }
    QString recoveryKey;
    if (!reg.exists(error)) {
        if (!error->isEmpty())
            return ExportDataError;
        if (!reg.create(passphrase, &recoveryKey, error, false))
            return ExportWriteError;
    } else if (!reg.unlock(passphrase, error)) {
        return PassphraseRefused;
    }
    for (const RegisterEntry &e : read)
        reg.put(e, now);
    reg.addLog(now, QStringLiteral("取り込み"),
               QStringLiteral("%1 から %2 件").arg(QDir::toNativeSeparators(importFile)).arg(read.size()));
    if (!reg.save(error))
        return ExportWriteError;
    *out = QStringLiteral("%1 件を宿泊者名簿に取り込みました。").arg(read.size());
    if (!recoveryKey.isEmpty())
        *out += QStringLiteral("\n宿泊者名簿を新しく作りました。回復キー（合言葉を忘れたときに名簿を開く唯一の手段です。"
                               "紙に書き写して金庫にしまってください。二度と表示しません）:\n%1")
                    .arg(recoveryKey);
    return ExportOk;
}
