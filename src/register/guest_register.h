#pragma once
// The guest register: one entry per guest of a stay, tied to the bill, kept
// only sealed (register_crypto.h) in a RegisterStore, readable for a session
// once the owner's pass phrase (or the recovery key) has unlocked it.
//
// Files of the store:
//   register.key   the data key sealed under the pass phrase and the recovery key
//   register.dat   the entries and the log, sealed
//   passport.dat   the passport copies, sealed; read only when one is needed
//
// Texts are kept as Unicode (UTF-8 inside the sealed files), so a name in
// Latin script stays exactly as written whatever the bill's CP932 name holds.

#include "register/register_crypto.h"
#include "register/register_store.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

struct RegisterEntry {
    quint64 id = 0; // unique in the register, given when first added
    // The stay, from the bill.
    quint32 meiNo = 0; // 0: no bill (an entry taken from paper)
    QString room;
    QDate firstNight;
    int nights = 1;
    // The guest.
    QString name;
    QString reading; // フリガナ
    QString address;
    QString contact; // telephone or mail
    bool livesAbroad = false; // no address in Japan: nationality and passport required
    QString nationality;      // ISO 3166 alpha-2 code
    QString passportNo;
    // The prefecture's extra fields, kept when an inn turns them on.
    QString age;
    QString sex;
    QString previousStay; // 前泊地
    QString nextStay;     // 行先地
    QDateTime arrival;
    QDateTime departure;
    // When the entry was made: the retention counts from it.
    QDateTime created;
    bool hasPassportImage = false;

    QDate departureDate() const { return firstNight.addDays(nights); }
    friend bool operator==(const RegisterEntry &, const RegisterEntry &) = default;
};

struct RegisterLogLine {
    QDateTime when;
    QString what;   // 閲覧, 印刷, 書き出し, 取り込み, 削除, 合言葉変更...
    QString detail; // what it concerned, never a guest's personal data
    friend bool operator==(const RegisterLogLine &, const RegisterLogLine &) = default;
};

// The prefecture's extra fields an inn turns on (基本設定).
struct RegisterFields {
    bool age = false;
    bool sex = false;
    bool previousStay = false;
    bool nextStay = false;
    bool arrivalTimes = false;
};

// The fields of an entry still missing or malformed, by their captions
// (氏名, 住所...); empty when the entry is complete.
QStringList entryProblems(const RegisterEntry &e, const RegisterFields &fields);
// Whether a passport number has a passport number's form: 6 to 9 letters
// (A-Z) and digits with at least one digit, after spaces are taken out.
bool isPassportNumber(const QString &text);
// The number as kept: capitals, no spaces.
QString normalizedPassportNumber(const QString &text);
// Whether code is an ISO 3166 alpha-2 country code.
bool isCountryCode(const QString &code);

class GuestRegister {
public:
    explicit GuestRegister(RegisterStore &store);

    // Whether the store holds a register at all (its key file).
    bool exists(QString *error = nullptr) const;
    // Makes a new, empty register sealed under passphrase; the recovery key
    // to print once in *recoveryKey. Refuses when one exists. Without
    // storeNow the register is open but stored only by the first save(), with
    // what was put in it by then.
    bool create(const QByteArray &passphrase, QString *recoveryKey, QString *error, bool storeNow = true);
    // Opens the register; a wrong pass phrase or a damaged file is refused
    // whole with a message, and the register stays locked.
    bool unlock(const QByteArray &passphrase, QString *error);
    bool unlockWithRecoveryKey(const QString &recoveryKey, QString *error);
    void lock();
    bool isUnlocked() const { return key.isSet(); }

    // Re-seals everything under a new data key, sealed under the new pass
    // phrase and a new recovery key (in *recoveryKey), in one commit: the
    // store holds the old register or the new one.
    bool changePassphrase(const QByteArray &newPassphrase, QString *recoveryKey, QString *error);

    const std::vector<RegisterEntry> &entries() const { return list; }
    const std::vector<RegisterLogLine> &log() const { return logLines; }
    const RegisterEntry *entry(quint64 id) const;
    // The entries of a bill, in the order they were added.
    std::vector<RegisterEntry> entriesOfBill(quint32 meiNo) const;
    // The entries whose stay begins on day.
    std::vector<RegisterEntry> arrivalsOn(const QDate &day) const;
    // The entries whose stay begins from..to (inclusive), by first night.
    std::vector<RegisterEntry> entriesBetween(const QDate &from, const QDate &to) const;

    // Adds (id 0: a new id and created now) or replaces an entry in memory;
    // returns its id. Nothing is stored before save().
    quint64 put(RegisterEntry e, const QDateTime &now);
    void remove(quint64 id);
    void addLog(const QDateTime &when, const QString &what, const QString &detail);

    // Passport copies (an encoded picture); loading passport.dat when first
    // asked. Empty when the entry has none.
    bool passportImage(quint64 id, QByteArray *image, QString *error);
    // False (nothing changed) when the kept copies cannot be read: saving
    // over them would lose the others.
    bool setPassportImage(quint64 id, const QByteArray &image, QString *error);

    // Retention: entries made more than years ago at now.
    int expiredCount(const QDateTime &now, int years) const;
    // Removes them with their passport copies and logs the deletion; saved
    // by the next save(). Returns how many went.
    int removeExpired(const QDateTime &now, int years);

    // Seals and stores what changed in one commit.
    bool save(QString *error);

    // The serialised entries and log (for tests that look for plaintext).
    QByteArray plainRegister() const;

private:
    using SecretKey = register_crypto::SecretKey;
    bool openAll(const SecretKey &dataKey, QString *error);
    bool loadImages(QString *error);
    bool saveWith(const SecretKey &dataKey, const QByteArray *keyFile, QString *error);

    RegisterStore &store;
    SecretKey key;
    std::vector<RegisterEntry> list;
    std::vector<RegisterLogLine> logLines;
    quint64 nextId = 1;
    QHash<quint64, QByteArray> images;
    bool imagesLoaded = false;
    bool imagesChanged = false;
    QByteArray newKeyFile; // a register made but not yet stored
};

// The message for a register that does not open.
QString registerLockedMessage();
