// The journal: its line byte for byte, reading back, rotation, torn lines, failures.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/Journal.h"
#include "store/StoreTestUtil.h"

namespace mc::test {
namespace {

using namespace std::chrono;

// 2026-12-09 04:20:21.123 UTC.
const system_clock::time_point kTime =
    sys_days{year(2026) / 12 / 9} + hours(4) + minutes(20) + seconds(21) + milliseconds(123);

JournalEntry fullEntry() {
    return {kTime,
            "127.0.0.2",
            journal::kRoute,
            {{1, -1, 2, "video", "", "closed", "", {}, "", "", {}},
             {0, 3, -1, "audio", "主屏", "", "摄像机", {}, "cycle", "", {2, 3}}},
            {{0xEB, 0x52, 0x02, 0x02, 0x01, 0x02, 0x59}, {0x0A}},
            "会议",
            "/p/状态.ms",
            9990,
            "摄像机",
            "input",
            "Desk"};
}

// Sets TZ for the test's duration.
struct TimeZone {
    explicit TimeZone(const char* zone) {
        if (const char* old = ::getenv("TZ")) m_old = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~TimeZone() {
        m_old ? ::setenv("TZ", m_old->c_str(), 1) : ::unsetenv("TZ");
        ::tzset();
    }
    std::optional<std::string> m_old;
};

TEST(JournalLine, IsExactlyTheFormatInEitherOffsetDirection) {
    const std::string rest =
        R"(","origin":"127.0.0.2","action":"route","changes":[{"layer":"video","output":1,)"
        R"("from":-1,"to":2,"fromKind":"closed"},{"layer":"audio","output":0,"from":3,"to":-1,)"
        R"("outputName":"主屏","fromName":"摄像机","toKind":"cycle","toInputs":[2,3]}],)"
        R"("frames":["EB 52 02 02 01 02 59","0A"],"mode":"会议","file":"/p/状态.ms",)"
        R"("kind":"input","port":9990,"portName":"Desk","text":"摄像机"})";
    for (const auto& [zone, time] : {std::pair{"UTC-8", "2026-12-09T12:20:21.123+08:00"},
                                     std::pair{"UTC+3:30", "2026-12-09T00:50:21.123-03:30"}}) {
        const TimeZone tz(zone);
        EXPECT_EQ(journalLine(fullEntry()), R"({"time":")" + std::string(time) + rest);
        EXPECT_EQ(parseJournalLine(std::string(R"({"time":")") + time + rest), fullEntry());
    }
}

TEST(JournalLine, RoundTripsEveryFieldAndReplacesBytesThatAreNotUtf8) {
    JournalEntry entry = fullEntry();
    entry.origin = journal::kLocalOrigin;
    entry.text = "a\xFF\nb";
    entry.frames.push_back({});
    const std::string line = journalLine(entry);
    EXPECT_TRUE(nlohmann::json::accept(line)) << line;
    EXPECT_EQ(line.find('\n'), std::string::npos);
    entry.text = "a\uFFFD\nb";
    EXPECT_EQ(parseJournalLine(line), entry);
    const JournalEntry bare{
        kTime, journal::kLocalOrigin, journal::kUndo, {}, {}, {}, {}, {}, {}, {}, ""};
    EXPECT_EQ(parseJournalLine(journalLine(bare)), bare);
}

TEST(JournalLine, ReadsTheKindOfAnOlderLabelLineFromItsText) {
    const std::optional<JournalEntry> older = parseJournalLine(
        R"({"time":"2026-12-09T12:20:21.123+08:00","origin":"127.0.0.2","action":"label",)"
        R"("changes":[],"frames":[],"port":3,"text":"output: Desk"})");
    ASSERT_TRUE(older);
    EXPECT_EQ(older->kind, "output");
    EXPECT_EQ(older->text, "Desk");
    JournalEntry named = *older;
    named.text = "input: Desk";  // a name as typed, its kind given apart
    EXPECT_EQ(parseJournalLine(journalLine(named)), named);
}

TEST(JournalLine, RefusesWhatIsNotAJournalObject) {
    const std::string line = journalLine(fullEntry());
    std::vector<std::string> bad{"", "[]", "{}", line.substr(0, line.size() - 1)};
    for (const auto& [what, with] :
         {std::pair{"EB 52", "EB5 2"}, std::pair{"\"to\":2", "\"to\":\"2\""},
          std::pair{".123", ".123Z"}, std::pair{"\"port\"", "\"port\":1.5,\"x\""},
          std::pair{"[2,3]", "[2,\"3\"]"}}) {
        std::string changed = line;
        bad.push_back(changed.replace(changed.find(what), std::string_view(what).size(), with));
    }
    for (const std::string& text : bad)
        EXPECT_EQ(parseJournalLine(text), std::nullopt) << text;
}

class JournalFile : public ::testing::Test {
protected:
    static JournalEntry numbered(int n, std::size_t textBytes = 0) {
        JournalEntry entry = fullEntry();
        entry.port = n;
        entry.text = std::string(textBytes, 'x');
        return entry;
    }
    std::vector<int> latestPorts(std::size_t count) const {
        std::vector<int> ports;
        for (const JournalEntry& entry : Journal::readLatest(folder.paths.configDir(), count))
            ports.push_back(entry.port.value_or(-1));
        return ports;
    }
    std::string file(const char* name) const { return folder.paths.configFile(name); }

    ConfigFolder folder;
    Journal journal{folder.paths.configDir()};
};

TEST_F(JournalFile, RotatesBeforeALineWouldPassTheLimit) {
    int n = 0;
    while (!std::filesystem::exists(file(Journal::kRotatedFileName)) && n < 200)
        ASSERT_TRUE(journal.append(numbered(++n, 64 * 1024))) << journal.error();
    const auto rotatedSize = std::filesystem::file_size(file(Journal::kRotatedFileName));
    const std::string last = journalLine(numbered(n, 64 * 1024)) + "\n";
    EXPECT_LE(rotatedSize, Journal::kRotateBytes);
    EXPECT_GT(rotatedSize + last.size(), Journal::kRotateBytes);
    EXPECT_EQ(readBytes(file(Journal::kFileName)), last);

    ASSERT_TRUE(journal.append(numbered(n + 1)));
    EXPECT_EQ(latestPorts(3), (std::vector<int>{n + 1, n, n - 1}));
}

TEST_F(JournalFile, SkipsATornLastLineAndEndsItBeforeTheNextLine) {
    ASSERT_TRUE(journal.append(numbered(1)));
    ASSERT_TRUE(journal.append(numbered(2)));
    std::ofstream(file(Journal::kFileName), std::ios::app) << R"({"time":"2026-12-09T1)";
    EXPECT_EQ(latestPorts(5), (std::vector<int>{2, 1}));

    Journal next(folder.paths.configDir());  // the program started again
    ASSERT_TRUE(next.append(numbered(4)));
    EXPECT_EQ(latestPorts(5), (std::vector<int>{4, 2, 1}));
}

TEST_F(JournalFile, FollowsAFileRotatedOrRemovedByAnother) {
    ASSERT_TRUE(journal.append(numbered(1)));
    std::filesystem::rename(file(Journal::kFileName), file(Journal::kRotatedFileName));
    ASSERT_TRUE(Journal(folder.paths.configDir()).append(numbered(2)));  // another instance
    ASSERT_TRUE(journal.append(numbered(3)));
    EXPECT_EQ(latestPorts(5), (std::vector<int>{3, 2, 1}));
    std::filesystem::remove(file(Journal::kFileName));
    ASSERT_TRUE(journal.append(numbered(4)));
    EXPECT_EQ(latestPorts(5), (std::vector<int>{4, 1}));
}

TEST_F(JournalFile, FailsInAMissingFolderAndWorksOnceItExists) {
    const std::string missing = file("missing");
    Journal other(missing);
    EXPECT_FALSE(other.append(fullEntry()));
    EXPECT_THAT(other.error(), ::testing::HasSubstr(missing + "/MatrixJournal.jsonl"));
    EXPECT_FALSE(std::filesystem::exists(missing));
    std::filesystem::create_directory(missing);
    EXPECT_TRUE(other.append(fullEntry())) << other.error();
    EXPECT_EQ(Journal::readLatest(missing, 5), std::vector<JournalEntry>{fullEntry()});
    // A path that cannot be read as a file gives no entries, the older file still its own.
    std::filesystem::rename(missing + "/" + Journal::kFileName,
                            missing + "/" + Journal::kRotatedFileName);
    std::filesystem::create_directory(missing + "/" + Journal::kFileName);
    EXPECT_EQ(Journal::readLatest(missing, 5), std::vector<JournalEntry>{fullEntry()});
}

}  // namespace
}  // namespace mc::test
