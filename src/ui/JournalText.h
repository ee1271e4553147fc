#pragma once

// The journal as the journal dialog shows it: each entry's time, action,
// changes, details and frames as text, the outputs an entry concerns (the
// dialog's filter), and reading the newest entries with what went wrong.
// Ports are shown one-based, with the names a line keeps from when its step
// was made ("输出3（主屏）"); lines of older versions kept none, and show the
// numbers alone. UI thread only.

#include <QString>
#include <QStringList>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "store/Journal.h"

namespace mc {

// Who did a step or holds a lock, as the window shows it: the window's own
// id (MatrixSession::kWindowOwner, journal::kLocalOrigin) in the program's
// language, anyone else (an address) as it is.
QString ownerText(const std::string& owner);

// "2026-12-09 12:20:21.123", in the local time zone.
QString journalTimeText(std::chrono::system_clock::time_point time);

// The action in words ("route": "切换"); a word not known is shown as it is.
QString journalActionText(const std::string& action);
// The words of every action the session writes.
QStringList journalActionTexts();

// Each change as "输出3（主屏）：输入2 → 循环 3、4", joined by "；". An output
// without a single input shows "关闭", "未知" or "循环 3、4"; in a line of an
// older version, which does not say which, "关闭" as the target of a close,
// else "—".
QString journalChangesText(const JournalEntry& entry);
// Whether journalChangesText shows "—" for the entry.
bool journalShowsDash(const JournalEntry& entry);

// The entry's mode, file, port and text, joined by "；": "模式：晚会",
// "输入3 命名为“摄像机”", "输出2（主屏）" for a lock, "音频控制" for a layer.
QString journalDetailsText(const JournalEntry& entry);

// Every frame as uppercase hexadecimal bytes ("EB 52 02 02 01 02 59"),
// joined by " | ".
QString journalFramesText(const JournalEntry& entry);

// Whether the entry concerns output o (zero-based): one of its changes is
// o's, or it locks, unlocks or names output o.
bool journalConcernsOutput(const JournalEntry& entry, std::int32_t output);

// The filter item of output o: "3 主屏" when it has a name in outputNames (the
// session's names now), else "输出3".
QString journalOutputItem(std::int32_t output, const std::vector<std::string>& outputNames);

// The newest `count` entries of the journal in configDir, newest first
// (Journal::readLatest), and why none could be read.
struct JournalRead {
    std::vector<JournalEntry> entries;
    bool missing = false;  // no journal has been written yet
    QString error;         // a journal file exists but cannot be read; "" otherwise
};
JournalRead readJournal(const std::string& configDir, std::size_t count);

}  // namespace mc
