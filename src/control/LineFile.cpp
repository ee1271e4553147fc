#include "control/LineFile.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "config/AtomicWrite.h"

namespace mc {

using Json = nlohmann::ordered_json;

namespace {

const char* kindName(Carried::Kind kind) {
    switch (kind) {
        case Carried::Kind::Input:
            return "input";
        case Carried::Kind::Closed:
            return "closed";
        case Carried::Kind::Cycle:
            return "cycle";
        case Carried::Kind::Unknown:
            break;
    }
    return "unknown";
}

Json entryJson(const LineEntry& entry) {
    Json json = {{"kind", kindName(entry.carried.kind)}};
    if (entry.carried.kind == Carried::Kind::Input) json["input"] = entry.carried.input;
    if (entry.carried.kind == Carried::Kind::Cycle) {
        json["inputs"] = entry.carried.inputs;
        json["seconds"] = entry.carried.seconds;
    }
    json["changed"] = entry.changedAt;
    return json;
}

[[noreturn]] void bad(const std::string& path, const std::string& why) {
    throw std::runtime_error(path + ": " + why);
}

std::int32_t port(const Json& value, std::int32_t count, const std::string& path) {
    if (!value.is_number_integer()) bad(path, "a port is not a number");
    const auto number = value.get<std::int64_t>();
    if (number < 0 || number >= count) bad(path, "a port is out of range");
    return static_cast<std::int32_t>(number);
}

LineEntry entryFrom(const Json& json, std::int32_t inputs, const std::string& path) {
    if (!json.is_object() || !json.contains("kind") || !json["kind"].is_string())
        bad(path, "an entry without a kind");
    LineEntry entry;
    const std::string kind = json["kind"].get<std::string>();
    if (kind == "input") {
        entry.carried = Carried::routed(port(json.value("input", Json()), inputs, path));
    } else if (kind == "closed") {
        entry.carried = Carried::closed();
    } else if (kind == "cycle") {
        const Json list = json.value("inputs", Json::array());
        if (!list.is_array()) bad(path, "a cycle without inputs");
        std::vector<std::int32_t> cycle;
        for (const Json& input : list)
            cycle.push_back(port(input, inputs, path));
        const Json seconds = json.value("seconds", Json());
        if (!seconds.is_number_integer()) bad(path, "a cycle without its time");
        entry.carried = Carried::cycling(std::move(cycle), seconds.get<std::int32_t>());
    } else if (kind != "unknown") {
        bad(path, "an entry of an unknown kind");
    }
    const Json changed = json.value("changed", Json(0));
    if (!changed.is_number_integer()) bad(path, "a time is not a number");
    entry.changedAt = changed.get<std::int64_t>();
    return entry;
}

}  // namespace

StoredLine storedLine(const Line& line, const std::string& model, std::int32_t address,
                      std::int32_t inputs) {
    StoredLine stored{model, address, inputs, line.outputs(), line.pattern(), {}};
    for (LineLayer layer : line.layers())
        stored.tables[layer] = line.table(layer);
    return stored;
}

std::optional<StoredLine> readStoredLine(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) bad(path, "cannot be read");
    const Json json = Json::parse(in, nullptr, false);
    if (json.is_discarded() || !json.is_object()) bad(path, "not a JSON object");
    StoredLine line;
    try {
        line.model = json.at("model").get<std::string>();
        line.address = json.at("address").get<std::int32_t>();
        line.inputs = json.at("inputs").get<std::int32_t>();
        line.outputs = json.at("outputs").get<std::int32_t>();
        line.pattern = json.at("pattern").get<bool>();
    } catch (const Json::exception&) {
        bad(path, "the model, address, counts or pattern are missing");
    }
    const Json tables = json.value("tables", Json::object());
    if (!tables.is_object()) bad(path, "no tables");
    const std::vector<LineLayer> layers =
        line.pattern ? std::vector<LineLayer>{LineLayer::All}
                     : std::vector<LineLayer>{LineLayer::Video, LineLayer::Audio};
    for (LineLayer layer : layers) {
        const Json table = tables.value(layerName(layer), Json());
        if (!table.is_array() || table.size() != static_cast<std::size_t>(line.outputs))
            bad(path, std::string("the ") + layerName(layer) + " table does not fit the outputs");
        std::vector<LineEntry>& entries = line.tables[layer];
        for (const Json& entry : table)
            entries.push_back(entryFrom(entry, line.inputs, path));
    }
    return line;
}

void writeStoredLine(const std::string& path, const StoredLine& line) {
    Json tables = Json::object();
    for (const auto& [layer, entries] : line.tables) {
        Json table = Json::array();
        for (const LineEntry& entry : entries)
            table.push_back(entryJson(entry));
        tables[layerName(layer)] = std::move(table);
    }
    const Json json = {{"model", line.model},     {"address", line.address},
                       {"inputs", line.inputs},   {"outputs", line.outputs},
                       {"pattern", line.pattern}, {"tables", std::move(tables)}};
    writeFileAtomically(path, json.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n");
}

}  // namespace mc
