#pragma once

// Who holds a serial device: the processes that have it open, found through
// /proc/<pid>/fd, and the reason texts built from them when an open fails
// because the device is busy.

#include <string>
#include <vector>

namespace mc {

struct PortHolder {
    int pid = 0;
    std::string command;  // /proc/<pid>/comm, without the newline; may be empty
};

// The processes with a descriptor open on the device at path (a symbolic
// link is followed). A descriptor matches when its /proc link names the same
// file (same device and inode, or the same character device number) or,
// failing that, spells the same path as path or its resolved target.
// Processes whose descriptors may not be read (other users) are skipped, so
// the list can be incomplete. Ordered by pid, each process once. The calling
// process is included. Any thread.
std::vector<PortHolder> findPortHolders(const std::string& path,
                                        const std::string& procRoot = "/proc");

// True for the errors with which opening or claiming a device says another
// program holds it: EBUSY (TIOCEXCL) and EWOULDBLOCK (flock).
bool isPortBusy(int errorCode);

// "minicom (pid 1234), cat (pid 99)"; empty for no holders.
std::string describeHolders(const std::vector<PortHolder>& holders);

// The operator's reason for a busy device: "设备正被另一个程序使用", followed
// by "：minicom（进程 1234）" for each holder found.
std::string portBusyReason(const std::string& path, const std::string& procRoot = "/proc");

}  // namespace mc
