// Termination signals against the real program and a probe, as processes:
// a signal ends the program within 2 s with the names saved, also while a box
// is open and when the close's own save fails; a second signal never cuts a
// save short, and only one 5 s after the first ends a program that hangs.
// Temporary files of a killed save are removed by the next start.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "config/AppPaths.h"
#include "config/ConfigTestUtil.h"
#include "config/IniFile.h"
#include "control/ProgramProcess.h"
#include "support/TestPty.h"

namespace mc::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kEndLimit = 2000ms;

bool exitedNormally(const std::optional<int>& status) {
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}

std::string describe(const std::optional<int>& status) {
    if (!status) return "still running";
    if (WIFSIGNALED(*status)) return "killed by signal " + std::to_string(WTERMSIG(*status));
    return "exit status " + std::to_string(WEXITSTATUS(*status));
}

// A program folder holding a copy of matrix-control (the program finds its
// folder from its own path), with input names in use on a 4 × 4 model.
class ProgramFolder : public ::testing::Test {
protected:
    ProgramFolder() {
        const fs::path program = fs::path(dir.path()) / "matrix-control";
        std::error_code linked;
        fs::create_hard_link(MC_PROGRAM_PATH, program, linked);
        if (linked) fs::copy_file(MC_PROGRAM_PATH, program);
        programPath = program.string();
        paths.ensureConfigDir();
        setConfig("Serial Port Map", "COM1", pty.slavePath());
        setConfig("Matrix Manage Message", "MatrixNowUse", "T");
        setConfig("Matrix Manage Message", "MatrixInputEditEnable", "1");
        IniFile models(paths.modelConfigFile());
        models.writeInteger("T", "MatrixInputNum", 4);
        models.writeInteger("T", "MatrixOutputNum", 4);
        models.commit();
        iniWriteString(paths.editListFile(), "MatrixInputStringList", "InputString0", "摄像机");
    }

    void setConfig(const std::string& section, const std::string& key, const std::string& value) {
        iniWriteString(paths.mainConfigFile(), section, key, value);
    }
    // The close has run: it writes both flags and every input name.
    bool namesSaved() const {
        return iniReadString(paths.mainConfigFile(), "Matrix Manage Message",
                             "MatrixOutputEditEnable", "<missing>") == "0" &&
               iniReadString(paths.editListFile(), "MatrixInputStringList", "InputString3",
                             "<missing>") == "" &&
               iniReadString(paths.editListFile(), "MatrixInputStringList", "InputString0", "") ==
                   "摄像机";
    }
    ProgramProcess start() { return ProgramProcess(programPath, {}, dir.file("output.txt")); }

    TempDir dir;
    AppPaths paths{dir.path()};
    Pty pty;
    std::string programPath;
};

using Termination = ProgramFolder;

TEST_F(Termination, ASignalDuringTheStartUpPortBoxEndsTheProgramWithTheNamesSaved) {
    setConfig("Serial Port Map", "COM1", dir.file("no such device"));
    ProgramProcess program = start();
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(program.waitUntilIdle()) << "the port-open error box is up";
    program.signal(SIGTERM);
    const auto status = program.wait(kEndLimit);
    EXPECT_TRUE(exitedNormally(status)) << describe(status) << "\n" << program.output();
    EXPECT_TRUE(namesSaved());
}

TEST_F(Termination, ASignalWhileTheModeFileErrorBoxIsOpenEndsTheProgram) {
    writeBytes(paths.modeFile(), "<R><broken></R>");
    ProgramProcess program = start();
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(program.waitUntilIdle()) << "the mode-file error box is up";
    program.signal(SIGHUP);
    const auto status = program.wait(kEndLimit);
    EXPECT_TRUE(exitedNormally(status)) << describe(status) << "\n" << program.output();
    EXPECT_TRUE(namesSaved());
    EXPECT_EQ(readBytes(paths.modeFile()), "<R><broken></R>");
}

TEST_F(Termination, TwoSignalsAMillisecondApartDoNotInterruptTheSave) {
    ProgramProcess program = start();
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(program.waitUntilIdle());
    program.signal(SIGTERM);
    std::this_thread::sleep_for(1ms);
    program.signal(SIGTERM);
    const auto status = program.wait(kEndLimit);
    EXPECT_TRUE(exitedNormally(status)) << describe(status) << "\n" << program.output();
    EXPECT_TRUE(namesSaved());
}

