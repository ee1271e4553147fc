// Writes replace a file as a whole or not at all. The tests run as root, which
// ignores permissions, so failures come from the file system's shape (a
// folder that is a file, a target that is a folder) and from a file size limit.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/AtomicWrite.h"
#include "config/ConfigTestUtil.h"
#include "config/IniFile.h"

namespace mc {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

// Limits the size of files this process writes; writes beyond it fail with
// EFBIG (SIGXFSZ is ignored meanwhile). Restores both on destruction.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedHandler = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        ::signal(SIGXFSZ, m_savedHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    sighandler_t m_savedHandler = SIG_DFL;
};

unsigned modeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// Runs the write and checks that it throws IniWriteError with the exact text.
template <typename Write>
void expectWriteError(const std::string& path, Write write) {
    try {
        write();
        ADD_FAILURE() << "no error for " << path;
    } catch (const IniWriteError& error) {
        EXPECT_STREQ(error.what(), ("Unable to write to " + path).c_str());
        EXPECT_EQ(error.path(), path);
    }
}

TEST(AtomicWrite, FolderThatIsAFileFails) {
    TempDir dir;
    writeBytes(dir.file("Matrix Config"), "not a folder");
    const std::string path = dir.file("Matrix Config/MatrixConfig.con");
    expectWriteError(path, [&] { iniWriteString(path, "S", "k", "v"); });
    EXPECT_EQ(readBytes(dir.file("Matrix Config")), "not a folder");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"Matrix Config"});
}

TEST(AtomicWrite, TargetThatIsAFolderFailsAndStays) {
    TempDir dir;
    const std::string path = dir.file("t.con");
    std::filesystem::create_directory(path);
    writeBytes(path + "/inside", "x");
    EXPECT_EQ(iniReadString(path, "S", "k", "d"), "d");
    expectWriteError(path, [&] { iniWriteString(path, "S", "k", "v"); });
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_EQ(readBytes(path + "/inside"), "x");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"t.con"});
}

TEST(AtomicWrite, OversizedFileIsNeitherReadNorReplaced) {
    // Any file can be chosen as a status file; a huge one is left alone.
    TempDir dir;
    const std::string path = dir.file("film.ms");
    writeBytes(path, "[Matrix Message]\r\nMatrixInputNum=4\r\n");
    std::filesystem::resize_file(path, 17 * 1024 * 1024);  // sparse: cheap to make
    EXPECT_EQ(iniReadInteger(path, "Matrix Message", "MatrixInputNum", 0), 0);
    expectWriteError(path, [&] { iniWriteInteger(path, "Matrix Message", "MatrixInputNum", 8); });
    EXPECT_EQ(std::filesystem::file_size(path), 17u * 1024 * 1024);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"film.ms"});

    std::filesystem::resize_file(path, 16 * 1024 * 1024);  // at the limit: read
    EXPECT_EQ(iniReadInteger(path, "Matrix Message", "MatrixInputNum", 0), 4);
}

TEST(AtomicWrite, WriteFailingHalfwayLeavesTheOldFile) {
    TempDir dir;
    const std::string path = dir.file("t.con");
    const std::string old = "[S]\r\nk=old\r\n;comment\r\n";
    writeBytes(path, old);

    IniFile file(path);
    file.writeString("S", "k", std::string(3000, 'n'));
    {
        const FileSizeLimit limit(1024);
        expectWriteError(path, [&] { file.commit(); });
    }
    EXPECT_EQ(readBytes(path), old);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"t.con"});  // no temporary file left

    // The change is still pending and goes through once writing works again.
    EXPECT_TRUE(file.dirty());
    file.commit();
    EXPECT_EQ(iniReadString(path, "S", "k", "d"), std::string(2047, 'n'));
}

TEST(AtomicWrite, CoreFunctionReportsTheReason) {
    TempDir dir;
    const std::string path = dir.file("missing/MatrixMode.xml");
    try {
        writeFileAtomically(path, "<x/>");
        ADD_FAILURE() << "no error";
    } catch (const FileWriteError& error) {
        EXPECT_STREQ(error.what(), ("Unable to write to " + path).c_str());
        EXPECT_FALSE(error.reason().empty());
    }
    EXPECT_TRUE(dir.entries().empty());  // the folder was not created
}

TEST(AtomicWrite, PendingChangesSurviveAMissingFolder) {
    TempDir dir;
    const std::string folder = dir.file("Matrix Config");
    const std::string path = folder + "/MatrixConfig.con";
    IniFile file(path);
    file.writeInteger("System config", "CircleTime", 5);
    expectWriteError(path, [&] { file.commit(); });
    EXPECT_TRUE(dir.entries().empty());

    std::filesystem::create_directory(folder);
    file.commit();
    EXPECT_EQ(readBytes(path), "[System config]\nCircleTime=5\n");
}

