#include "SimOptions.h"

#include <cctype>
#include <cstdlib>

namespace mc::sim {

namespace {

std::optional<long> parseInteger(const std::string& text, long low, long high) {
    if (text.empty()) {
        return std::nullopt;
    }
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 0);  // 82, 0x52
    if (*end != '\0' || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parseNumber(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(value >= 0)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> parseHexBytes(const std::string& text) {
    std::string digits;
    for (char ch : text) {
        if (ch == ' ' || ch == ',' || ch == ':') {
            continue;
        }
        if (!std::isxdigit(static_cast<unsigned char>(ch))) {
            return std::nullopt;
        }
        digits += ch;
    }
    if (digits.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

ParsedOptions parseOptions(const std::vector<std::string>& args) {
    ParsedOptions parsed;
    SimOptions& o = parsed.options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        // The option's value: after '=' or the next argument.
        auto value = [&]() -> std::optional<std::string> {
            if (inlineValue) {
                return inlineValue;
            }
            if (i + 1 < args.size()) {
                return args[++i];
            }
            return std::nullopt;
        };
        auto bad = [&](const std::string& why) {
            parsed.error = name + ": " + why;
            return parsed;
        };
        if (name == "--json") {
            o.json = true;
        } else if (name == "--dump-on-exit") {
            o.dumpOnExit = true;
        } else if (name == "--help" || name == "-h") {
            o.help = true;
        } else if (name == "--address") {
            const auto text = value();
            const auto number = text ? parseInteger(*text, 0, 255) : std::nullopt;
            if (!number) {
                return bad("needs a number 0..255 (decimal, or hex with 0x)");
            }
            o.address = static_cast<std::uint8_t>(*number);
        } else if (name == "--reply") {
            const auto text = value();
            const auto bytes = text ? parseHexBytes(*text) : std::nullopt;
            if (!bytes) {
                return bad("needs hex bytes, e.g. \"EB 52 00\"");
            }
            o.reply = *bytes;
        } else if (name == "--path-file" || name == "--link") {
            const auto text = value();
            if (!text || text->empty()) {
                return bad("needs a file name");
            }
            (name == "--link" ? o.link : o.pathFile) = *text;
        } else if (name == "--tolerance" || name == "--min-gap") {
            const auto text = value();
            const auto number = text ? parseNumber(*text) : std::nullopt;
            if (!number) {
                return bad("needs a number of milliseconds");
            }
            (name == "--tolerance" ? o.toleranceMs : o.minGapMs) = *number;
        } else if (name == "--idle-flush") {
            const auto text = value();
            const auto number = text ? parseInteger(*text, 1, 3600000) : std::nullopt;
            if (!number) {
                return bad("needs a number of milliseconds (at least 1)");
            }
            o.idleFlushMs = static_cast<int>(*number);
        } else {
            return bad("unknown option (see --help)");
        }
    }
    return parsed;
}

std::string usageText() {
    return R"(Usage: matrix-sim [options]
Simulated matrix switcher on a pseudo-terminal. Prints the device path to
open as the serial port as its first line, then one line per frame received.

  --address N       the switcher's address (default 0x52; decimal or 0x..)
  --reply HEX       bytes written back after each frame for this address
  --json            one JSON object per line instead of text
  --path-file F     also write the device path to file F (removed at exit)
  --link L          make L a symbolic link to the device (removed at exit)
  --dump-on-exit    print the device state when ending
  --min-gap MS      frames closer than this are flagged TOO-CLOSE (default 205)
  --tolerance MS    allowance for delivery jitter in that check (default 2)
  --idle-flush MS   report a frame still incomplete after MS ms (default 300)
  --help            this text

SIGUSR1 prints the device state; SIGINT, SIGTERM and SIGHUP end the simulator.
)";
}

}  // namespace mc::sim