TEST_F(Termination, AFailedSaveOfTheCloseGoesToStandardError) {
    fs::remove(paths.editListFile());
    fs::create_directory(paths.editListFile());  // cannot be replaced
    ProgramProcess program = start();
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(program.waitUntilIdle());
    program.signal(SIGINT);
    const auto status = program.wait(kEndLimit);
    EXPECT_TRUE(exitedNormally(status)) << describe(status) << "\n" << program.output();
    EXPECT_NE(program.output().find("Unable to write to " + paths.editListFile()),
              std::string::npos)
        << program.output();
    EXPECT_EQ(iniReadString(paths.mainConfigFile(), "Matrix Manage Message",
                            "MatrixOutputEditEnable", "<missing>"),
              "0");
}

TEST_F(Termination, TemporaryFilesOfAKilledSaveAreRemovedAtTheNextStart) {
    const pid_t dead = [] {
        const pid_t child = ::fork();
        if (child == 0) ::_exit(0);
        ::waitpid(child, nullptr, 0);
        return child;
    }();
    const std::string stale = ".MatrixConfig.con.tmp" + std::to_string(dead) + ".1";
    writeBytes(paths.configFile(stale), "[Serial");
    paths.ensureStatusDir();
    const std::string staleStatus = paths.statusDir() + "/.a.ms.tmp" + std::to_string(dead) + ".4";
    writeBytes(staleStatus, "[Matrix");
    // The file a live process is writing stays.
    const std::string live = ".MatrixMode.xml.tmp" + std::to_string(::getpid()) + ".2";
    writeBytes(paths.configFile(live), "<R");

    ProgramProcess program = start();
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(program.waitUntilIdle());
    EXPECT_FALSE(fs::exists(paths.configFile(stale)));
    EXPECT_FALSE(fs::exists(staleStatus));
    EXPECT_TRUE(fs::exists(paths.configFile(live)));
    program.signal(SIGTERM);
    EXPECT_TRUE(exitedNormally(program.wait(kEndLimit)));
}

// The probe: a watched window whose close takes closeMs.
class Probe {
public:
    Probe(const TempDir& dir, int closeMs)
        : marker(dir.file("saved")),
          process(MC_PROBE_PATH, {std::to_string(closeMs), marker}, dir.file("probe.txt")) {}

    bool ready() {
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (std::chrono::steady_clock::now() < deadline) {
            if (process.output().find("ready") != std::string::npos) return true;
            if (process.wait(0ms)) return false;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }

    std::string marker;
    ProgramProcess process;
};

TEST(TerminationProbe, FurtherSignalsWhileTheCloseSavesDoNotInterruptIt) {
    TempDir dir;
    Probe probe(dir, 600);
    ASSERT_TRUE(probe.ready());
    probe.process.signal(SIGTERM);
    std::this_thread::sleep_for(1ms);
    probe.process.signal(SIGTERM);
    std::this_thread::sleep_for(200ms);
    probe.process.signal(SIGINT);
    const auto status = probe.process.wait(kEndLimit);
    EXPECT_TRUE(exitedNormally(status)) << describe(status);
    EXPECT_EQ(readBytes(probe.marker), "saved\n");
}

TEST(TerminationProbe, OnlyASignal5sAfterTheFirstEndsAProgramThatHangs) {
    TempDir dir;
    Probe probe(dir, 60'000);
    ASSERT_TRUE(probe.ready());
    const auto first = std::chrono::steady_clock::now();
    probe.process.signal(SIGTERM);
    std::this_thread::sleep_for(1s);
    probe.process.signal(SIGTERM);
    EXPECT_FALSE(probe.process.wait(3s)) << "a second signal within 5 s is not enough";
    std::this_thread::sleep_until(first + 5100ms);
    probe.process.signal(SIGTERM);
    const auto status = probe.process.wait(1s);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGTERM) << describe(status);
    EXPECT_FALSE(fs::exists(probe.marker));
}

}  // namespace
}  // namespace mc::test
