#include "register/guest_register.h"

#include "register/country_list.h"

#include <QDataStream>
#include <QIODevice>
#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace {

const QString KeyName = QStringLiteral("register.key");
const QString DataName = QStringLiteral("register.dat");
const QString ImageName = QStringLiteral("passport.dat");
const QByteArray DataMagic("NVRD1");
const QByteArray ImageMagic("NVRP1");

// Dates and times go as plain numbers, and times come back in UTC: a local
// time asks the system for its time zone each time, which would cost most of
// the opening time of a large register.
constexpr qint64 NoTime = std::numeric_limits<qint64>::min();
qint64 timeNumber(const QDateTime &t) { return t.isValid() ? t.toMSecsSinceEpoch() : NoTime; }
QDateTime timeOf(qint64 n) { return n == NoTime ? QDateTime() : QDateTime::fromMSecsSinceEpoch(n, Qt::UTC); }

QDataStream &operator<<(QDataStream &s, const RegisterEntry &e)
{
    return s << e.id << e.meiNo << e.room << qint64(e.firstNight.toJulianDay()) << qint32(e.nights) << e.name
             << e.reading << e.address << e.contact << e.livesAbroad << e.nationality << e.passportNo << e.age
             << e.sex << e.previousStay << e.nextStay << timeNumber(e.arrival) << timeNumber(e.departure)
             << timeNumber(e.created) << e.hasPassportImage;
}

QDataStream &operator>>(QDataStream &s, RegisterEntry &e)
{
    qint32 nights = 0;
    qint64 firstNight = 0, arrival = 0, departure = 0, created = 0;
    s >> e.id >> e.meiNo >> e.room >> firstNight >> nights >> e.name >> e.reading >> e.address >> e.contact
        >> e.livesAbroad >> e.nationality >> e.passportNo >> e.age >> e.sex >> e.previousStay >> e.nextStay
        >> arrival >> departure >> created >> e.hasPassportImage;
    e.firstNight = QDate::fromJulianDay(firstNight);
    e.nights = nights;
    e.arrival = timeOf(arrival);
    e.departure = timeOf(departure);
    e.created = timeOf(created);
    return s;
}

QString damaged(const QString &name)
{
    return QStringLiteral("宿泊者名簿のファイル %1 が壊れているか書き換えられています。"
                          "名簿は開きません（バックアップから戻してください）。")
        .arg(name);
}

} // namespace

QString registerLockedMessage()
{
    return QStringLiteral("合言葉が違います。宿泊者名簿は開きません。");
}

bool isPassportNumber(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^(?=.*[0-9])[A-Z0-9]{6,9}$"));
    return form.match(normalizedPassportNumber(text)).hasMatch();
}

QString normalizedPassportNumber(const QString &text)
{
    QString n = text.toUpper();
    n.remove(QLatin1Char(' '));
    n.remove(QChar(0x3000));
    return n;
}

bool isCountryCode(const QString &code)
{
    static const QRegularExpression form(QStringLiteral("^[A-Z]{2}$"));
    return form.match(code).hasMatch() && countryByCode(code) != nullptr;
}

QStringList entryProblems(const RegisterEntry &e, const RegisterFields &fields)
{
    QStringList p;
    const auto need = [&](const QString &value, const char *caption) {
        if (value.trimmed().isEmpty())
            p << QString::fromUtf8(caption);
    };
    need(e.name, "氏名");
    need(e.address, "住所");
    need(e.contact, "連絡先");
    if (e.livesAbroad) {
        if (!isCountryCode(e.nationality))
            p << QStringLiteral("国籍");
        if (!isPassportNumber(e.passportNo))
            p << QStringLiteral("旅券番号");
    } else if (!e.passportNo.isEmpty() && !isPassportNumber(e.passportNo)) {
        p << QStringLiteral("旅券番号");
    }
    if (fields.age)
        need(e.age, "年齢");
    if (fields.sex)
        need(e.sex, "性別");
    if (fields.previousStay)
        need(e.previousStay, "前泊地");
    if (fields.nextStay)
        need(e.nextStay, "行先地");
    if (fields.arrivalTimes) {
        if (!e.arrival.isValid())
            p << QStringLiteral("到着日時");
        if (!e.departure.isValid())
            p << QStringLiteral("出発日時");
    }
    return p;
}

