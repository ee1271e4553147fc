#include "remote/VideohubRequest.h"

#include <charconv>

namespace mc::remote {

namespace {

// A decimal number, optionally negative, the whole of `text`.
std::optional<int> number(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end) return std::nullopt;
    return value;
}

// Splits "<first> <rest>" at the first space; rest is "" without a space.
std::pair<std::string_view, std::string_view> splitFirst(std::string_view line) {
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos) return {line, {}};
    return {line.substr(0, space), line.substr(space + 1)};
}

std::optional<RouteRequest> routeLine(std::string_view line, int inputs, int outputs) {
    const auto [first, rest] = splitFirst(line);
    const auto output = number(first);
    const auto input = number(rest);
    if (!output || !input || *output < 0 || *output >= outputs) return std::nullopt;
    if (*input < -1 || *input >= inputs) return std::nullopt;
    return RouteRequest{*output, *input};
}

std::optional<LabelRequest> labelLine(std::string_view line, int ports) {
    const auto [first, rest] = splitFirst(line);
    const auto port = number(first);
    if (!port || *port < 0 || *port >= ports) return std::nullopt;
    return LabelRequest{*port, std::string(rest)};
}

std::optional<LockItem> lockLine(std::string_view line, int outputs) {
    const auto [first, rest] = splitFirst(line);
    const auto output = number(first);
    if (!output || *output < 0 || *output >= outputs) return std::nullopt;
    if (rest == "O") return LockItem{*output, LockRequest::Lock};
    if (rest == "U") return LockItem{*output, LockRequest::Unlock};
    if (rest == "F") return LockItem{*output, LockRequest::ForceUnlock};
    return std::nullopt;
}

// The take mode a CONFIGURATION line asks for; nullopt for a line this
// program does not know.
std::optional<bool> takeModeLine(std::string_view line) {
    constexpr std::string_view kTakeMode = "Take Mode: ";
    if (line.substr(0, kTakeMode.size()) != kTakeMode) return std::nullopt;
    const std::string_view value = line.substr(kTakeMode.size());
    if (value == "false") return false;
    if (value == "true") return true;
    return std::nullopt;
}

}  // namespace

std::optional<BlockType> blockType(std::string_view header) {
    if (header == kPreamble) return BlockType::Preamble;
    if (header == kDevice) return BlockType::Device;
    if (header == kInputLabels) return BlockType::InputLabels;
    if (header == kOutputLabels) return BlockType::OutputLabels;
    if (header == kLocks) return BlockType::Locks;
    if (header == kRouting) return BlockType::Routing;
    if (header == kConfiguration) return BlockType::Configuration;
    return std::nullopt;
}

Request parseRequest(const ReadItem& item, int inputs, int outputs) {
    Request request;
    if (item.error) return request;
    const Block& block = item.block;
    if (block.header == kPing) {
        request.kind = Request::Kind::Ping;
        return request;
    }
    const auto type = blockType(block.header);
    if (!type) return request;
    request.type = *type;
    if (block.lines.empty()) {
        if (block.ignoredLines == 0) request.kind = Request::Kind::Dump;
        return request;
    }
    for (const std::string& line : block.lines) {
        switch (*type) {
            case BlockType::Routing:
                if (auto route = routeLine(line, inputs, outputs)) request.routes.push_back(*route);
                break;
            case BlockType::InputLabels:
                if (auto label = labelLine(line, inputs)) request.labels.push_back(*label);
                break;
            case BlockType::OutputLabels:
                if (auto label = labelLine(line, outputs)) request.labels.push_back(*label);
                break;
            case BlockType::Locks:
                if (auto lock = lockLine(line, outputs)) request.locks.push_back(*lock);
                break;
            case BlockType::Configuration:
                if (auto take = takeModeLine(line)) request.takeMode = take;
                break;
            case BlockType::Preamble:
            case BlockType::Device:
                break;  // the server's own blocks: nothing a client can set
        }
    }
    const bool usable = !request.routes.empty() || !request.labels.empty() ||
                        !request.locks.empty() || request.takeMode.has_value();
    if (!usable) return Request{};
    request.kind = Request::Kind::Change;
    return request;
}

}  // namespace mc::remote
