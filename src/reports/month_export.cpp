#include "reports/month_export.h"

#include "reports/getuji.h"
#include "reports/item_sales.h"
#include "reports/lodging_statement.h"
#include "reports/nyutouzei.h"
#include "reports/receivables.h"
#include "storage/clock.h"
#include "storage/ini_file.h"
#include "storage/library.h"
#include "storage/money_settings.h"
#include "storage/pg_store.h"
#include "storage/safe_file.h"

#include <QFileInfo>
#include <QRegularExpression>

const QList<ExportReport> &exportReports()
{
    static const QList<ExportReport> reports = {
        {"bathing", [](const AppData &d, const ReportMonth &m, int) { return nyutouzeiMonth(d, m); }},
        {"sales", [](const AppData &d, const ReportMonth &m, int) { return getujiMonth(d, m); }},
        {"receivables", [](const AppData &d, const ReportMonth &m, int) { return receivablesMonth(d, m); }},
        {"items", [](const AppData &d, const ReportMonth &m, int category) { return itemSalesMonth(d, m, category); }},
        {"lodging", [](const AppData &d, const ReportMonth &m, int) { return lodgingTaxMonth(d, m); }},
    };
    return reports;
}

bool isExportCommand(const QStringList &args)
{
    return !args.isEmpty() && (args[0] == QLatin1String("--export") || args[0].startsWith(QLatin1String("--export=")));
}

namespace {

// One record file into a list: missing is empty; present but unreadable,
// shorter than stated, or not a whole number of records is an error.
template <class Record>
bool readList(RecordList<Record> &list, const QString &path, QString *error)
{
    list.clear();
    const QFileInfo info(path);
    if (!info.exists())
        return true;
    const qint64 size = info.size();
    if (size % qint64(sizeof(Record)) != 0) {
        *error = QStringLiteral("%1 が壊れています：大きさ（%2バイト）が%3バイトのレコードの整数倍ではありません")
                     .arg(path).arg(size).arg(sizeof(Record));
        return false;
    }
    const qint64 count = size / qint64(sizeof(Record));
    if (count > std::numeric_limits<int>::max()) {
        *error = QStringLiteral("%1 はレコードが多すぎて読めません").arg(path);
        return false;
    }
    resizeForOverwrite(list, std::size_t(count));
    TLibrary lib;
    if (count > 0 && lib.ReadRecords(list.data(), int(sizeof(Record)), path, int(count)) != int(count)) {
        list.clear();
        *error = QStringLiteral("%1 を読めません").arg(path);
        return false;
    }
    return true;
}

QString optionValue(const QStringList &args, int &i, const QString &name, bool *ok)
{
    const QString arg = args[i];
    if (arg.startsWith(name + QLatin1Char('=')))
        return arg.mid(name.size() + 1);
    if (i + 1 >= args.size()) {
        *ok = false;
        return {};
    }
    return args[++i];
}

} // namespace

bool readReportData(AppData &data, const QString &exePath, QString *error)
{
    data.ExePath = exePath.endsWith(QLatin1Char('/')) ? exePath : exePath + QLatin1Char('/');
    data.BackupPath = data.ExePath + QStringLiteral("backup/");

    // Records kept in a database are read from it, as committed.
    const StoreChoice choice = chooseStore(data.iniPath(), QProcessEnvironment::systemEnvironment());
    if (choice.kind != StoreChoice::Kind::Files || !choice.error.isEmpty()) {
        const std::shared_ptr<RecordStore> store = openStore(choice, error);
        if (!store)
            return false;
        bool refuse = false;
        data.Store = store;
        const QString message = store->load(data, Clock::now(), &refuse);
        if (!message.isEmpty()) {
            *error = message.simplified();
            return false;
        }
        return true;
    }

    RecordList<TBaseData> base;
    if (!readList(base, data.filePath("base.dat"), error))
        return false;
    if (base.empty())
        setDefaultBaseData(data.BaseData);
    else
        data.BaseData = base[0];
    for (int i = 0; i < KamokuCategories; ++i)
        if (!readList(data.KamokuList[i], data.filePath(KamokuFileNames[i]), error))
            return false;
    if (!readList(data.ReserveList.edit(), data.filePath("reserve.dat"), error)
        || !readList(data.UrikakeList, data.filePath("urikake.dat"), error))
        return false;
    // The dated rates and amounts of the settings file, as the window takes
    // them: figures worked from settings half read would differ from it.
    data.Money = TMoneySettings{};
    if (const TLibrary::FileProbe ini = TLibrary::ProbeFile(data.iniPath()); ini.exists && !ini.error.isEmpty()) {
        *error = QStringLiteral("%1 を読めません：%2").arg(data.iniPath(), ini.error);
        return false;
    }
    if (const QString m = readMoneySettings(IniFile(data.iniPath()), &data.Money); !m.isEmpty()) {
        *error = m.simplified();
        return false;
    }
    return true;
}

