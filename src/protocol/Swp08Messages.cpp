#include "protocol/Swp08Messages.h"

#include <algorithm>

#include "protocol/Swp08Codec.h"

namespace mc::swp08 {

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint8_t byteOf(std::int32_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

std::uint8_t code(Command command) {
    return static_cast<std::uint8_t>(command);
}

std::uint8_t matrixLevel(std::int32_t matrix, std::int32_t level) {
    return byteOf((matrix & 0x0F) << 4 | (level & 0x0F));
}

std::uint8_t multiplier(std::int32_t destination, std::int32_t source) {
    return byteOf((destination / 128 & 0x07) << 4 | (source / 128 & 0x07));
}

void appendWord(Bytes& data, std::int32_t value) {
    data.push_back(byteOf(value >> 8));
    data.push_back(byteOf(value));
}

std::int32_t word(std::span<const std::uint8_t> data, std::size_t at) {
    return data[at] << 8 | data[at + 1];
}

// A served request's kind and form, and how many bytes follow its command byte.
struct Shape {
    Request::Kind kind;
    bool extended;
    std::size_t bytes;
};

std::optional<Shape> shapeOf(std::uint8_t command) {
    using K = Request::Kind;
    switch (static_cast<Command>(command)) {
        case Command::Implementation:
            return Shape{K::Implementation, false, 0};
        case Command::Interrogate:
            return Shape{K::Interrogate, false, 3};
        case Command::Connect:
            return Shape{K::Connect, false, 4};
        case Command::TallyDump:
            return Shape{K::TallyDump, false, 1};
        case Command::SourceNames:
            return Shape{K::SourceNames, false, 2};
        case Command::DestinationNames:
            return Shape{K::DestinationNames, false, 2};
        case Command::ExtendedInterrogate:
            return Shape{K::Interrogate, true, 4};
        case Command::ExtendedConnect:
            return Shape{K::Connect, true, 6};
        case Command::ExtendedTallyDump:
            return Shape{K::TallyDump, true, 2};
        case Command::ExtendedSourceNames:
            return Shape{K::SourceNames, true, 3};
        case Command::ExtendedDestinationNames:
            return Shape{K::DestinationNames, true, 2};
        default:
            return std::nullopt;
    }
}

}  // namespace

std::optional<Request> decodeRequest(std::span<const std::uint8_t> data) {
    if (data.empty()) return std::nullopt;
    const std::optional<Shape> shape = shapeOf(data[0]);
    if (!shape || data.size() < 1 + shape->bytes) return std::nullopt;
    Request request;
    request.kind = shape->kind;
    request.extended = shape->extended;
    const auto b = data.subspan(1);
    using K = Request::Kind;
    if (request.kind == K::Implementation) return request;
    if (request.extended) {
        request.matrix = b[0];
        std::size_t at = 1;  // past the matrix byte
        if (request.kind != K::DestinationNames) request.level = b[at++];
        if (request.kind == K::Interrogate || request.kind == K::Connect) {
            request.destination = word(b, at);
            if (request.kind == K::Connect) request.source = word(b, at + 2);
        }
        if (request.kind == K::SourceNames || request.kind == K::DestinationNames)
            request.lengthCode = b[at];
    } else {
        request.matrix = b[0] >> 4;
        request.level = b[0] & 0x0F;
        if (request.kind == K::Interrogate || request.kind == K::Connect) {
            request.destination = (b[1] >> 4 & 0x07) * 128 + (b[2] & 0x7F);
            if (request.kind == K::Connect) request.source = (b[1] & 0x07) * 128 + (b[3] & 0x7F);
        }
        if (request.kind == K::SourceNames || request.kind == K::DestinationNames)
            request.lengthCode = b[1];
        if (request.kind == K::DestinationNames) request.level = 0;
    }
    if (request.lengthCode > 2) return std::nullopt;
    return request;
}

std::vector<std::uint8_t> requestData(const Request& request) {
    using K = Request::Kind;
    const bool x = request.extended;
    Bytes data;
    switch (request.kind) {
        case K::Implementation:
            return {code(Command::Implementation)};
        case K::Interrogate:
        case K::Connect: {
            const bool connect = request.kind == K::Connect;
            if (x) {
                data = {code(connect ? Command::ExtendedConnect : Command::ExtendedInterrogate),
                        byteOf(request.matrix), byteOf(request.level)};
                appendWord(data, request.destination);
                if (connect) appendWord(data, request.source);
            } else {
                data = {code(connect ? Command::Connect : Command::Interrogate),
                        matrixLevel(request.matrix, request.level),
                        multiplier(request.destination, connect ? request.source : 0),
                        byteOf(request.destination % 128)};
                if (connect) data.push_back(byteOf(request.source % 128));
            }
            return data;
        }
        case K::TallyDump:
            if (x)
                return {code(Command::ExtendedTallyDump), byteOf(request.matrix),
                        byteOf(request.level)};
            return {code(Command::TallyDump), matrixLevel(request.matrix, request.level)};
        case K::SourceNames:
            if (x)
                return {code(Command::ExtendedSourceNames), byteOf(request.matrix),
                        byteOf(request.level), byteOf(request.lengthCode)};
            return {code(Command::SourceNames), matrixLevel(request.matrix, request.level),
                    byteOf(request.lengthCode)};
        case K::DestinationNames:
            if (x)
                return {code(Command::ExtendedDestinationNames), byteOf(request.matrix),
                        byteOf(request.lengthCode)};
            return {code(Command::DestinationNames), matrixLevel(request.matrix, 0),
                    byteOf(request.lengthCode)};
    }
    return data;
}

void appendImplementation(std::vector<std::uint8_t>& out) {
    static constexpr std::uint8_t kAnswer[] = {0x62, 0x00, 0x00, 0x01, 0x02, 0x15, 0x61,
                                               0x64, 0x66, 0x81, 0x82, 0x95, 0xE4, 0xE6};
    appendMessage(out, kAnswer);
}

void appendTally(std::vector<std::uint8_t>& out, bool extended, bool connected, std::int32_t matrix,
                 std::int32_t level, std::int32_t destination, std::int32_t source) {
    if (extended) {
        std::uint8_t data[] = {
            code(connected ? Command::ExtendedConnected : Command::ExtendedTally),
            byteOf(matrix),
            byteOf(level),
            byteOf(destination >> 8),
            byteOf(destination),
            byteOf(source >> 8),
            byteOf(source)};
        appendMessage(out, data);
        return;
    }
    std::uint8_t data[] = {code(connected ? Command::Connected : Command::Tally),
                           matrixLevel(matrix, level), multiplier(destination, source),
                           byteOf(destination % 128), byteOf(source % 128)};
    appendMessage(out, data);
}

void appendTallyDump(std::vector<std::uint8_t>& out, bool extended, std::int32_t matrix,
                     std::int32_t level, std::int32_t first,
                     std::span<const std::int32_t> sources) {
    const auto n = static_cast<std::int32_t>(sources.size());
    const std::int32_t lastFirst =
        first + (n == 0 ? 0 : (n - 1) / kDumpPerMessage * kDumpPerMessage);
    const bool bytes = !extended && lastFirst < 256 &&
                       std::all_of(sources.begin(), sources.end(),
                                   [](std::int32_t source) { return source < 256; });
    Bytes data;
    for (std::size_t at = 0; at < sources.size(); at += kDumpPerMessage) {
        const std::size_t count = std::min<std::size_t>(kDumpPerMessage, sources.size() - at);
        const auto from = static_cast<std::int32_t>(first + at);
        data.clear();
        if (extended) {
            data = {code(Command::ExtendedTallyDumpAnswer), byteOf(matrix), byteOf(level),
                    byteOf(static_cast<std::int32_t>(count))};
            appendWord(data, from);
        } else {
            data = {code(bytes ? Command::TallyDumpBytes : Command::TallyDumpWords),
                    matrixLevel(matrix, level), byteOf(static_cast<std::int32_t>(count))};
            if (bytes)
                data.push_back(byteOf(from));
            else
                appendWord(data, from);
        }
        for (std::size_t i = at; i < at + count; ++i) {
            if (bytes)
                data.push_back(byteOf(sources[i]));
            else
                appendWord(data, sources[i]);
        }
        appendMessage(out, data);
    }
}

std::size_t nameWidth(std::int32_t lengthCode) {
    return 4 * static_cast<std::size_t>(std::clamp(lengthCode, 0, 2) + 1);
}

std::string nameField(std::string_view text, std::size_t width) {
    std::string field;
    field.reserve(width);
    std::size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (lead >= 0x80 && lead < 0xC0) length = 1;  // a stray continuation byte
        if (length > text.size() - at || field.size() + length > width) break;
        if (length == 1 && (lead < 0x20 || lead == 0x7F || lead >= 0x80))
            field += lead < 0x80 ? ' ' : '?';
        else
            field.append(text, at, length);
        at += length;
    }
    field.resize(width, ' ');
    return field;
}

