#pragma once

// WebApi: the HTTP API under /api/v1/ on a MatrixSession, without the
// transport. Each request becomes one session call in the caller's name (its
// address: the owner of its locks and the origin of its steps, so the journal
// names it); the JSON of the state and of every change event is written here.
// Ports are zero-based; -1 is "closed" (a route) or "none".
//
// JSON in and out (nlohmann-json). Answers: 200 with a JSON object, or an
// error status with {"error": "<English text>", "code": "<stable code>"},
// answered from the session's outcome where the session refused: 400
// bad_request (not JSON, a field missing or of the wrong type, an integer
// beyond 64 bits) or bad_label (a control character in a name), 404
// out_of_range (no such port) or not_found (no such mode or path), 405 (the
// path exists with another method), 409 locked (by someone else, with
// "owner"), exists (a mode's name, saved without "overwrite") or unavailable
// (not in take mode, the layer buttons are off), 500
// file_error (a file could not be read or written, with its text), 503 busy.
//
// Lifetime: the session must outlive this object. Threads: the session's.

#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

namespace mc {
class MatrixSession;
struct Outcome;
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

    // The whole state as `owner` sees it: locks "own", "other" or "none", and
    // in "lockOwners" the holder of each lock held by someone else ("" else).
    nlohmann::json state(const std::string& owner);
    // What `change` changed, with the values it carries, without the locks
    // (they differ per caller: changedLocks). Null when nothing a page shows
    // changed (the queue's figures).
    nlohmann::json change(const SessionChange& change) const;
    // The "locks" part of a change for `owner`: each output's lock as it sees
    // it and the holder when that is someone else ("" else).
    static nlohmann::json changedLocks(const SessionChange& change, const std::string& owner);

    // An error answer; without a code, the usual one for the status.
    static ApiReply error(int status, const std::string& text);
    static ApiReply error(int status, const std::string& code, const std::string& text);
    // The answer to a request the session refused.
    static ApiReply refusal(const Outcome& outcome);

private:
    // "none", "own" or "other": a lock as `owner` sees it.
    std::string lockView(std::int32_t output, const std::string& owner) const;
    static std::string lockView(const std::string& holder, const std::string& owner);

    MatrixSession& m_session;
};

}  // namespace mc::web
