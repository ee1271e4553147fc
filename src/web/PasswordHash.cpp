#include "web/PasswordHash.h"

#include <QCryptographicHash>
#include <QList>
#include <QPasswordDigestor>
#include <QRandomGenerator>

namespace mc::web {

namespace {

constexpr int kSaltBytes = 16;
constexpr int kKeyBytes = 32;
constexpr int kMaxIterations = 10000000;
const QLatin1String kScheme("pbkdf2-sha256");

struct Parsed {
    int iterations = 0;
    QByteArray salt;
    QByteArray key;
};

bool parse(const QString& hash, Parsed& out) {
    const QStringList parts = hash.split(QLatin1Char('$'));
    if (parts.size() != 4 || parts[0] != kScheme) return false;
    bool ok = false;
    out.iterations = parts[1].toInt(&ok);
    if (!ok || out.iterations < 1 || out.iterations > kMaxIterations) return false;
    const auto salt = QByteArray::fromBase64Encoding(parts[2].toLatin1(),
                                                     QByteArray::AbortOnBase64DecodingErrors);
    const auto key = QByteArray::fromBase64Encoding(parts[3].toLatin1(),
                                                    QByteArray::AbortOnBase64DecodingErrors);
    if (!salt || !key || salt.decoded.isEmpty() || key.decoded.size() != kKeyBytes) return false;
    out.salt = salt.decoded;
    out.key = key.decoded;
    return true;
}

QByteArray derive(const QByteArray& password, const QByteArray& salt, int iterations) {
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password, salt,
                                              iterations, kKeyBytes);
}

}  // namespace

QString makePasswordHash(const QString& password, int iterations) {
    QByteArray salt(kSaltBytes, '\0');
    QRandomGenerator::system()->generate(salt.begin(), salt.end());
    const QByteArray key = derive(password.toUtf8(), salt, iterations);
    return QStringLiteral("%1$%2$%3$%4")
        .arg(kScheme)
        .arg(iterations)
        .arg(QString::fromLatin1(salt.toBase64()), QString::fromLatin1(key.toBase64()));
}

bool isPasswordHash(const QString& hash) {
    Parsed parsed;
    return parse(hash, parsed);
}

bool checkPassword(const QString& hash, const QByteArray& password) {
    Parsed parsed;
    if (!parse(hash, parsed)) return false;
    return sameBytes(derive(password, parsed.salt, parsed.iterations), parsed.key);
}

bool sameBytes(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size()) return false;
    unsigned char diff = 0;
    for (qsizetype k = 0; k < a.size(); ++k)
        diff |= static_cast<unsigned char>(a[k] ^ b[k]);
    return diff == 0;
}

}  // namespace mc::web
