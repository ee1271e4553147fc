#include "web/WebAuth.h"

#include <QCryptographicHash>
#include <QList>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>

namespace mc::web {

namespace {

template <typename Map>
void dropExpired(Map& map, WebAuth::Clock::time_point now) {
    std::erase_if(map, [now](const auto& entry) { return entry.second <= now; });
}

// Keeps at most `limit` entries, dropping those that expire first.
void bound(std::map<QByteArray, WebAuth::Clock::time_point>& map, std::size_t limit) {
    while (map.size() > limit) {
        auto oldest = map.begin();
        for (auto it = map.begin(); it != map.end(); ++it)
            if (it->second < oldest->second) oldest = it;
        map.erase(oldest);
    }
}

QByteArray randomBytes(int size) {
    QByteArray bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(QRandomGenerator::system()->bounded(256));
    return bytes;
}

}  // namespace

WebAuth::WebAuth() : m_key(randomBytes(32)) {}

bool WebAuth::setPasswordHash(const QString& hash) {
    if (hash == m_hash) return false;
    m_hash = hash;
    ++m_generation;
    m_checking.clear();
    m_tokens.clear();
    m_credentials.clear();
    m_failures.clear();
    return true;
}

QByteArray WebAuth::digest(const QByteArray& secret) const {
    return QMessageAuthenticationCode::hash(secret, m_key, QCryptographicHash::Sha256);
}

QByteArray WebAuth::cookieToken(const QByteArray& cookie) {
    const QByteArray name = QByteArray(kCookie) + '=';
    for (const QByteArray& part : cookie.split(';')) {
        const QByteArray item = part.trimmed();
        if (item.startsWith(name)) return item.mid(name.size());
    }
    return {};
}

std::vector<QByteArray> WebAuth::presentedTokens(const QByteArray& authorization,
                                                 const QByteArray& cookie) {
    std::vector<QByteArray> tokens;
    if (QByteArray token = cookieToken(cookie); !token.isEmpty()) tokens.push_back(token);
    const QByteArray scheme = authorization.left(authorization.indexOf(' '));
    const QByteArray bearer = authorization.mid(scheme.size()).trimmed();
    if (scheme.compare("bearer", Qt::CaseInsensitive) == 0 && !bearer.isEmpty())
        tokens.push_back(bearer);
    return tokens;
}

bool WebAuth::validToken(const QByteArray& token, Clock::time_point now) {
    if (token.isEmpty()) return false;
    const auto it = m_tokens.find(digest(token));
    if (it == m_tokens.end()) return false;
    if (it->second <= now) {
        m_tokens.erase(it);
        return false;
    }
    it->second = now + kTokenLifetime;
    return true;
}

bool WebAuth::blocked(const QString& address, Clock::time_point now) {
    const auto checking = m_checking.find(address);
    int count = checking == m_checking.end() ? 0 : checking->second;
    const auto it = m_failures.find(address);
    if (it != m_failures.end() && now - it->second.last >= kBlockTime) {
        m_failures.erase(it);
    } else if (it != m_failures.end()) {
        count += it->second.count;
    }
    return count >= kMaxFailures;
}

bool WebAuth::failed(const QString& address, Clock::time_point now) {
    if (!m_failures.contains(address) && m_failures.size() >= kMaxAddresses) {
        std::erase_if(m_failures,
                      [now](const auto& entry) { return now - entry.second.last >= kBlockTime; });
        if (m_failures.size() >= kMaxAddresses) return false;
    }
    Failures& failures = m_failures[address];
    ++failures.count;
    failures.last = now;
    return true;
}

WebAuth::Verdict WebAuth::attempt(const QString& address, QByteArray password,
                                  QByteArray credential, Attempt& out) {
    ++m_checking[address];
    out = Attempt{address, std::move(password), std::move(credential), m_hash, m_generation};
    return Verdict::Check;
}

void WebAuth::abandon(const Attempt& attempt) {
    if (attempt.generation != m_generation) return;
    const auto it = m_checking.find(attempt.address);
    if (it != m_checking.end() && --it->second <= 0) m_checking.erase(it);
}

WebAuth::Verdict WebAuth::settle(const Attempt& attempt, bool right, Clock::time_point now) {
    if (attempt.generation != m_generation) return Verdict::Missing;
    abandon(attempt);
    if (!right) return failed(attempt.address, now) ? Verdict::Wrong : Verdict::Full;
    m_failures.erase(attempt.address);
    if (!attempt.credential.isEmpty()) {
        dropExpired(m_credentials, now);
        m_credentials[digest(attempt.credential)] = now + kCredentialLifetime;
        bound(m_credentials, kMaxCredentials);
    }
    return Verdict::Allowed;
}

QByteArray WebAuth::newToken(Clock::time_point now) {
    const QByteArray token =
        randomBytes(32).toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    dropExpired(m_tokens, now);
    m_tokens[digest(token)] = now + kTokenLifetime;
    bound(m_tokens, kMaxTokens);
    return token;
}

WebAuth::Verdict WebAuth::check(const QByteArray& authorization, const QByteArray& cookie,
                                const QString& address, Clock::time_point now, Attempt& attempt) {
    if (!required()) return Verdict::Allowed;
    if (validToken(cookieToken(cookie), now)) return Verdict::Allowed;
    const QByteArray scheme = authorization.left(authorization.indexOf(' ')).toLower();
    const QByteArray value = authorization.mid(scheme.size()).trimmed();
    if (scheme == "bearer") return validToken(value, now) ? Verdict::Allowed : Verdict::Wrong;
    if (scheme != "basic") return Verdict::Missing;

    if (blocked(address, now)) return Verdict::Blocked;
    dropExpired(m_credentials, now);
    if (m_credentials.contains(digest(value))) return Verdict::Allowed;
    const QByteArray decoded = QByteArray::fromBase64(value);
    const qsizetype colon = decoded.indexOf(':');
    if (colon < 0 || decoded.left(colon) != kUser)
        return failed(address, now) ? Verdict::Wrong : Verdict::Full;
    return this->attempt(address, decoded.mid(colon + 1), value, attempt);
}

WebAuth::Verdict WebAuth::login(const QByteArray& password, const QString& address,
                                Clock::time_point now, Attempt& attempt) {
    if (!required()) return Verdict::Allowed;
    if (blocked(address, now)) return Verdict::Blocked;
    return this->attempt(address, password, {}, attempt);
}

void WebAuth::forget(const QByteArray& token) {
    m_tokens.erase(digest(token));
}

}  // namespace mc::web
