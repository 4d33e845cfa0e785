#include "app_data.h"

#include "cp932.h"
#include "version.h"

#include <QDir>
#include <QFileInfo>
#include <QTimeZone>

#include <cstring>

const std::array<const char *, KamokuCategories> KamokuFileNames = {
    "kmk_syu.dat", "kmk_opt.dat", "kmk_day.dat", "kmk_nbk.dat", "kmk_ttk.dat",
    "kmk_oth.dat", "kmk_urk.dat", "kmk_cpn.dat", "kmk_mae.dat",
};

void setDefaultBaseData(TBaseData &base)
{
    setFieldText(base.CommentS, QStringLiteral("下記金額をご請求申し上げます\n"));
    setFieldText(base.CommentR,
                 QStringLiteral("下記金額を領収いたしました\nまたのお越しを心よりお待ち申し上げます\n"));
    base.Nyutouzei = 150;
    base.Color3 = 0xE1FFFF;
    base.Color2 = 0xE7FFEA;
    base.Color1 = 0xF0FAFF;
    base.Color4 = 0x666666;
}

uint32_t meiNoFromClock(const QDateTime &local)
{
    const QDateTime asUtc(local.date(), QTime(local.time().hour(), local.time().minute(),
                                              local.time().second()),
                          Qt::UTC);
    return uint32_t(asUtc.toSecsSinceEpoch() - 32400);
}

uint32_t firstMeiNo(const QDateTime &local, const RecordList<TReserveData> &reserve)
{
    uint32_t next = meiNoFromClock(local);
    for (const TReserveData &r : reserve)
        if (r.MeiNo >= next && r.MeiNo != UINT32_MAX)
            next = r.MeiNo + 1;
    return next;
}

namespace {

template <class T>
void loadList(RecordList<T> &list, const TLibrary &lib, const QString &path, int extra = 0)
{
    const int n = lib.RecordCount(path, sizeof(T));
    // The read fills the front; zeros go only where it did not (blank entries,
    // or a file that shrank meanwhile), not first over the whole list.
    list.clear();
    resizeForOverwrite(list, size_t(n) + size_t(extra));
    const int got = n > 0 ? lib.ReadRecords(list.data(), sizeof(T), path, n) : 0;
    if (list.size() > size_t(got))
        std::memset(static_cast<void *>(list.data() + got), 0, (list.size() - size_t(got)) * sizeof(T));
}

template <class T>
bool saveList(const RecordList<T> &list, const TLibrary &lib, const QString &path, QString *error)
{
    return lib.WriteRecords(list.data(), sizeof(T), path, int(list.size()), error);
}

QString dateStamp(const QDate &today)
{
    return TLibrary::ReplaceText(today.toString(QStringLiteral("yyyy/MM/dd")), QStringLiteral("/"),
                                 QStringLiteral("_"));
}

} // namespace

QString loadAppData(AppData &data, TLibrary &lib, const QString &exePath, const QDateTime &now)
{
    data.StartFlags = 0;
    data.NextMeiNo = meiNoFromClock(now);
    data.ExePath = exePath.endsWith(QLatin1Char('/')) ? exePath : exePath + QLatin1Char('/');
    data.BackupPath = data.ExePath + QStringLiteral("backup/");
    data.Version = QStringLiteral(NORVEL_VERSION);

    // A save cut short by a crash is finished (or its traces removed) before
    // anything is read.
    QString recoverError;
    if (!recoverCommit(data.ExePath, isProgramFile, &recoverError)) {
        lib.RefuseWrites(QStringLiteral("起動時にデータを読み込めなかったため、保存は行いません。"));
        return recoverError;
    }

    if (!QDir().mkpath(data.BackupPath)) {
        const QString message = QStringLiteral("Cannot create c:\\temp directory.");
        lib.RefuseWrites(QStringLiteral("起動時にデータを読み込めなかったため、保存は行いません。"));
        return message;
    }
    // Temporary files of backup copies a crash cut short.
    recoverCommit(data.BackupPath,
                  [](const QString &name) {
                      return name.startsWith(QLatin1String("reserve.dat")) || name.startsWith(QLatin1String("urikake.dat"));
                  },
                  nullptr);

    data.BaseData = TBaseData{};
    const QString base = data.filePath("base.dat");
    if (QFileInfo::exists(base)) {
        lib.ReadRecords(&data.BaseData, sizeof(TBaseData), base, 1);
    } else {
        data.StartFlags |= MissingBaseData;
        setDefaultBaseData(data.BaseData);
    }

    for (auto &list : data.KamokuList)
        list.clear();
    if (QFileInfo::exists(data.filePath(KamokuFileNames[0]))) {
        for (int i = 0; i < KamokuCategories; ++i)
            loadList(data.KamokuList[i], lib, data.filePath(KamokuFileNames[i]), BlankKamokuEntries);
    } else {
        data.StartFlags |= MissingKamoku;
    }

    data.ReserveList.clear();
    const QString reserve = data.filePath("reserve.dat");
    if (QFileInfo::exists(reserve))
        loadList(data.ReserveList, lib, reserve);
    else
        data.StartFlags |= MissingReserve;

    data.UrikakeList.clear();
    const QString urikake = data.filePath("urikake.dat");
    if (QFileInfo::exists(urikake))
        loadList(data.UrikakeList, lib, urikake);

    data.NextMeiNo = firstMeiNo(now, data.ReserveList);
    return {};
}

