#pragma once

// WebApi: the HTTP API under /api/v1/ on a MatrixSession, without the
// transport. Each request becomes one session call in the caller's name (its
// address: the owner of its locks and the origin of its steps, so the journal
// names it); the JSON of the state and of every change event is written here.
// Ports are zero-based; -1 is "closed" (a route) or "none".
//
// JSON in and out (nlohmann-json). Answers: 200 with a JSON object, or an
// error status with {"error": "<text>"}: 400 (not JSON, a field missing or of
// the wrong type), 404 (no such port, mode or path), 405 (the path exists
// with another method), 409 (locked by someone else, not in take mode, the
// layer buttons are off).
//
// Lifetime: the session must outlive this object. Threads: the session's.

#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

namespace mc {
class MatrixSession;
struct SessionChange;
}  // namespace mc

namespace mc::web {

struct ApiReply {
    int status = 200;
    std::string body;  // JSON
};

class WebApi {
public:
    explicit WebApi(MatrixSession& session) : m_session(session) {}

    // `path` is what follows "/api/v1/" ("state", "modes/apply"); `post` tells
    // POST from GET. Login is not handled here (the server's business).
    ApiReply handle(bool post, std::string_view path, const std::string& body,
                    const std::string& owner);

    // The whole state as `owner` sees it (locks "own", "other" or "none").
    nlohmann::json state(const std::string& owner);
    // What `change` changed, with the values as they are now, without the
    // locks (they differ per caller: changedLocks). Null when nothing a page
    // shows changed (the queue's figures, a page turn).
    nlohmann::json change(const SessionChange& change);
    // The "locks" part of a change for `owner`.
    nlohmann::json changedLocks(const SessionChange& change, const std::string& owner) const;

    static ApiReply error(int status, const std::string& text);

private:
    std::string lockView(std::int32_t output, const std::string& owner) const;
    nlohmann::json device() const;
    nlohmann::json pending() const;
    nlohmann::json layer() const;
    nlohmann::json modes();

    MatrixSession& m_session;
    std::string m_sentMode;      // the current mode the last change told
    bool m_sentPresent = false;  // the device presence the last change told
};

}  // namespace mc::web
