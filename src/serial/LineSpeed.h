#pragma once

// Line speed and whole-settings snapshots through the kernel's termios2
// interface (TCGETS2/TCSETS2). termios2 takes any numeric speed (56000 and
// hand-edited rates included), where the C library accepts only its fixed
// Bxxxx constants.
//
// This header is plain C++ on purpose: the kernel header that defines
// termios2 cannot be included in a file that includes <termios.h>.

#include <array>
#include <cstdint>

namespace mc {

// Sets input and output speed of the terminal fd to baud bits per second
// (BOTHER with numeric speeds). Call it after every tcsetattr(): a later
// tcsetattr() may replace the speed. On success returns true and stores the
// speed the driver reports back (drivers may round) in *actual when given.
// On failure returns false with errno set.
bool setLineSpeed(int fd, std::uint32_t baud, std::uint32_t* actual = nullptr);

// Reads the terminal's output speed in bits per second. Returns false with
// errno set on failure.
bool readLineSpeed(int fd, std::uint32_t& baud);

// A complete copy of a terminal's settings, speeds included, taken when a
// port is opened and given back when it is closed.
struct SavedLineSettings {
    std::array<unsigned char, 64> bytes{};
    bool valid = false;
};

// Takes a snapshot of the terminal's settings. Returns false with errno set
// (and saved.valid false) on failure.
bool saveLineSettings(int fd, SavedLineSettings& saved);

// Puts a snapshot back. Does nothing and returns false when it is not valid.
bool restoreLineSettings(int fd, const SavedLineSettings& saved);

}  // namespace mc
