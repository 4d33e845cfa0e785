#include "shell/command_line.h"

#include "register/register_command.h"
#include "reports/month_export.h"
#include "search/bill_search.h"
#include "storage/backup_command.h"
#include "storage/store_command.h"
#include "version.h"

CommandKind commandKind(const QStringList &args)
{
    if (args.isEmpty())
        return CommandKind::Window;
    if (isRegisterCommand(args))
        return CommandKind::Register;
    if (isExportCommand(args))
        return CommandKind::Export;
    if (isFindCommand(args))
        return CommandKind::Find;
    if (isBackupCommand(args))
        return CommandKind::Backup;
    if (isStoreCommand(args))
        return CommandKind::Store;
    if (args.size() == 1 && (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h")))
        return CommandKind::Help;
    if (args.size() == 1 && args[0] == QLatin1String("--version"))
        return CommandKind::Version;
    return CommandKind::Unknown;
}

QString commandUsage(const QString &dataFolder)
{
    return QStringLiteral(
               "usage: norvel                  start the program (Norvel 領収書発行)\n"
               "       norvel --export REPORT --month YYYY-MM [--category 0|1|2] --out FILE\n"
               "                               write a month report as CSV, without a window;\n"
               "                               REPORT is bathing, sales, receivables, items or lodging\n"
               "       norvel --find TEXT [--from DATE --to DATE] [--out FILE]\n"
               "                               write the bills whose guest's name holds TEXT (in any\n"
               "                               spelling), with a night from DATE to DATE (YYYY-MM-DD),\n"
               "                               as CSV to FILE or to standard output, without a window\n"
               "       norvel --export register --from YYYY-MM-DD --to YYYY-MM-DD --out FILE\n"
               "              [--passphrase-file F]\n"
               "                               write the guest register of those arrival days as CSV;\n"
               "                               the pass phrase is asked for, or read from F\n"
               "       norvel --import-register FILE.csv --passphrase-file F\n"
               "                               add an earlier register (CSV of the export's columns),\n"
               "                               all rows or none; makes the register when there is none\n"
               "       norvel --backup DIR     copy the data folder as a new backup generation in DIR,\n"
               "                               also while the program is open\n"
               "       norvel --verify-backup DIR\n"
               "                               check every backup generation in DIR (status 0: all check)\n"
               "       norvel --import-files DIR\n"
               "                               load the data folder DIR into an empty database\n"
               "       norvel --export-files DIR\n"
               "                               write the database's records into DIR as record files\n"
               "       norvel --check-store    say which store is in use, whether it answers and\n"
               "                               whether its schema is current (status 0: all well)\n"
               "       norvel --help           print this text\n"
               "       norvel --version        print the version\n"
               "data folder: %1\n"
               "the store is chosen by [Store] in norvelreceipt.ini or by NORVEL_DATABASE\n")
        .arg(dataFolder);
}

QString versionLine()
{
    return QStringLiteral("norvel " NORVEL_VERSION "\n");
}
