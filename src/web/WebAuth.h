#pragma once

// WebAuth: who may use the web panel and the HTTP API. Without a password
// hash everyone may. With one, a request carries one of:
//   - the session cookie "mc_session" that POST /api/v1/login set,
//   - "Authorization: Bearer <token>" with the token that login returned,
//   - "Authorization: Basic" with the user "operator" and the password.
// Tokens are random (32 bytes), live kTokenLifetime from their last use and
// are kept in memory only (at most kMaxTokens; the oldest go first). Basic
// credentials that passed are remembered (as a keyed digest, never as text)
// for kCredentialLifetime, so a program sending them with every request costs
// one PBKDF2 derivation, not one per request. Five wrong passwords in a row
// (by login or Basic; a right one starts the count again) from one address
// block it for kBlockTime. A new hash forgets every
// token, credential and block.
//
// Threads: the user-interface thread only. Times come from the caller.

#include <QByteArray>
#include <QString>

#include <chrono>
#include <map>

namespace mc::web {

class WebAuth {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kMaxFailures = 5;
    static constexpr std::chrono::seconds kBlockTime{30};
    static constexpr std::chrono::hours kTokenLifetime{12};
    static constexpr std::chrono::minutes kCredentialLifetime{10};
    static constexpr std::size_t kMaxTokens = 256;
    static constexpr std::size_t kMaxCredentials = 32;
    static constexpr std::size_t kMaxAddresses = 1024;  // addresses with failures kept
    static constexpr const char* kCookie = "mc_session";
    static constexpr const char* kUser = "operator";

    WebAuth();

    void setPasswordHash(const QString& hash);
    bool required() const { return !m_hash.isEmpty(); }

    enum class Verdict { Allowed, Missing, Wrong, Blocked };
    // A request with these "Authorization" and "Cookie" header values (empty
    // when absent) from `address`.
    Verdict check(const QByteArray& authorization, const QByteArray& cookie, const QString& address,
                  Clock::time_point now);
    // A login with `password` from `address`; on Allowed, `token` is the new
    // token.
    Verdict login(const QByteArray& password, const QString& address, Clock::time_point now,
                  QByteArray& token);
    // Forgets the token (log out).
    void forget(const QByteArray& token);

    // The token of the "mc_session" cookie in a Cookie header value; empty
    // when there is none.
    static QByteArray cookieToken(const QByteArray& cookie);

private:
    bool blocked(const QString& address, Clock::time_point now);
    void failed(const QString& address, Clock::time_point now);
    QByteArray digest(const QByteArray& secret) const;
    bool validToken(const QByteArray& token, Clock::time_point now);

    struct Failures {
        int count = 0;
        Clock::time_point last;
    };
    QString m_hash;
    QByteArray m_key;  // random, for the digests of tokens and credentials
    std::map<QByteArray, Clock::time_point> m_tokens;       // digest -> expiry
    std::map<QByteArray, Clock::time_point> m_credentials;  // digest -> expiry
    std::map<QString, Failures> m_failures;
};

}  // namespace mc::web
