#pragma once

// Command line of the simulated switcher (see usageText()).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mc::sim {

struct SimOptions {
    std::uint8_t address = 0x52;      // --address N (decimal or 0x..)
    std::vector<std::uint8_t> reply;  // --reply HEX, written back after each frame
    bool json = false;                // --json
    std::string pathFile;             // --path-file F
    std::string link;                 // --link L
    bool dumpOnExit = false;          // --dump-on-exit
    double minGapMs = 205.0;          // frames closer than this are TOO-CLOSE ...
    double toleranceMs = 2.0;         // ... less this allowance for delivery jitter
    int idleFlushMs = 300;            // --idle-flush MS: a frame still incomplete
                                      // after this long is reported cut short
    bool help = false;                // --help
};

struct ParsedOptions {
    SimOptions options;
    std::string error;  // empty when the command line was fine
};

ParsedOptions parseOptions(const std::vector<std::string>& args);
std::string usageText();

// "EB 52 00", "eb5200", "EB,52,00" -> bytes; nullopt when not whole hex bytes.
std::optional<std::vector<std::uint8_t>> parseHexBytes(const std::string& text);

}  // namespace mc::sim
