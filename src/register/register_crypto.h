#pragma once
// The register's encryption: every file of it is sealed with one random data
// key (XChaCha20-Poly1305, a fresh nonce per seal, the file's name bound in as
// associated data so that files cannot be swapped). The data key itself is
// kept in the key file twice, sealed once with a key derived by Argon2id from
// the owner's pass phrase and once with the recovery key printed for the safe.
//
// A sealed file whose tag does not check -- a flipped byte, a cut end, another
// file's contents, a wrong key -- opens to nothing at all.

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

namespace register_crypto {

constexpr int KeyBytes = 32;

// A key held in memory that is wiped when it goes.
class SecretKey {
public:
    SecretKey();
    ~SecretKey();
    SecretKey(const SecretKey &other);
    SecretKey &operator=(const SecretKey &other);
    unsigned char *data() { return bytes.data(); }
    const unsigned char *data() const { return bytes.data(); }
    bool isSet() const { return set; }
    void markSet() { set = true; }
    static SecretKey random();

private:
    std::array<unsigned char, KeyBytes> bytes{};
    bool set = false;
};

// False when the library cannot start (no random source).
bool ready();

// Seals plain under key, binding name; the result is the file's contents.
QByteArray seal(const SecretKey &key, const QByteArray &plain, const QString &name);
// Opens what seal made; false (and *plain untouched) when anything is wrong.
bool open(const SecretKey &key, const QByteArray &sealed, const QString &name, QByteArray *plain);

// The key file: the salt and cost of the pass-phrase derivation and the data
// key sealed under the pass phrase and under the recovery key; a keyed hash
// under the data key over all of it, so that no part can be altered unseen.
struct KeyFile {
    QByteArray salt;
    quint64 opsLimit = 0;
    quint64 memLimit = 0;
    QByteArray byPassphrase;
    QByteArray byRecoveryKey;
    QByteArray mac;

    QByteArray toBytes() const;
    static bool fromBytes(const QByteArray &bytes, KeyFile *file);
};

// A new key file for dataKey; the recovery key to print in *recoveryKey.
// False only when the derivation cannot get its memory.
bool makeKeyFile(const SecretKey &dataKey, const QByteArray &passphrase, KeyFile *file, QString *recoveryKey);
// The data key from the pass phrase or the recovery key.
enum class KeyOpening {
    Opened,
    WrongSecret, // the pass phrase or recovery key does not open it
    Altered,     // it opens, but the key file was changed since it was made
};
KeyOpening keyFromPassphrase(const KeyFile &file, const QByteArray &passphrase, SecretKey *dataKey);
KeyOpening keyFromRecoveryKey(const KeyFile &file, const QString &recoveryKey, SecretKey *dataKey);

// The recovery key as printed: 64 hexadecimal digits in sixteen groups of
// four; reading it ignores spaces, hyphens and case.
QString recoveryKeyText(const SecretKey &key);
bool parseRecoveryKey(const QString &text, SecretKey *key);

} // namespace register_crypto
