#include "register/register_crypto.h"

#include <QDataStream>
#include <QIODevice>
#include <QStringList>

#include <cstring>

#include <sodium.h>

namespace register_crypto {

namespace {

const QByteArray SealMagic("NVRS1");
const QByteArray KeyFileMagic("NVRK1");
constexpr int NonceBytes = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
constexpr int TagBytes = crypto_aead_xchacha20poly1305_ietf_ABYTES;

// The pass phrase is derived at the cost a desk computer bears at each
// unlock (about a tenth of a second and 64 MiB); a key file read from
// elsewhere may ask for no more than these bounds.
constexpr quint64 MaxOps = 16;
constexpr quint64 MaxMem = quint64(1) << 30;

QByteArray associated(const QString &name) { return SealMagic + name.toUtf8(); }

bool derive(const QByteArray &passphrase, const QByteArray &salt, quint64 ops, quint64 mem, SecretKey *key)
{
    if (salt.size() != crypto_pwhash_SALTBYTES || ops < crypto_pwhash_OPSLIMIT_MIN || ops > MaxOps
        || mem < crypto_pwhash_MEMLIMIT_MIN || mem > MaxMem)
        return false;
    if (crypto_pwhash(key->data(), KeyBytes, passphrase.constData(), quint64(passphrase.size()),
                      reinterpret_cast<const unsigned char *>(salt.constData()), ops, std::size_t(mem),
                      crypto_pwhash_ALG_ARGON2ID13)
        != 0)
        return false;
    key->markSet();
    return true;
}

bool openKey(const SecretKey &kek, const QByteArray &sealed, const QString &name, SecretKey *dataKey)
{
    QByteArray plain;
    if (!open(kek, sealed, name, &plain) || plain.size() != KeyBytes) {
        sodium_memzero(plain.data(), std::size_t(plain.size()));
        return false;
    }
    std::memcpy(dataKey->data(), plain.constData(), KeyBytes);
    dataKey->markSet();
    sodium_memzero(plain.data(), std::size_t(plain.size()));
    return true;
}

QByteArray keyBytes(const SecretKey &key)
{
    return QByteArray(reinterpret_cast<const char *>(key.data()), KeyBytes);
}

QByteArray fieldBytes(const KeyFile &f)
{
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setVersion(QDataStream::Qt_6_0);
    s.writeRawData(KeyFileMagic.constData(), int(KeyFileMagic.size()));
    s << f.salt << f.opsLimit << f.memLimit << f.byPassphrase << f.byRecoveryKey;
    return out;
}

QByteArray macOf(const KeyFile &f, const SecretKey &dataKey)
{
    const QByteArray fields = fieldBytes(f);
    QByteArray mac(crypto_generichash_BYTES, Qt::Uninitialized);
    crypto_generichash(reinterpret_cast<unsigned char *>(mac.data()), std::size_t(mac.size()),
                       reinterpret_cast<const unsigned char *>(fields.constData()), quint64(fields.size()),
                       dataKey.data(), KeyBytes);
    return mac;
}

// The data key only when the whole key file is as it was made.
KeyOpening checked(const KeyFile &f, bool opened, SecretKey *dataKey)
{
    if (!opened)
        return KeyOpening::WrongSecret;
    const QByteArray mac = macOf(f, *dataKey);
    if (f.mac.size() != mac.size()
        || sodium_memcmp(mac.constData(), f.mac.constData(), std::size_t(mac.size())) != 0) {
        *dataKey = SecretKey();
        return KeyOpening::Altered;
    }
    return KeyOpening::Opened;
}

} // namespace

SecretKey::SecretKey() = default;
SecretKey::~SecretKey() { sodium_memzero(bytes.data(), bytes.size()); }
SecretKey::SecretKey(const SecretKey &other) = default;
SecretKey &SecretKey::operator=(const SecretKey &other) = default;

SecretKey SecretKey::random()
{
    SecretKey k;
    randombytes_buf(k.bytes.data(), k.bytes.size());
    k.set = true;
    return k;
}

bool ready()
{
    static const bool ok = sodium_init() >= 0;
    return ok;
}

QByteArray seal(const SecretKey &key, const QByteArray &plain, const QString &name)
{
    ready();
    QByteArray out(SealMagic.size() + NonceBytes + plain.size() + TagBytes, Qt::Uninitialized);
    std::memcpy(out.data(), SealMagic.constData(), std::size_t(SealMagic.size()));
    auto *nonce = reinterpret_cast<unsigned char *>(out.data() + SealMagic.size());
    randombytes_buf(nonce, NonceBytes);
    const QByteArray ad = associated(name);
    unsigned long long written = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(nonce + NonceBytes, &written,
                                               reinterpret_cast<const unsigned char *>(plain.constData()),
                                               quint64(plain.size()),
                                               reinterpret_cast<const unsigned char *>(ad.constData()),
                                               quint64(ad.size()), nullptr, nonce, key.data());
    return out;
}

bool open(const SecretKey &key, const QByteArray &sealed, const QString &name, QByteArray *plain)
{
    ready();
    if (!key.isSet() || sealed.size() < SealMagic.size() + NonceBytes + TagBytes || !sealed.startsWith(SealMagic))
        return false;
    const auto *nonce = reinterpret_cast<const unsigned char *>(sealed.constData() + SealMagic.size());
    const qsizetype cipherSize = sealed.size() - SealMagic.size() - NonceBytes;
    QByteArray out(cipherSize - TagBytes, Qt::Uninitialized);
    const QByteArray ad = associated(name);
    unsigned long long written = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(reinterpret_cast<unsigned char *>(out.data()), &written,
                                                   nullptr, nonce + NonceBytes, quint64(cipherSize),
                                                   reinterpret_cast<const unsigned char *>(ad.constData()),
                                                   quint64(ad.size()), nonce, key.data())
        != 0)
        return false;
    *plain = std::move(out);
    return true;
}

