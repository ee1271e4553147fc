#include "store/Journal.h"
#include "text/Text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>
#include <nlohmann/json.hpp>
#include <utility>

namespace mc {

namespace {

using Json = nlohmann::ordered_json;
using namespace std::chrono;

// --- time ------------------------------------------------------------------

// The process's UTC offset at time, in whole minutes (rounded: some zones'
// historical offsets have seconds).
minutes localOffset(system_clock::time_point time) {
    const std::time_t t = system_clock::to_time_t(floor<seconds>(time));
    std::tm local{};
    if (::localtime_r(&t, &local) == nullptr) return minutes(0);
    const long offset = local.tm_gmtoff;
    return minutes((offset + (offset >= 0 ? 30 : -30)) / 60);
}

// "2026-12-09T12:20:21.123+08:00". The digits are computed from the offset as
// written, so the text always reads back to the same millisecond.
std::string formatTime(system_clock::time_point time) {
    const auto utc = floor<milliseconds>(time);
    const minutes offset = localOffset(time);
    const auto local = utc + offset;
    const auto day = floor<days>(local);
    const year_month_day date{day};
    const hh_mm_ss<milliseconds> clock{local - day};
    const long offsetMinutes = offset.count() < 0 ? -offset.count() : offset.count();
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03d%c%02ld:%02ld",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()),
                  static_cast<int>(clock.subseconds().count()), offset.count() < 0 ? '-' : '+',
                  offsetMinutes / 60, offsetMinutes % 60);
    return text;
}

// The decimal number of exactly `length` digits at pos, or -1.
int digitsAt(std::string_view text, std::size_t pos, std::size_t length) {
    int value = 0;
    for (std::size_t i = pos; i < pos + length; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// The inverse of formatTime; nothing for any other text.
std::optional<system_clock::time_point> parseTime(std::string_view text) {
    constexpr std::string_view kShape = "0000-00-00T00:00:00.000+00:00";
    if (text.size() != kShape.size()) return std::nullopt;
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        const bool digit = kShape[i] == '0';
        if (i == 23) {
            if (text[i] != '+' && text[i] != '-') return std::nullopt;
        } else if (!digit && text[i] != kShape[i]) {
            return std::nullopt;
        }
    }
    const year_month_day date{year(digitsAt(text, 0, 4)),
                              month(static_cast<unsigned>(digitsAt(text, 5, 2))),
                              day(static_cast<unsigned>(digitsAt(text, 8, 2)))};
    const int hour = digitsAt(text, 11, 2);
    const int minute = digitsAt(text, 14, 2);
    const int second = digitsAt(text, 17, 2);
    const int millisecond = digitsAt(text, 20, 3);
    const int offsetHours = digitsAt(text, 24, 2);
    const int offsetMinutes = digitsAt(text, 27, 2);
    if (!date.ok() || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
        second > 59 || millisecond < 0 || offsetHours < 0 || offsetHours > 23 ||
        offsetMinutes < 0 || offsetMinutes > 59)
        return std::nullopt;
    const minutes offset{(text[23] == '-' ? -1 : 1) * (offsetHours * 60 + offsetMinutes)};
    const auto local = sys_days(date) + hours(hour) + minutes(minute) + seconds(second) +
                       milliseconds(millisecond);
    return system_clock::time_point(local - offset);
}

// --- frames ----------------------------------------------------------------

constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string frameText(const std::vector<std::uint8_t>& frame) {
    std::string text;
    text.reserve(frame.size() * 3);
    for (const std::uint8_t byte : frame) {
        if (!text.empty()) text += ' ';
        text += kHexDigits[byte >> 4];
        text += kHexDigits[byte & 0x0F];
    }
    return text;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The inverse of frameText (lowercase digits accepted).
std::optional<std::vector<std::uint8_t>> parseFrame(std::string_view text) {
    std::vector<std::uint8_t> frame;
    if (text.empty()) return frame;
    if (text.size() % 3 != 2) return std::nullopt;
    for (std::size_t i = 0; i < text.size(); i += 3) {
        const int high = hexValue(text[i]);
        const int low = hexValue(text[i + 1]);
        if (high < 0 || low < 0 || (i + 2 < text.size() && text[i + 2] != ' ')) return std::nullopt;
        frame.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return frame;
}

// --- reading ---------------------------------------------------------------

const Json* member(const Json& object, const char* key) {
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

std::optional<std::string> stringOf(const Json* value) {
    if (value == nullptr || !value->is_string()) return std::nullopt;
    return value->get<std::string>();
}

std::optional<std::int32_t> int32Of(const Json* value) {
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    if (value == nullptr) return std::nullopt;
    if (value->is_number_unsigned()) {
        const auto n = value->get<std::uint64_t>();
        if (n > static_cast<std::uint64_t>(kMax)) return std::nullopt;
        return static_cast<std::int32_t>(n);
    }
    if (!value->is_number_integer()) return std::nullopt;
    const auto n = value->get<std::int64_t>();
    if (n < kMin || n > kMax) return std::nullopt;
    return static_cast<std::int32_t>(n);
}

// An optional key: absent gives true and leaves target empty; present with
// the wrong type gives false.
template <typename T, typename Read>
bool readOptional(const Json& object, const char* key, std::optional<T>& target, Read read) {
    const Json* value = member(object, key);
    if (value == nullptr) return true;
    target = read(value);
    return target.has_value();
}

// A key that is written only when not empty: absent leaves target empty,
// present with the wrong type gives false.
bool readUnlessEmpty(const Json& object, const char* key, std::string& target) {
    const Json* value = member(object, key);
    if (value == nullptr) return true;
    if (!value->is_string()) return false;
    target = value->get<std::string>();
    return true;
}

bool readUnlessEmpty(const Json& object, const char* key, std::vector<std::int32_t>& target) {
    const Json* value = member(object, key);
    if (value == nullptr) return true;
    if (!value->is_array()) return false;
    for (const Json& item : *value) {
        const auto number = int32Of(&item);
        if (!number) return false;
        target.push_back(*number);
    }
    return true;
}

bool readChanges(const Json* value, std::vector<JournalChange>& changes) {
    if (value == nullptr || !value->is_array()) return false;
    for (const Json& item : *value) {
        if (!item.is_object()) return false;
        const auto output = int32Of(member(item, "output"));
        const auto from = int32Of(member(item, "from"));
        const auto to = int32Of(member(item, "to"));
        if (!output || !from || !to) return false;
        JournalChange& change = changes.emplace_back();
        change.output = *output;
        change.from = *from;
        change.to = *to;
        if (!readUnlessEmpty(item, "layer", change.layer) ||
            !readUnlessEmpty(item, "outputName", change.outputName) ||
            !readUnlessEmpty(item, "fromKind", change.fromKind) ||
            !readUnlessEmpty(item, "fromName", change.fromName) ||
            !readUnlessEmpty(item, "fromInputs", change.fromInputs) ||
            !readUnlessEmpty(item, "toKind", change.toKind) ||
            !readUnlessEmpty(item, "toName", change.toName) ||
            !readUnlessEmpty(item, "toInputs", change.toInputs))
            return false;
    }
    return true;
}

// A label line of an older version gives the port's kind in its text
// ("output: Desk"): the kind and the name alone, as this version writes them.
void readOlderLabel(JournalEntry& entry) {
    if (entry.action != journal::kLabel || entry.kind || !entry.text) return;
    for (const char* kind : {journal::kInputPort, journal::kOutputPort}) {
        const std::string prefix = std::string(kind) + ": ";
        if (entry.text->starts_with(prefix)) {
            entry.kind = kind;
            entry.text->erase(0, prefix.size());
            return;
        }
    }
}

bool readFrames(const Json* value, std::vector<std::vector<std::uint8_t>>& frames) {
    if (value == nullptr || !value->is_array()) return false;
    for (const Json& item : *value) {
        if (!item.is_string()) return false;
        auto frame = parseFrame(item.get_ref<const std::string&>());
        if (!frame) return false;
        frames.push_back(std::move(*frame));
    }
    return true;
}

// The whole file, or nothing when it is not a regular file or cannot be read.
std::string readWholeFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    std::string bytes;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        // A file still growing is read to its size when opened; a line
        // appended meanwhile is left for the next read.
        bytes.resize(static_cast<std::size_t>(info.st_size));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) done = 0;  // a read error: nothing of this file
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        bytes.resize(done);
    }
    ::close(fd);
    return bytes;
}

// Adds the entries of bytes, last line first, until entries holds count.
void collectNewest(std::string_view bytes, std::size_t count, std::vector<JournalEntry>& entries) {
    std::size_t end = bytes.size();  // of the line looked at next
    while (end > 0 && entries.size() < count) {
        const std::size_t cut = bytes.rfind('\n', end - 1);
        const std::size_t begin = cut == std::string_view::npos ? 0 : cut + 1;
        if (auto entry = parseJournalLine(bytes.substr(begin, end - begin)))
            entries.push_back(std::move(*entry));
        end = begin == 0 ? 0 : cut;
    }
}

}  // namespace

std::string journalLine(const JournalEntry& entry) {
    Json changes = Json::array();
    for (const JournalChange& change : entry.changes) {
        Json item = {{"layer", change.layer},
                     {"output", change.output},
                     {"from", change.from},
                     {"to", change.to}};
        const auto add = [&item](const char* key, const auto& value) {
            if (!value.empty()) item[key] = value;
        };
        add("outputName", change.outputName);
        add("fromKind", change.fromKind);
        add("fromName", change.fromName);
        add("fromInputs", change.fromInputs);
        add("toKind", change.toKind);
        add("toName", change.toName);
        add("toInputs", change.toInputs);
        changes.push_back(std::move(item));
    }
    Json frames = Json::array();
    for (const auto& frame : entry.frames)
        frames.push_back(frameText(frame));

    Json object = Json::object();
    object["time"] = formatTime(entry.time);
    object["origin"] = entry.origin;
    object["action"] = entry.action;
    object["changes"] = std::move(changes);
    object["frames"] = std::move(frames);
    if (entry.mode) object["mode"] = *entry.mode;
    if (entry.file) object["file"] = *entry.file;
    if (entry.kind) object["kind"] = *entry.kind;
    if (entry.port) object["port"] = *entry.port;
    if (!entry.portName.empty()) object["portName"] = entry.portName;
    if (entry.text) object["text"] = *entry.text;
    return object.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::optional<JournalEntry> parseJournalLine(std::string_view line) {
    const Json object = Json::parse(line.begin(), line.end(), nullptr, false);
    if (!object.is_object()) return std::nullopt;  // discarded (not JSON) or another value

    JournalEntry entry;
    const auto time = stringOf(member(object, "time"));
    const auto when = time ? parseTime(*time) : std::nullopt;
    auto origin = stringOf(member(object, "origin"));
    auto action = stringOf(member(object, "action"));
    if (!when || !origin || !action) return std::nullopt;
    entry.time = *when;
    entry.origin = std::move(*origin);
    entry.action = std::move(*action);
    if (!readChanges(member(object, "changes"), entry.changes) ||
        !readFrames(member(object, "frames"), entry.frames) ||
        !readOptional(object, "mode", entry.mode, stringOf) ||
        !readOptional(object, "file", entry.file, stringOf) ||
        !readOptional(object, "kind", entry.kind, stringOf) ||
        !readOptional(object, "port", entry.port, int32Of) ||
        !readUnlessEmpty(object, "portName", entry.portName) ||
        !readOptional(object, "text", entry.text, stringOf))
        return std::nullopt;
    readOlderLabel(entry);
    return entry;
}

Journal::Journal(const std::string& configDir)
    : m_path(configDir + "/" + kFileName), m_rotatedPath(configDir + "/" + kRotatedFileName) {}

Journal::~Journal() {
    closeFile();
}

void Journal::closeFile() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

bool Journal::fail(int error, const char* what) {
    m_error = formatText(translated("Journal", "无法写入操作日志 %1：%2%3"),
                         {m_path, what, std::strerror(error)});
    closeFile();  // the next append starts afresh
    return false;
}

bool Journal::openFile() {
    if (m_fd >= 0) {
        // Still the file at m_path? Not when it was renamed or removed.
        struct stat named {};
        struct stat opened {};
        if (::stat(m_path.c_str(), &named) == 0 && ::fstat(m_fd, &opened) == 0 &&
            named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
            return true;
        closeFile();
    }
    m_fd = ::open(m_path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0) return fail(errno);
    struct stat info {};
    if (::fstat(m_fd, &info) != 0) return fail(errno);
    char last = '\n';
    if (info.st_size > 0) {
        // Opened for writing only: read the last byte through the path.
        const int reader = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
        if (reader >= 0) {
            if (::pread(reader, &last, 1, info.st_size - 1) != 1) last = '\n';
            ::close(reader);
        }
    }
    m_needsLineEnd = last != '\n';
    return true;
}

bool Journal::append(const JournalEntry& entry) {
    std::string line = journalLine(entry);
    line += '\n';
    if (!openFile()) return false;

    struct stat info {};
    if (::fstat(m_fd, &info) != 0) return fail(errno);
    const auto size = static_cast<std::size_t>(info.st_size);
    if (size > 0 && size + line.size() + (m_needsLineEnd ? 1 : 0) > kRotateBytes) {
        if (::rename(m_path.c_str(), m_rotatedPath.c_str()) != 0)
            return fail(errno,
                        translated("Journal", "改名为 MatrixJournal.1.jsonl 失败：").c_str());
        closeFile();
        if (!openFile()) return false;
    }
    if (m_needsLineEnd) line.insert(line.begin(), '\n');

    std::string_view rest = line;
    while (!rest.empty()) {
        const ssize_t written = ::write(m_fd, rest.data(), rest.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return fail(written == 0 ? EIO : errno);
        // A short write (disk full) is followed by one for the rest, which
        // then usually fails; the torn line is ended on the next open.
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    m_needsLineEnd = false;
    m_error.clear();
    return true;
}

std::vector<JournalEntry> Journal::readLatest(const std::string& configDir, std::size_t count) {
    std::vector<JournalEntry> entries;
    for (const char* name : {kFileName, kRotatedFileName}) {
        if (entries.size() >= count) break;
        collectNewest(readWholeFile(configDir + "/" + name), count, entries);
    }
    return entries;
}

}  // namespace mc