void appendNames(std::vector<std::uint8_t>& out, bool sources, bool extended, std::int32_t matrix,
                 std::int32_t level, std::int32_t lengthCode, std::int32_t first,
                 std::span<const std::string> names) {
    const std::size_t width = nameWidth(lengthCode);
    Bytes data;
    for (std::size_t at = 0; at < names.size(); at += kNamesPerMessage) {
        const std::size_t count = std::min<std::size_t>(kNamesPerMessage, names.size() - at);
        data.clear();
        if (sources) {
            data.push_back(
                code(extended ? Command::ExtendedSourceNamesAnswer : Command::SourceNamesAnswer));
            if (extended) {
                data.push_back(byteOf(matrix));
                data.push_back(byteOf(level));
            } else {
                data.push_back(matrixLevel(matrix, level));
            }
        } else {
            data.push_back(code(extended ? Command::ExtendedDestinationNamesAnswer
                                         : Command::DestinationNamesAnswer));
            data.push_back(extended ? byteOf(matrix) : matrixLevel(matrix, 0));
        }
        data.push_back(byteOf(lengthCode));
        appendWord(data, static_cast<std::int32_t>(first + at));
        data.push_back(byteOf(static_cast<std::int32_t>(count)));
        for (std::size_t i = at; i < at + count; ++i) {
            const std::string field = nameField(names[i], width);
            data.insert(data.end(), field.begin(), field.end());
        }
        appendMessage(out, data);
    }
}

}  // namespace mc::swp08
