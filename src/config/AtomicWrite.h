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
void writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace mc
