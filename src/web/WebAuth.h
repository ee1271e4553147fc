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
// one PBKDF2 derivation, not one per request.
//
// The derivation itself is the caller's (off the event loop, PasswordCheck):
// check() and login() answer Check with an Attempt, and settle() takes its
// outcome. Every failed attempt counts, a wrong user name too; five in a row
// (a right one starts the count again; attempts still being checked count)
// block the address for kBlockTime, whatever other addresses do: the table
// of failures keeps at most kMaxAddresses addresses, and when it is full a
// new address's failure is refused (Full) rather than an entry dropped. A new
// hash forgets every token, credential and block.
//
// Threads: the user-interface thread only. Times come from the caller.

#include <QByteArray>
#include <QString>

#include <chrono>
#include <map>
#include <vector>

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

    // A new hash forgets every token, credential and block; false when it
    // is the hash in use already.
    bool setPasswordHash(const QString& hash);
    bool required() const { return !m_hash.isEmpty(); }

    enum class Verdict { Allowed, Missing, Wrong, Blocked, Full, Check };
    // A password to check for an address, from check() or login().
    struct Attempt {
        QString address;
        QByteArray password;
        QByteArray credential;  // the Basic header value; empty for a login
        QString hash;
        quint64 generation = 0;  // of the hash
    };
    // A request with these "Authorization" and "Cookie" header values (empty
    // when absent) from `address`; on Check, `attempt` is the password to
    // check, and settle() says the verdict.
    Verdict check(const QByteArray& authorization, const QByteArray& cookie, const QString& address,
                  Clock::time_point now, Attempt& attempt);
    // A login with `password` from `address`: Allowed (no password is
    // needed), Blocked, or Check with `attempt`.
    Verdict login(const QByteArray& password, const QString& address, Clock::time_point now,
                  Attempt& attempt);
    // The outcome of an attempt's check: Allowed (then a Basic credential is
    // remembered), Wrong (counted), Full (the failure could not be counted),
    // or Missing when the hash changed meanwhile.
    Verdict settle(const Attempt& attempt, bool right, Clock::time_point now);
    // An attempt that will not be checked (no room for it).
    void abandon(const Attempt& attempt);
    // A new token (after a login that passed).
    QByteArray newToken(Clock::time_point now);
    // Forgets the token (log out).
    void forget(const QByteArray& token);

    // The token of the "mc_session" cookie in a Cookie header value; empty
    // when there is none.
    static QByteArray cookieToken(const QByteArray& cookie);
    // The tokens a request presents: its cookie's and its Bearer token.
    static std::vector<QByteArray> presentedTokens(const QByteArray& authorization,
                                                   const QByteArray& cookie);

private:
    bool blocked(const QString& address, Clock::time_point now);
    // False when the failure could not be counted (the table is full).
    bool failed(const QString& address, Clock::time_point now);
    Verdict attempt(const QString& address, QByteArray password, QByteArray credential,
                    Attempt& out);
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
    std::map<QString, int> m_checking;  // attempts being checked, per address
    quint64 m_generation = 0;           // of m_hash
};

}  // namespace mc::web
