#pragma once

// Waiting, without polling, for something to change in a few folders: the
// serial component waits this way for an unplugged device to come back, and
// a device list can be refreshed this way while it is shown.

#include "serial/PortSignals.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace mc {

// One thread blocked in poll() on an inotify descriptor and a stop event.
// Each folder is watched for entries created, moved in, removed or changed
// in their attributes (udev sets a new device's group after creating it). A
// folder that does not exist yet is waited for by watching its nearest
// existing parent, and watched itself once it appears (/dev/serial/by-id
// comes and goes with the last USB adapter).
//
// onChange runs on the watch thread: once as soon as the watches are in
// place (so that a change just before is not missed), then after each batch
// of events, and when the time it last returned has passed without events
// (argument true). It returns how long to wait for events before it is to be
// called anyway, or nothing to wait for events alone; while it returns
// nothing and nothing changes, the thread does not wake. onChange must not
// destroy the FolderWatch.
//
// The thread starts in the constructor; the destructor stops and joins it.
class FolderWatch {
public:
    using Wait = std::optional<std::chrono::milliseconds>;
    using ChangeHandler = std::function<Wait(bool timedOut)>;

    // Throws std::system_error when inotify, the stop event or the thread
    // cannot be created.
    FolderWatch(std::vector<std::string> folders, ChangeHandler onChange);
    ~FolderWatch();

    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // How many times the thread has woken up (events or time-outs); for
    // tests and diagnostics. Any thread.
    unsigned wakeUps() const { return m_wakeUps.load(); }

private:
    void Execute();
    void arm();
    bool drainEvents();

    ChangeHandler m_onChange;
    UniqueFd m_inotify;
    UniqueFd m_stop;
    const std::vector<std::string> m_folders;
    std::atomic<unsigned> m_wakeUps{0};  // written by the watch thread
    std::thread m_thread;                // last: starts after every other member is ready
};

// The folder that holds path ("/dev/serial/by-id" for a link in it; "." for
// a bare name).
std::string parentFolder(const std::string& path);

// path with every symbolic link resolved, or path itself when it cannot be
// resolved (missing target).
std::string resolvedPath(const std::string& path);

}  // namespace mc
