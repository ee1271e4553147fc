#pragma once

// Replacing a file as a whole, so that a reader (or the next program run) sees
// either the old contents or the new ones, never a half-written file.

#include <stdexcept>
#include <string>
#include <string_view>

namespace mc {

// A file that could not be written. what() is "Unable to write to <path>";
// reason() says what the system reported, for diagnostics only.
class FileWriteError : public std::runtime_error {
public:
    FileWriteError(const std::string& path, std::string reason);
    const std::string& path() const { return m_path; }
    const std::string& reason() const { return m_reason; }

private:
    std::string m_path;
    std::string m_reason;
};

// Writes bytes to a new temporary file in the folder of path, flushes it to
// the disk, gives it the permissions of the file it replaces (or the usual
// permissions of a new file under the process's umask) and renames it over
// path. When path is a symbolic link, the file it points to is replaced and
// the link stays. The folder is never created here.
// Throws FileWriteError(path, ...) on any failure; the old file is then left
// as it was and no temporary file remains.
//
// The temporary file is named ".<name>.tmp<pid>.<n>" (pid: the writing
// process, n: a counter) and is locked (flock, exclusive) from its creation
// until it is closed, just before the rename.
void writeFileAtomically(const std::string& path, std::string_view bytes);

// Removes the temporary files that writeFileAtomically left in folder when a
// process was killed during a save: every regular file named as above whose
// process no longer exists (kill(pid, 0) fails with ESRCH) and that no one
// holds locked. A file of a live process, or of one that may be alive (a pid
// reused, EPERM), is never touched, so a save running in another instance is
// never disturbed; a locked file neither (another instance in a separate pid
// namespace). Returns how many were removed; errors are ignored (the folder
// may be missing). Called once at program start for the configuration and
// status folders.
int removeStaleTempFiles(const std::string& folder);

// The pid in a temporary file name of writeFileAtomically, or 0 when name is
// not one.
long tempFileOwner(std::string_view name);

}  // namespace mc