TEST(AtomicWrite, PermissionsAreKept) {
    TempDir dir;
    const std::string path = dir.file("t.con");
    writeBytes(path, "[S]\nk=1\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    iniWriteString(path, "S", "k", "2");
    EXPECT_EQ(modeOf(path), 0640u);

    // A new file gets the usual permissions under the umask.
    const mode_t saved = ::umask(027);
    iniWriteString(dir.file("new.con"), "S", "k", "1");
    ::umask(saved);
    EXPECT_EQ(modeOf(dir.file("new.con")), 0640u);
}

TEST(AtomicWrite, SymbolicLinkStaysALink) {
    TempDir dir;
    const std::string real = dir.file("real.con");
    const std::string link = dir.file("link.con");
    writeBytes(real, "[S]\nk=1\n");
    std::filesystem::create_symlink(real, link);
    iniWriteString(link, "S", "k", "2");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readBytes(real), "[S]\nk=2\n");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"link.con", "real.con"}));
}

TEST(AtomicWrite, ReplacesWholeFile) {
    TempDir dir;
    const std::string path = dir.file("data.xml");
    writeBytes(path, std::string(5000, 'o'));
    writeFileAtomically(path, "short");
    EXPECT_EQ(readBytes(path), "short");
    writeFileAtomically(path, "");
    EXPECT_EQ(readBytes(path), "");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"data.xml"});
}

// A process id that no process has: a child that has ended and been reaped.
pid_t deadPid() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

TEST(StaleTempFiles, TheFilesOfAKilledSaveAreRemoved) {
    TempDir dir;
    const std::string dead = std::to_string(deadPid());
    writeBytes(dir.file(".MatrixConfig.con.tmp" + dead + ".1"), "[half");
    writeBytes(dir.file(".MatrixMode.xml.tmp" + dead + ".7"), "<R");
    writeBytes(dir.file("MatrixConfig.con"), "[A]\n");
    writeBytes(dir.file(".hidden"), "");
    writeBytes(dir.file(".x.tmp0" + dead + ".1"), "");
    EXPECT_EQ(removeStaleTempFiles(dir.path()), 2);
    EXPECT_EQ(dir.entries(),
              (std::vector<std::string>{".hidden", ".x.tmp0" + dead + ".1", "MatrixConfig.con"}));
    EXPECT_EQ(removeStaleTempFiles(dir.file("missing")), 0);
}

TEST(StaleTempFiles, AFileAnotherRunningInstanceIsWritingIsNeverTouched) {
    TempDir dir;
    // A live process: a child waiting for its pipe to close.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t writer = ::fork();
    if (writer == 0) {
        ::close(fds[1]);
        char byte = 0;
        [[maybe_unused]] ssize_t ignored = ::read(fds[0], &byte, 1);
        ::_exit(0);
    }
    ::close(fds[0]);
    const std::string live = dir.file(".MatrixEditList.con.tmp" + std::to_string(writer) + ".0");
    writeBytes(live, "[MatrixInputStringList]\n");

    // A dead pid whose file is still locked (another pid namespace).
    const std::string locked = dir.file(".MatrixConfig.con.tmp" + std::to_string(deadPid()) + ".3");
    writeBytes(locked, "[A]\n");
    const int lockFd = ::open(locked.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(lockFd, 0);
    ASSERT_EQ(::flock(lockFd, LOCK_EX), 0);

    // Our own files: a save of this process may be running.
    const std::string own = dir.file(".MatrixMode.xml.tmp" + std::to_string(::getpid()) + ".9");
    writeBytes(own, "<R");

    EXPECT_EQ(removeStaleTempFiles(dir.path()), 0);
    EXPECT_TRUE(std::filesystem::exists(live));
    EXPECT_TRUE(std::filesystem::exists(locked));
    EXPECT_TRUE(std::filesystem::exists(own));

    ::close(lockFd);
    EXPECT_EQ(removeStaleTempFiles(dir.path()), 1) << "unlocked now";
    EXPECT_FALSE(std::filesystem::exists(locked));
    ::close(fds[1]);
    int status = 0;
    ::waitpid(writer, &status, 0);
    EXPECT_EQ(removeStaleTempFiles(dir.path()), 1) << "its writer has ended";
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{".MatrixMode.xml.tmp" +
                                                       std::to_string(::getpid()) + ".9"}));
}

}  // namespace
}  // namespace mc