int runMonthExport(const QStringList &args, const QString &exePath, QString *message)
{
    QString report, monthText, out, categoryText = QStringLiteral("0");
    bool haveMonth = false, haveOut = false, haveReport = false;
    QStringList names;
    for (const ExportReport &r : exportReports())
        names << QLatin1String(r.name);
    const QString usage = QStringLiteral("使い方: norvel --export %1 --month YYYY-MM [--category 0|1|2] --out ファイル")
                              .arg(names.join(QLatin1Char('|')));

    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        bool ok = true;
        const auto is = [&](const char *name) {
            return arg == QLatin1String(name) || arg.startsWith(QLatin1String(name) + QLatin1Char('='));
        };
        if (is("--export")) {
            report = optionValue(args, i, QStringLiteral("--export"), &ok);
            haveReport = true;
        } else if (is("--month")) {
            monthText = optionValue(args, i, QStringLiteral("--month"), &ok);
            haveMonth = true;
        } else if (is("--category")) {
            categoryText = optionValue(args, i, QStringLiteral("--category"), &ok);
        } else if (is("--out")) {
            out = optionValue(args, i, QStringLiteral("--out"), &ok);
            haveOut = true;
        } else {
            *message = QStringLiteral("知らない引数「%1」です。%2").arg(arg, usage);
            return ExportUsage;
        }
        if (!ok) {
            *message = QStringLiteral("%1 の値がありません。%2").arg(arg, usage);
            return ExportUsage;
        }
    }

    const ExportReport *chosen = nullptr;
    for (const ExportReport &r : exportReports())
        if (report == QLatin1String(r.name))
            chosen = &r;
    if (!haveReport || !chosen) {
        *message = QStringLiteral("知らない帳票「%1」です。%2 のどれかを指定してください").arg(report, names.join(QStringLiteral("、")));
        return ExportUsage;
    }
    static const QRegularExpression monthPattern(QStringLiteral("^(\\d{4})-(\\d{2})$"));
    const QRegularExpressionMatch m = monthPattern.match(monthText);
    const ReportMonth month = m.hasMatch() ? ReportMonth(m.captured(1).toInt(), m.captured(2).toInt()) : ReportMonth();
    if (!haveMonth || !month.isValid()) {
        *message = haveMonth ? QStringLiteral("月「%1」の書き方が正しくありません。2008-03 のように YYYY-MM で指定してください").arg(monthText)
                             : QStringLiteral("--month YYYY-MM がありません。%1").arg(usage);
        return ExportUsage;
    }
    static const QRegularExpression categoryPattern(QStringLiteral("^[012]$"));
    if (!categoryPattern.match(categoryText).hasMatch()) {
        *message = QStringLiteral("区分「%1」が正しくありません。0、1、2 のどれかを指定してください").arg(categoryText);
        return ExportUsage;
    }
    if (!haveOut || out.isEmpty()) {
        *message = QStringLiteral("--out ファイル がありません。%1").arg(usage);
        return ExportUsage;
    }

    auto data = std::make_unique<AppData>();
    QString error;
    if (!readReportData(*data, exePath, &error)) {
        *message = error;
        return ExportDataError;
    }
    const MonthGrid grid = chosen->grid(*data, month, categoryText.toInt());
    if (!grid.error.isEmpty()) {
        *message = grid.error;
        return ExportNoResult;
    }
    const QByteArray csv = monthGridCsv(grid);
    if (!writeFileAtomically(out, csv.constData(), std::size_t(csv.size()), &error)) {
        *message = error.simplified();
        return ExportWriteError;
    }
    return ExportOk;
}