bool saveBaseData(const AppData &data, const TLibrary &lib, QString *error)
{
    return lib.WriteRecords(&data.BaseData, sizeof(TBaseData), data.filePath("base.dat"), 1, error);
}

bool saveKamokuLists(const AppData &data, const TLibrary &lib, QString *error)
{
    std::vector<RecordFile> files;
    for (int i = 0; i < KamokuCategories; ++i)
        files.push_back({data.filePath(KamokuFileNames[i]), data.KamokuList[i].data(), int(sizeof(THojoKamoku)),
                         data.KamokuList[i].size()});
    return lib.WriteRecordFiles(files, error) == CommitResult::Done;
}

CommitResult writeBillFiles(const AppData &data, const RecordList<TReserveData> &reserve,
                            const RecordList<TUrikakeData> &urikake, const TLibrary &lib, QString *error)
{
    return lib.WriteRecordFiles({{data.filePath("urikake.dat"), urikake.data(), int(sizeof(TUrikakeData)), urikake.size()},
                                 {data.filePath("reserve.dat"), reserve.data(), int(sizeof(TReserveData)), reserve.size()}},
                                error);
}

bool saveBillLists(const AppData &data, const TLibrary &lib, QString *error)
{
    return writeBillFiles(data, data.ReserveList, data.UrikakeList, lib, error) == CommitResult::Done;
}

bool isProgramFile(const QString &name)
{
    static const QStringList names = [] {
        QStringList n{QStringLiteral("base.dat"), QStringLiteral("reserve.dat"), QStringLiteral("urikake.dat"),
                      QStringLiteral("norvelreceipt.ini"), QStringLiteral("logo.bmp")};
        for (const char *k : KamokuFileNames)
            n << QLatin1String(k);
        return n;
    }();
    return names.contains(name);
}

bool saveReserveList(const AppData &data, const TLibrary &lib, QString *error)
{
    return saveList(data.ReserveList, lib, data.filePath("reserve.dat"), error);
}

bool saveUrikakeList(const AppData &data, const TLibrary &lib, QString *error)
{
    return saveList(data.UrikakeList, lib, data.filePath("urikake.dat"), error);
}

bool backupReserveList(const AppData &data, const TLibrary &lib, const QDate &today, QString *error)
{
    return saveList(data.ReserveList, lib, data.BackupPath + QStringLiteral("reserve.dat") + dateStamp(today),
                    error);
}

bool backupUrikakeList(const AppData &data, const TLibrary &lib, const QDate &today, QString *error)
{
    return saveList(data.UrikakeList, lib, data.BackupPath + QStringLiteral("urikake.dat") + dateStamp(today),
                    error);
}

