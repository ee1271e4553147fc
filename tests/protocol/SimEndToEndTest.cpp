// matrix-sim as a separate process on a pseudo-terminal: frames from the
// program's own sender thread, replies, state dumps, malformed input, and the
// files it announces itself with.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "SimProcess.h"
#include "protocol/MatrixComm.h"
#include "protocol/QXRClass.h"

namespace mc {
namespace {

using namespace std::chrono_literals;

// Writes each frame to the pseudo-terminal, as the serial port would.
class TerminalPort : public IBytePort {
public:
    explicit TerminalPort(int fd) : m_fd(fd) {}
    bool WriteData(const std::uint8_t* Bytes, std::uint16_t Count) override {
        return Count > 0 && ::write(m_fd, Bytes, Count) == Count;
    }

private:
    int m_fd;
};

std::filesystem::path makeTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "matrix-sim-test-XXXXXX");
    return ::mkdtemp(pattern.data()) ? pattern : "";
}

double gapOf(const std::string& jsonLine) {
    std::smatch match;
    static const std::regex gap(R"("gap_ms":([0-9.]+))");
    return std::regex_search(jsonLine, match, gap) ? std::stod(match[1]) : -1;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Reads from the terminal until `count` bytes came or `limit` passed.
std::vector<std::uint8_t> readTerminal(int fd, std::size_t count, std::chrono::milliseconds limit) {
    std::vector<std::uint8_t> bytes;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
        pollfd poller{fd, POLLIN, 0};
        if (::poll(&poller, 1, 100) == 1) {
            std::uint8_t buffer[64];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) {
                bytes.insert(bytes.end(), buffer, buffer + n);
            }
        }
    }
    return bytes;
}

TEST(MatrixSim, ReportsPacedFramesAsJsonRepliesAndDumps) {
    const auto dir = makeTempDir();
    ASSERT_FALSE(dir.empty());
    const auto pathFile = dir / "device";
    // Delivery through the terminal adds scheduling jitter to the gaps: the
    // bounds are generous (the exact pacing is tested with a fake clock).
    test::SimProcess sim(
        {"--json", "--reply", "06", "--path-file", pathFile.string(), "--tolerance", "30"});
    ASSERT_TRUE(sim.started());
    const auto device = sim.readLine();
    ASSERT_TRUE(device.has_value());
    std::string announced;
    std::getline(std::ifstream(pathFile), announced);
    EXPECT_EQ(announced, *device);
    const int fd = test::openRawTerminal(*device);
    ASSERT_GE(fd, 0);

    CommandQueue queue;
    TerminalPort port(fd);
    TMatrixCommDataThread sender(queue, port);
    TQXRClass cell;
    cell.SendOnOff(queue, 0x52, true);
    cell.SendLayer(queue, 0x52, 1);
    cell.SendSwitch(queue, 0x52, 4, 2);
    cell.SendCloseOutput(queue, 0x52, 1);
    cell.SendCycle(queue, 0x52, {0, 1, 2}, 3, 5);
    sender.start();

    const std::vector<std::string> kinds = {"on-off", "layer", "switch", "close", "cycle"};
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        const auto line = sim.readLine();
        ASSERT_TRUE(line.has_value()) << "frame " << i;
        EXPECT_TRUE(contains(*line, "\"kind\":\"" + kinds[i] + "\"")) << *line;
        EXPECT_TRUE(contains(*line, "\"flags\":[]")) << *line;  // paced: never TOO-CLOSE
        if (i > 0) {
            EXPECT_GE(gapOf(*line), 175.0) << *line;
        }
    }
    sender.stop();
    EXPECT_EQ(readTerminal(fd, 5, 10s), std::vector<std::uint8_t>(5, 0x06));

    sim.signal(SIGUSR1);
    const auto dump = sim.readLine();
    ASSERT_TRUE(dump.has_value());
    EXPECT_TRUE(contains(*dump, R"("outputs":[{"output":0,"input":0},{"output":1,"input":null},)"
                                R"({"output":2,"input":4}])"))
        << *dump;
    EXPECT_TRUE(contains(*dump, R"("cycle":{"interval_s":5,"inputs":[0,1,2]},"layer":1)")) << *dump;

    sim.signal(SIGTERM);
    std::vector<std::string> rest;
    EXPECT_EQ(sim.finish(rest), 0);
    EXPECT_TRUE(rest.empty());
    EXPECT_FALSE(std::filesystem::exists(pathFile));
    ::close(fd);
    std::filesystem::remove_all(dir);
}

TEST(MatrixSim, FlagsMalformedAndCrowdedFramesAndSurvivesReopening) {
    const auto dir = makeTempDir();
    ASSERT_FALSE(dir.empty());
    const auto link = dir / "ttyMATRIX";
    test::SimProcess sim({"--link", link.string(), "--dump-on-exit", "--idle-flush", "100"});
    ASSERT_TRUE(sim.started());
    const auto device = sim.readLine();
    ASSERT_TRUE(device.has_value());
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), *device);

    int fd = test::openRawTerminal(link.string());
    ASSERT_GE(fd, 0);
    // Two frames in one write: the second comes far too soon.
    const std::uint8_t twoFrames[] = {0xEB, 0x52, 0x08, 0x01, 0x03, 0x5E, 0xEB,
                                      0x52, 0x02, 0x02, 0x00, 0x02, 0x58};
    ASSERT_EQ(::write(fd, twoFrames, sizeof twoFrames), 13);
    // The port is closed and opened again, as a rebuild of the program does.
    ::close(fd);
    fd = test::openRawTerminal(link.string());
    ASSERT_GE(fd, 0);
    const std::uint8_t badChecksum[] = {0xEB, 0x52, 0x08, 0x01, 0x03, 0x5F};
    ASSERT_EQ(::write(fd, badChecksum, sizeof badChecksum), 6);
    const std::uint8_t cutShort[] = {0xEB, 0x52, 0x02};
    ASSERT_EQ(::write(fd, cutShort, sizeof cutShort), 3);

    std::vector<std::string> lines;
    for (int i = 0; i < 4; ++i) {
        const auto line = sim.readLine();
        ASSERT_TRUE(line.has_value()) << "line " << i;
        lines.push_back(*line);
    }
    EXPECT_TRUE(contains(lines[0], "first  EB 52 08 01 03 5E  output 4 closed")) << lines[0];
    EXPECT_TRUE(contains(lines[1], "EB 52 02 02 00 02 58  output 1 ← input 3  TOO-CLOSE"))
        << lines[1];
    EXPECT_TRUE(contains(lines[2], "MALFORMED (bad checksum: expected 5E, got 5F)")) << lines[2];
    EXPECT_TRUE(contains(lines[3], "EB 52 02  MALFORMED (frame cut short after 3 byte(s))"))
        << lines[3];

    sim.signal(SIGINT);
    std::vector<std::string> rest;
    EXPECT_EQ(sim.finish(rest), 0);
    ASSERT_FALSE(rest.empty());
    EXPECT_EQ(rest[0], "state: address 0x52, power never set, layer never set");
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    ::close(fd);
    std::filesystem::remove_all(dir);
}

TEST(MatrixSim, RejectsABadCommandLine) {
    test::SimProcess sim({"--address", "300"});
    ASSERT_TRUE(sim.started());
    std::vector<std::string> rest;
    EXPECT_EQ(sim.finish(rest), 2);
    EXPECT_TRUE(rest.empty());  // no device was announced
}

}  // namespace
}  // namespace mc