GuestRegister::GuestRegister(RegisterStore &store) : store(store) {}

bool GuestRegister::exists(QString *error) const
{
    QByteArray bytes;
    bool present = false;
    QString e;
    if (!store.load(KeyName, &bytes, &present, &e) && error)
        *error = e;
    return present;
}

bool GuestRegister::create(const QByteArray &passphrase, QString *recoveryKey, QString *error, bool storeNow)
{
    if (!register_crypto::ready()) {
        *error = QStringLiteral("暗号化の仕組みを始められません。");
        return false;
    }
    if (exists(error)) {
        *error = QStringLiteral("宿泊者名簿はもうあります。");
        return false;
    }
    if (passphrase.isEmpty()) {
        *error = QStringLiteral("合言葉が空です。");
        return false;
    }
    const SecretKey dataKey = SecretKey::random();
    register_crypto::KeyFile file;
    if (!register_crypto::makeKeyFile(dataKey, passphrase, &file, recoveryKey)) {
        *error = QStringLiteral("合言葉から鍵を作れません（メモリーが足りません）。");
        return false;
    }
    list.clear();
    logLines.clear();
    images.clear();
    imagesLoaded = true;
    nextId = 1;
    const QByteArray keyBytes = file.toBytes();
    if (!storeNow) {
        newKeyFile = keyBytes;
    } else if (!saveWith(dataKey, &keyBytes, error)) {
        recoveryKey->clear();
        return false;
    }
    key = dataKey;
    return true;
}

bool GuestRegister::unlock(const QByteArray &passphrase, QString *error)
{
    register_crypto::ready();
    QByteArray bytes;
    bool present = false;
    if (!store.load(KeyName, &bytes, &present, error))
        return false;
    register_crypto::KeyFile file;
    if (!present) {
        *error = QStringLiteral("宿泊者名簿はまだありません。");
        return false;
    }
    if (!register_crypto::KeyFile::fromBytes(bytes, &file)) {
        *error = damaged(KeyName);
        return false;
    }
    SecretKey dataKey;
    const auto opened = register_crypto::keyFromPassphrase(file, passphrase, &dataKey);
    if (opened != register_crypto::KeyOpening::Opened) {
        *error = opened == register_crypto::KeyOpening::Altered ? damaged(KeyName) : registerLockedMessage();
        return false;
    }
    return openAll(dataKey, error);
}

bool GuestRegister::unlockWithRecoveryKey(const QString &recoveryKey, QString *error)
{
    QByteArray bytes;
    bool present = false;
    if (!store.load(KeyName, &bytes, &present, error))
        return false;
    register_crypto::KeyFile file;
    if (!present || !register_crypto::KeyFile::fromBytes(bytes, &file)) {
        *error = present ? damaged(KeyName) : QStringLiteral("宿泊者名簿はまだありません。");
        return false;
    }
    SecretKey dataKey;
    const auto opened = register_crypto::keyFromRecoveryKey(file, recoveryKey, &dataKey);
    if (opened != register_crypto::KeyOpening::Opened) {
        *error = opened == register_crypto::KeyOpening::Altered
            ? damaged(KeyName)
            : QStringLiteral("回復キーが違います。宿泊者名簿は開きません。");
        return false;
    }
    return openAll(dataKey, error);
}

bool GuestRegister::openAll(const SecretKey &dataKey, QString *error)
{
    QByteArray sealed;
    bool present = false;
    if (!store.load(DataName, &sealed, &present, error))
        return false;
    QByteArray plain;
    if (!present || !register_crypto::open(dataKey, sealed, DataName, &plain) || !plain.startsWith(DataMagic)) {
        *error = damaged(DataName);
        return false;
    }
    QDataStream s(plain.mid(DataMagic.size()));
    s.setVersion(QDataStream::Qt_6_0);
    quint64 next = 0;
    quint32 count = 0;
    s >> next >> count;
    std::vector<RegisterEntry> entries;
    entries.reserve(std::min<quint32>(count, quint32(plain.size() / 16)));
    for (quint32 i = 0; i < count && s.status() == QDataStream::Ok; ++i) {
        entries.emplace_back();
        s >> entries.back();
    }
    quint32 logCount = 0;
    s >> logCount;
    std::vector<RegisterLogLine> lines;
    for (quint32 i = 0; i < logCount && s.status() == QDataStream::Ok; ++i) {
        RegisterLogLine l;
        s >> l.when >> l.what >> l.detail;
        lines.push_back(l);
    }
    plain.fill('\0');
    if (s.status() != QDataStream::Ok || !s.atEnd()) {
        *error = damaged(DataName);
        return false;
    }
    list = std::move(entries);
    logLines = std::move(lines);
    nextId = next;
    images.clear();
    imagesLoaded = false;
    imagesChanged = false;
    key = dataKey;
    return true;
}