const QStringList DefaultKamokuLines = {
    QStringLiteral("1601,1,大人宿泊料金,Charge(ADULT),0"),
    QStringLiteral("1601,2,大人宿泊料金,Charge(ADULT),0"),
    QStringLiteral("1601,3,子供宿泊料金,Charge(CHILD),0"),
    QStringLiteral("1601,4,幼児(布･食あり)宿泊料金,Charge(INFANT Bed&Meal),0"),
    QStringLiteral("1601,5,幼児(布あり)宿泊料金,Charge(INFANT Bed),0"),
    QStringLiteral("1601,6,幼児(食あり)宿泊料金,Charge(INFANT Meal),0"),
    QStringLiteral("1601,7,幼児(布･食なし)宿泊料金,Charge(INFANT Non Bed&Meal),0"),
    QStringLiteral("1601,8,乳児(布･食なし)宿泊料金,Charge(BABY),0"),
    QStringLiteral("1601,9,ペット宿泊料金,Charge(PET Small),0"),
    QStringLiteral("1601,10,ペット宿泊料金,Charge(PET Medium),0"),
    QStringLiteral("1601,11,ペット宿泊料金,Charge(PET Large),0"),
    QStringLiteral("1601,12,その他宿泊料金,Charge,0"),
    QStringLiteral("1601,101,追加料理等オプション,Optional Meal,0"),
    QStringLiteral("1601,102,ビール,Beer,800"),
    QStringLiteral("1601,103,日本酒(1合),Jananese Liquor,800"),
    QStringLiteral("1601,104,ワイン,Wine,3000"),
    QStringLiteral("1601,105,ジュース,Juice,250"),
    QStringLiteral("1601,106,その他オプション,Other,0"),
    QStringLiteral("1601,801,大人日帰り利用料金,DayUse(Adult),0"),
    QStringLiteral("1601,802,大人日帰り利用料金,DayUse(Adult),0"),
    QStringLiteral("1601,803,子供日帰り利用料金,DayUse(Child),0"),
    QStringLiteral("1601,804,幼児日帰り利用料金,DayUse(Infant),0"),
    QStringLiteral("1601,805,乳児日帰り利用料金,DayUse(Baby),0"),
    QStringLiteral("1601,990,サービス料,Service,0"),
    QStringLiteral("1601,991,宿泊料金(入湯税不要),Charge,0"),
    QStringLiteral("1601,992,宿泊料金(入湯税不要),Charge,0"),
    QStringLiteral("1106,1,電話代,Telephone,0"),
    QStringLiteral("1106,2,タバコ代,Tobacco,250"),
    QStringLiteral("1106,3,その他非課税項目,Tax Free,0"),
    QStringLiteral("1602,1,じゃらんポイント利用,Point,0"),
    QStringLiteral("1602,2,楽天ポイント利用,Point,0"),
    QStringLiteral("1602,3,ネットモールポイント利用,use Point of Netmall,0"),
    QStringLiteral("1602,4,割引クーポン利用,Coupon,0"),
    QStringLiteral("1602,5,その他値引き,Discount,0"),
    QStringLiteral("1105,1,ご予約金,Deposit,0"),
    QStringLiteral("0101,1,JCB,JCB,0"),
    QStringLiteral("0101,2,VISA,VISA,0"),
    QStringLiteral("0101,3,Master,Master,0"),
    QStringLiteral("0101,4,ニコス,NIKOS,0"),
    QStringLiteral("0101,5,アメックス,AMEX,0"),
    QStringLiteral("0101,6,DC,DC,0"),
    QStringLiteral("0101,7,Diners,Diners,0"),
    QStringLiteral("0101,8,セゾン,SAISON,0"),
    QStringLiteral("0101,9,UC,UC,0"),
    QStringLiteral("0101,10,UFJ,UFJ,0"),
    QStringLiteral("0102,1,クーポン,Coupon,0"),
    QStringLiteral("0102,2,楽天事前決済,RakutenCoupon,0"),
};

THojoKamoku parseDefaultKamoku(const QString &line, int *category)
{
    const QStringList f = TLibrary::SplitComma(line);
    auto number = [&](int i) { return i < f.size() ? f[i].trimmed().toInt() : 0; }; // "" reads 0, "0101" 101
    THojoKamoku k{};
    k.KamokuCode = uint32_t(number(0));
    k.HojoCode = uint32_t(number(1));
    if (f.size() > 2)
        setFieldText(k.Tekiyo, f[2]);
    if (f.size() > 3)
        setFieldText(k.ETekiyo, f[3]);
    k.Tanka = number(4);
    const uint32_t key = itemKey(k);
    int c;
    if (key >= 1601001 && key <= 1601100)
        c = 0;
    else if (key >= 1601101 && key <= 1601800)
        c = 1;
    else if (key >= 1601801 && key <= 1601989)
        c = 2;
    else if (k.KamokuCode == 1602)
        c = 3;
    else if (k.KamokuCode == 1106)
        c = 4;
    else if (k.KamokuCode == 101)
        c = 6;
    else if (k.KamokuCode == 102)
        c = 7;
    else if (k.KamokuCode == 1105)
        c = 8;
    else
        c = 5;
    if (category)
        *category = c;
    return k;
}

void seedDefaultKamoku(std::array<RecordList<THojoKamoku>, KamokuCategories> &lists)
{
    for (auto &l : lists)
        l.clear();
    for (const QString &line : DefaultKamokuLines) {
        int c = 5;
        const THojoKamoku k = parseDefaultKamoku(line, &c);
        lists[size_t(c)].push_back(k);
    }
}
