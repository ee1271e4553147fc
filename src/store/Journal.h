#pragma once

// The journal of who switched what: every step the session takes (a route, a
// mode, a status file, an undo, a lock, ...) as one line appended to
// "Matrix Config/MatrixJournal.jsonl" before its frames can reach the serial
// line, and the newest lines read back for the journal dialog.
//
// Threads: one Journal per session, used from the user-interface thread only.
// journalLine, parseJournalLine and Journal::readLatest keep no state and may
// run on any thread, also while a Journal appends to the same files.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mc {

namespace journal {

// Where a step came from: the operator at this computer's window, or else a
// network client's address ("127.0.0.2").
inline constexpr const char* kLocalOrigin = "本机操作台";

// What a step did (JournalEntry::action).
inline constexpr const char* kRoute = "route";
inline constexpr const char* kClose = "close";
inline constexpr const char* kTake = "take";
inline constexpr const char* kMode = "mode";
inline constexpr const char* kModeSave = "mode-save";
inline constexpr const char* kModeDelete = "mode-delete";
inline constexpr const char* kStatusFile = "status-file";
inline constexpr const char* kUndo = "undo";
inline constexpr const char* kRedo = "redo";
inline constexpr const char* kResend = "resend";
inline constexpr const char* kLock = "lock";
inline constexpr const char* kUnlock = "unlock";
inline constexpr const char* kForceUnlock = "force-unlock";
inline constexpr const char* kLabel = "label";
inline constexpr const char* kLayer = "layer";

// Which port a label step names (JournalEntry::kind).
inline constexpr const char* kInputPort = "input";
inline constexpr const char* kOutputPort = "output";

// What an output carried when it had no single input (JournalChange::fromKind
// and toKind).
inline constexpr const char* kClosed = "closed";
inline constexpr const char* kUnknown = "unknown";
inline constexpr const char* kCycle = "cycle";

}  // namespace journal

// One output whose input a step changed on one layer of the device
// ("video", "audio", or "all" for a model in pattern mode; "" in lines of
// older versions). Ports are zero-based; `from` and `to` are the inputs
// before and after, -1 when the output had no single input.
//
// The rest is empty in lines of older versions: the ports' names when the
// step was made ("" for a port without a name), and for an input of -1 what
// the output carried instead, with a cycle's inputs.
struct JournalChange {
    std::int32_t output = -1;
    std::int32_t from = -1;
    std::int32_t to = -1;
    std::string layer;
    std::string outputName;
    std::string fromKind;                  // journal::kClosed, kUnknown or kCycle
    std::string fromName;                  // input `from`'s name
    std::vector<std::int32_t> fromInputs;  // a cycle's inputs, in its order
    std::string toKind;
    std::string toName;
    std::vector<std::int32_t> toInputs;

    bool operator==(const JournalChange&) const = default;
};

// One step.
struct JournalEntry {
    std::chrono::system_clock::time_point time;     // kept to the millisecond
    std::string origin;                             // journal::kLocalOrigin or an address
    std::string action;                             // one of the journal::k... words
    std::vector<JournalChange> changes;             // may be empty
    std::vector<std::vector<std::uint8_t>> frames;  // the frames queued, in order
    std::optional<std::string> mode;                // the mode's name
    std::optional<std::string> file;                // the status file's path
    std::optional<std::int32_t> port;               // a port the step concerns
    std::optional<std::string> text;                // a label's name or other free text
    std::optional<std::string> kind;  // a label's port: journal::kInputPort or kOutputPort
    std::string portName;             // a locked output's name then; "" for none

    bool operator==(const JournalEntry&) const = default;
};

