#pragma once

// The web password as "PasswordHash" of "Web Control" stores it:
//
//   pbkdf2-sha256$<iterations>$<salt, base64>$<key, base64>
//
// a PBKDF2-HMAC-SHA256 key of 32 bytes derived from the password (UTF-8) and
// a random salt of 16 bytes. The password itself is never stored.

#include <QByteArray>
#include <QString>

namespace mc::web {

inline constexpr int kPasswordIterations = 120000;

// A new hash of `password` with a fresh salt from the system's random source.
QString makePasswordHash(const QString& password, int iterations = kPasswordIterations);

// Whether `hash` is a hash this program can check (the format above, 1 to
// 10,000,000 iterations).
bool isPasswordHash(const QString& hash);

// Whether `password` matches `hash`, comparing the keys in constant time.
// False for a hash that is not one (see isPasswordHash).
bool checkPassword(const QString& hash, const QByteArray& password);

// Whether a and b hold the same bytes; the time depends on the sizes only.
bool sameBytes(const QByteArray& a, const QByteArray& b);

}  // namespace mc::web
