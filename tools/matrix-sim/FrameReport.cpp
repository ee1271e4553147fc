#include "FrameReport.h"

#include <cstdio>

#include "JsonText.h"

namespace mc::sim {

namespace {

std::string hex(std::uint8_t byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

std::string hexBytes(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    for (std::uint8_t byte : bytes) {
        char text[4];
        std::snprintf(text, sizeof text, out.empty() ? "%02X" : " %02X", byte);
        out += text;
    }
    return out;
}

// One-based, comma-separated: "1,2,3".
std::string oneBasedList(const std::vector<int>& numbers) {
    std::string out;
    for (int number : numbers) {
        out += (out.empty() ? "" : ",") + std::to_string(number + 1);
    }
    return out;
}

std::string layerName(int code) {
    switch (code) {
        case 1:
            return "video";
        case 2:
            return "audio";
        case 3:
            return "video+audio";
        default:
            return "code " + std::to_string(code) + " (unknown)";
    }
}

std::string cycleText(const std::vector<int>& inputs, int seconds) {
    return "cycle output 1: " + (inputs.empty() ? "no inputs" : "inputs " + oneBasedList(inputs)) +
           " every " + std::to_string(seconds) + " s";
}

}  // namespace

const char* kindName(FrameKind kind) {
    switch (kind) {
        case FrameKind::OnOff:
            return "on-off";
        case FrameKind::Switch:
            return "switch";
        case FrameKind::Close:
            return "close";
        case FrameKind::Cycle:
            return "cycle";
        case FrameKind::SetAddress:
            return "set-address";
        case FrameKind::Layer:
            return "layer";
        case FrameKind::Unknown:
            return "unknown";
        case FrameKind::Malformed:
            return "malformed";
    }
    return "?";
}

std::string meaningText(const FrameReport& report) {
    const FrameMeaning& m = report.meaning;
    switch (m.kind) {
        case FrameKind::OnOff:
            return m.on ? "power on" : "power off";
        case FrameKind::Switch:
            return "output " + std::to_string(m.output + 1) + " ← input " +
                   std::to_string(m.input + 1);
        case FrameKind::Close:
            return "output " + std::to_string(m.output + 1) + " closed";
        case FrameKind::Cycle:
            return cycleText(m.cycleInputs, m.cycleSeconds);
        case FrameKind::SetAddress:
            return "set address: " + hex(m.address) + " → " +
                   hex(static_cast<std::uint8_t>(m.newAddress));
        case FrameKind::Layer:
            return "layer: " + layerName(m.layer);
        case FrameKind::Unknown:
        case FrameKind::Malformed:
            return describeFault(report.frame);
    }
    return {};
}

std::vector<std::string> flagNames(const FrameReport& report) {
    std::vector<std::string> flags;
    const FrameKind kind = report.meaning.kind;
    if (kind == FrameKind::Malformed || kind == FrameKind::Unknown) {
        flags.emplace_back("MALFORMED");
    }
    if (report.otherAddress) {
        flags.emplace_back("OTHER-ADDRESS");
    }
    if (report.tooClose) {
        flags.emplace_back("TOO-CLOSE");
    }
    return flags;
}

std::string humanLine(const FrameReport& report) {
    char gap[32];
    if (report.gapMs) {
        std::snprintf(gap, sizeof gap, "%+9.1f ms", *report.gapMs);
    } else {
        std::snprintf(gap, sizeof gap, "%12s", "first");
    }
    std::string line = std::string(gap) + "  " + hexBytes(report.frame.raw) + "  ";
    const bool malformed =
        report.meaning.kind == FrameKind::Malformed || report.meaning.kind == FrameKind::Unknown;
    line += malformed ? "MALFORMED (" + meaningText(report) + ")" : meaningText(report);
    if (report.otherAddress) {
        line += "  OTHER-ADDRESS (" + hex(report.meaning.address) + ")";
    }
    if (report.tooClose) {
        line += "  TOO-CLOSE";
    }
    return line;
}

std::string jsonLine(const FrameReport& report) {
    const FrameMeaning& m = report.meaning;
    JsonObject json;
    if (report.gapMs) {
        json.number("gap_ms", *report.gapMs, 1);
    } else {
        json.null("gap_ms");
    }
    json.string("bytes", hexBytes(report.frame.raw));
    json.string("kind", kindName(m.kind));
    if (report.frame.fault != FrameFault::Garbage && report.frame.raw.size() > 1) {
        json.integer("address", m.address);
    }
    switch (m.kind) {
        case FrameKind::OnOff:
            json.boolean("on", m.on);
            break;
        case FrameKind::Switch:
            json.integer("output", m.output);
            json.integer("input", m.input);
            break;
        case FrameKind::Close:
            json.integer("output", m.output);
            break;
        case FrameKind::Cycle:
            json.integer("interval_s", m.cycleSeconds);
            json.integers("inputs", m.cycleInputs);
            break;
        case FrameKind::SetAddress:
            json.integer("new_address", m.newAddress);
            break;
        case FrameKind::Layer:
            json.integer("layer", m.layer);
            break;
        case FrameKind::Unknown:
        case FrameKind::Malformed:
            json.string("fault", faultName(report.frame.fault));
            json.string("error", describeFault(report.frame));
            break;
    }
    json.string("meaning", meaningText(report));
    json.strings("flags", flagNames(report));
    return json.text();
}

std::string humanDump(const SwitcherState& state) {
    std::string out = "state: address " + hex(state.address()) + ", power ";
    const auto power = state.power(state.address());
    out += power ? (*power ? "on" : "off") : "never set";
    out += ", layer " + (state.layer() == 0 ? std::string("never set") : layerName(state.layer()));
    out += "\n";
    for (const auto& [address, on] : state.powerByAddress()) {
        out += "  power " + hex(address) + ": " + (on ? "on" : "off") + "\n";
    }
    for (const auto& [output, input] : state.outputs()) {
        out += "  output " + std::to_string(output + 1) + ": " +
               (input ? "input " + std::to_string(*input + 1) : std::string("closed"));
        if (output == 0 && !state.cycleInputs().empty()) {
            out += " (" + cycleText(state.cycleInputs(), state.cycleSeconds()) + ")";
        }
        out += "\n";
    }
    out += "  frames: " + std::to_string(state.frames()) + ", malformed " +
           std::to_string(state.malformed()) + ", for other addresses " +
           std::to_string(state.otherAddress()) + "\n";
    return out;
}

std::string jsonDump(const SwitcherState& state) {
    JsonObject dump;
    dump.integer("address", state.address());
    std::vector<std::string> power;
    for (const auto& [address, on] : state.powerByAddress()) {
        JsonObject entry;
        entry.integer("address", address);
        entry.boolean("on", on);
        power.push_back(entry.text());
    }
    dump.raw("power", "[" + joinJson(power) + "]");
    std::vector<std::string> outputs;
    for (const auto& [output, input] : state.outputs()) {
        JsonObject entry;
        entry.integer("output", output);
        if (input) {
            entry.integer("input", *input);
        } else {
            entry.null("input");
        }
        outputs.push_back(entry.text());
    }
    dump.raw("outputs", "[" + joinJson(outputs) + "]");
    JsonObject cycle;
    cycle.integer("interval_s", state.cycleSeconds());
    cycle.integers("inputs", state.cycleInputs());
    dump.raw("cycle", cycle.text());
    dump.integer("layer", state.layer());
    dump.integer("frames", state.frames());
    dump.integer("malformed", state.malformed());
    dump.integer("other_address", state.otherAddress());
    JsonObject line;
    line.raw("dump", dump.text());
    return line.text();
}

}  // namespace mc::sim