void GuestRegister::lock()
{
    key = SecretKey();
    newKeyFile.clear();
    list.clear();
    logLines.clear();
    images.clear();
    imagesLoaded = false;
    imagesChanged = false;
}

bool GuestRegister::loadImages(QString *error)
{
    if (imagesLoaded)
        return true;
    QByteArray sealed;
    bool present = false;
    if (!store.load(ImageName, &sealed, &present, error))
        return false;
    QByteArray plain;
    if (!present || !register_crypto::open(key, sealed, ImageName, &plain) || !plain.startsWith(ImageMagic)) {
        *error = damaged(ImageName);
        return false;
    }
    QDataStream s(plain.mid(ImageMagic.size()));
    s.setVersion(QDataStream::Qt_6_0);
    QHash<quint64, QByteArray> read;
    s >> read;
    plain.fill('\0');
    if (s.status() != QDataStream::Ok || !s.atEnd()) {
        *error = damaged(ImageName);
        return false;
    }
    images = std::move(read);
    imagesLoaded = true;
    return true;
}

bool GuestRegister::changePassphrase(const QByteArray &newPassphrase, QString *recoveryKey, QString *error)
{
    if (!isUnlocked()) {
        *error = QStringLiteral("宿泊者名簿が開いていません。");
        return false;
    }
    if (newPassphrase.isEmpty()) {
        *error = QStringLiteral("合言葉が空です。");
        return false;
    }
    if (!loadImages(error))
        return false;
    const SecretKey dataKey = SecretKey::random();
    register_crypto::KeyFile file;
    QString recovery;
    if (!register_crypto::makeKeyFile(dataKey, newPassphrase, &file, &recovery)) {
        *error = QStringLiteral("合言葉から鍵を作れません（メモリーが足りません）。");
        return false;
    }
    const QByteArray keyBytes = file.toBytes();
    if (!saveWith(dataKey, &keyBytes, error))
        return false;
    key = dataKey;
    *recoveryKey = recovery;
    return true;
}

const RegisterEntry *GuestRegister::entry(quint64 id) const
{
    for (const RegisterEntry &e : list)
        if (e.id == id)
            return &e;
    return nullptr;
}

std::vector<RegisterEntry> GuestRegister::entriesOfBill(quint32 meiNo) const
{
    std::vector<RegisterEntry> out;
    for (const RegisterEntry &e : list)
        if (e.meiNo == meiNo)
            out.push_back(e);
    return out;
}

std::vector<RegisterEntry> GuestRegister::arrivalsOn(const QDate &day) const
{
    return entriesBetween(day, day);
}

std::vector<RegisterEntry> GuestRegister::entriesBetween(const QDate &from, const QDate &to) const
{
    std::vector<RegisterEntry> out;
    for (const RegisterEntry &e : list)
        if (e.firstNight >= from && e.firstNight <= to)
            out.push_back(e);
    std::stable_sort(out.begin(), out.end(), [](const RegisterEntry &a, const RegisterEntry &b) {
        return a.firstNight < b.firstNight;
    });
    return out;
}

quint64 GuestRegister::put(RegisterEntry e, const QDateTime &now)
{
    if (e.id != 0)
        for (RegisterEntry &old : list)
            if (old.id == e.id) {
                e.created = old.created;
                e.hasPassportImage = old.hasPassportImage;
                old = e;
                return e.id;
            }
    if (e.id == 0)
        e.id = nextId;
    nextId = std::max(nextId, e.id + 1);
    if (!e.created.isValid())
        e.created = now;
    list.push_back(e);
    return e.id;
}