QByteArray KeyFile::toBytes() const
{
    QByteArray out = fieldBytes(*this);
    QDataStream s(&out, QIODevice::WriteOnly | QIODevice::Append);
    s.setVersion(QDataStream::Qt_6_0);
    s << mac;
    return out;
}

bool KeyFile::fromBytes(const QByteArray &bytes, KeyFile *file)
{
    if (!bytes.startsWith(KeyFileMagic))
        return false;
    QDataStream s(bytes.mid(KeyFileMagic.size()));
    s.setVersion(QDataStream::Qt_6_0);
    KeyFile f;
    s >> f.salt >> f.opsLimit >> f.memLimit >> f.byPassphrase >> f.byRecoveryKey >> f.mac;
    if (s.status() != QDataStream::Ok || !s.atEnd())
        return false;
    *file = f;
    return true;
}

bool makeKeyFile(const SecretKey &dataKey, const QByteArray &passphrase, KeyFile *file, QString *recoveryKey)
{
    ready();
    KeyFile f;
    f.salt = QByteArray(crypto_pwhash_SALTBYTES, Qt::Uninitialized);
    randombytes_buf(f.salt.data(), std::size_t(f.salt.size()));
    f.opsLimit = crypto_pwhash_OPSLIMIT_INTERACTIVE;
    f.memLimit = crypto_pwhash_MEMLIMIT_INTERACTIVE;
    SecretKey kek;
    if (!derive(passphrase, f.salt, f.opsLimit, f.memLimit, &kek))
        return false;
    QByteArray plainKey = keyBytes(dataKey);
    f.byPassphrase = seal(kek, plainKey, QStringLiteral("register.key/passphrase"));
    const SecretKey recovery = SecretKey::random();
    f.byRecoveryKey = seal(recovery, plainKey, QStringLiteral("register.key/recovery"));
    sodium_memzero(plainKey.data(), std::size_t(plainKey.size()));
    f.mac = macOf(f, dataKey);
    *recoveryKey = recoveryKeyText(recovery);
    *file = f;
    return true;
}

KeyOpening keyFromPassphrase(const KeyFile &file, const QByteArray &passphrase, SecretKey *dataKey)
{
    ready();
    SecretKey kek;
    return checked(file,
                   derive(passphrase, file.salt, file.opsLimit, file.memLimit, &kek)
                       && openKey(kek, file.byPassphrase, QStringLiteral("register.key/passphrase"), dataKey),
                   dataKey);
}

KeyOpening keyFromRecoveryKey(const KeyFile &file, const QString &recoveryKey, SecretKey *dataKey)
{
    SecretKey kek;
    return checked(file,
                   parseRecoveryKey(recoveryKey, &kek)
                       && openKey(kek, file.byRecoveryKey, QStringLiteral("register.key/recovery"), dataKey),
                   dataKey);
}

QString recoveryKeyText(const SecretKey &key)
{
    const QString hex = QString::fromLatin1(keyBytes(key).toHex().toUpper());
    QStringList groups;
    for (int i = 0; i < hex.size(); i += 4)
        groups << hex.mid(i, 4);
    return groups.join(QLatin1Char('-'));
}

bool parseRecoveryKey(const QString &text, SecretKey *key)
{
    QString hex;
    for (QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('-'))
            hex += c;
    if (hex.size() != KeyBytes * 2)
        return false;
    for (QChar c : hex)
        if (!c.isDigit() && !QStringLiteral("abcdefABCDEF").contains(c))
            return false;
    const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
    std::memcpy(key->data(), bytes.constData(), KeyBytes);
    key->markSet();
    return true;
}

} // namespace register_crypto