// The entry as one line of the journal, without the line end. The format: one
// JSON object (UTF-8) per line, ended by "\n", with the keys in this order:
//   "time"     local time of the process's time zone with milliseconds and
//              the UTC offset, "2026-12-09T12:20:21.123+08:00" (never "Z")
//   "origin"   string
//   "action"   string
//   "changes"  [{"layer": "video", "output": 0, "from": 2, "to": -1, ...},
//              ...], possibly []; each change's keys after "to" only when
//              not empty: "outputName", "fromKind", "fromName", "fromInputs",
//              "toKind", "toName", "toInputs", e.g.
//              {"layer":"video","output":0,"from":2,"to":-1,
//               "outputName":"Desk","fromName":"Camera 3","toKind":"cycle",
//               "toInputs":[2,3]}
//              (a kind only for an input of -1: "closed", "unknown" or
//              "cycle"; inputs only for a cycle, zero-based)
//   "frames"   ["EB 52 02 02 01 02 59", ...]: each frame's bytes as two
//              uppercase hexadecimal digits, separated by single spaces
// and then, each only when set: "mode" (string), "file" (string), "kind"
// (string), "port" (integer), "portName" (string, not empty), "text"
// (string). A label line names its port by "kind" ("input" or "output") and
// "port", its "text" being the new name alone. Non-ASCII text is written as
// UTF-8, not escaped; a byte that is not valid UTF-8 is written as U+FFFD, so
// the line is always valid JSON and never holds a line end.
std::string journalLine(const JournalEntry& entry);

// The entry a journal line holds; nothing for a line that is not one (junk, a
// line torn by a crash, a key missing or of the wrong type, a bad time or
// frame). parseJournalLine(journalLine(e)) == e when e.time is a whole
// millisecond and its strings are valid UTF-8. Keys the format does not name
// are ignored. A label line of an older version, without "kind" and with the
// kind in its text ("output: Desk"), reads as kind "output", text "Desk".
std::optional<JournalEntry> parseJournalLine(std::string_view line);

// Appends entries to the journal of one configuration folder, rotating it at
// kRotateBytes: the file is renamed to MatrixJournal.1.jsonl (replacing the
// previous one, so one old file is kept) and a new file begun.
//
// Durability: append writes the whole line with one write(2) to the file
// opened with O_APPEND (a second one only after a short write, the disk being
// full), and does not fsync. When append returns true the line
// is in the kernel: a process killed right after (even by SIGKILL) loses
// nothing, but a power loss may lose the last entries.
class Journal {
public:
    static constexpr std::size_t kRotateBytes = 8 * 1024 * 1024;
    static constexpr const char* kFileName = "MatrixJournal.jsonl";
    static constexpr const char* kRotatedFileName = "MatrixJournal.1.jsonl";

    // The journal in configDir (AppPaths::configDir()). Nothing is opened yet.
    explicit Journal(const std::string& configDir);
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // Writes journalLine(entry) and "\n" at the end of the file, rotating it
    // first when the line would take it over kRotateBytes (a file that is
    // empty takes any line). The file is opened on the first append and kept
    // open; it is opened again when it was renamed or removed meanwhile (by
    // another process's rotation, say) and after a failure. When the file
    // ends in a torn line (a crash during a write), a line end is written
    // first so the new line stands on its own. The configuration folder is
    // never created. Returns false when the line could not be written (nothing
    // or, the disk being full, part of it); error() then says why.
    bool append(const JournalEntry& entry);

    // Why the last append failed, naming the file and the system's reason:
    // "无法写入操作日志 <path>：<reason>". Empty after a successful append.
    const std::string& error() const { return m_error; }

    const std::string& path() const { return m_path; }

    // The newest count entries of the journal in configDir, newest first: from
    // MatrixJournal.jsonl and, when that holds fewer, MatrixJournal.1.jsonl.
    // Lines that parseJournalLine refuses are skipped; missing or unreadable
    // files give no entries.
    static std::vector<JournalEntry> readLatest(const std::string& configDir, std::size_t count);

private:
    // Opens the file unless the descriptor still refers to the file at m_path,
    // noting whether it ends in a torn line.
    bool openFile();
    void closeFile();
    // Sets m_error from the system's error number (what goes before its
    // text), closes the file and returns false.
    bool fail(int error, const char* what = "");

    std::string m_path;
    std::string m_rotatedPath;
    std::string m_error;
    int m_fd = -1;
    bool m_needsLineEnd = false;  // the file ends in a torn line
};

}  // namespace mc