void GuestRegister::remove(quint64 id)
{
    std::erase_if(list, [id](const RegisterEntry &e) { return e.id == id; });
    QString ignored;
    if (loadImages(&ignored) && images.remove(id))
        imagesChanged = true;
}

void GuestRegister::addLog(const QDateTime &when, const QString &what, const QString &detail)
{
    logLines.push_back({when, what, detail});
}

bool GuestRegister::passportImage(quint64 id, QByteArray *image, QString *error)
{
    if (!loadImages(error))
        return false;
    *image = images.value(id);
    return true;
}

bool GuestRegister::setPassportImage(quint64 id, const QByteArray &image, QString *error)
{
    if (!loadImages(error))
        return false;
    if (image.isEmpty())
        images.remove(id);
    else
        images.insert(id, image);
    imagesChanged = true;
    for (RegisterEntry &e : list)
        if (e.id == id)
            e.hasPassportImage = !image.isEmpty();
    return true;
}

namespace {

// Made before the start of the day years before now's.
bool madeBefore(const RegisterEntry &e, qint64 limit) { return e.created.toMSecsSinceEpoch() < limit; }
QDate limitDay(const QDateTime &now, int years) { return now.date().addYears(-years); }
qint64 limitTime(const QDateTime &now, int years) { return limitDay(now, years).startOfDay().toMSecsSinceEpoch(); }

} // namespace

int GuestRegister::expiredCount(const QDateTime &now, int years) const
{
    const qint64 limit = limitTime(now, years);
    return int(std::count_if(list.begin(), list.end(), [&](const RegisterEntry &e) { return madeBefore(e, limit); }));
}

int GuestRegister::removeExpired(const QDateTime &now, int years)
{
    const qint64 limit = limitTime(now, years);
    std::vector<quint64> gone;
    for (const RegisterEntry &e : list)
        if (madeBefore(e, limit))
            gone.push_back(e.id);
    if (gone.empty())
        return 0;
    for (quint64 id : gone)
        remove(id);
    addLog(now, QStringLiteral("削除"),
           QStringLiteral("保存期間（%1年）を過ぎた %2 件（%3 より前に作成）")
               .arg(years)
               .arg(gone.size())
               .arg(limitDay(now, years).toString(QStringLiteral("yyyy/MM/dd"))));
    return int(gone.size());
}

QByteArray GuestRegister::plainRegister() const
{
    QByteArray out = DataMagic;
    QDataStream s(&out, QIODevice::WriteOnly | QIODevice::Append);
    s.setVersion(QDataStream::Qt_6_0);
    s << nextId << quint32(list.size());
    for (const RegisterEntry &e : list)
        s << e;
    s << quint32(logLines.size());
    for (const RegisterLogLine &l : logLines)
        s << l.when << l.what << l.detail;
    return out;
}

bool GuestRegister::save(QString *error)
{
    if (!isUnlocked()) {
        *error = QStringLiteral("宿泊者名簿が開いていません。");
        return false;
    }
    if (newKeyFile.isEmpty())
        return saveWith(key, nullptr, error);
    if (!saveWith(key, &newKeyFile, error))
        return false;
    newKeyFile.clear();
    return true;
}

bool GuestRegister::saveWith(const SecretKey &dataKey, const QByteArray *keyFile, QString *error)
{
    std::vector<SealedBlob> blobs;
    if (keyFile)
        blobs.push_back({KeyName, *keyFile});
    QByteArray plain = plainRegister();
    blobs.push_back({DataName, register_crypto::seal(dataKey, plain, DataName)});
    plain.fill('\0');
    // A new key re-seals the copies too; otherwise only when they changed.
    if (keyFile || imagesChanged) {
        QByteArray plainImages = ImageMagic;
        QDataStream s(&plainImages, QIODevice::WriteOnly | QIODevice::Append);
        s.setVersion(QDataStream::Qt_6_0);
        s << images;
        blobs.push_back({ImageName, register_crypto::seal(dataKey, plainImages, ImageName)});
        plainImages.fill('\0');
    }
    if (!store.save(blobs, error))
        return false;
    imagesChanged = false;
    return true;
}
