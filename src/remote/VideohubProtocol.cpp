#include "remote/VideohubProtocol.h"

#include <cstring>

#include "config/IniEncoding.h"

namespace mc::remote {

namespace {

// Length of the valid UTF-8 sequence at text[i], or 0.
std::size_t utf8Length(std::string_view text, std::size_t i) {
    return validSequenceLength(text.substr(i));
}

bool isControl(unsigned char c) {
    return (c < 0x20 && c != '\t') || c == 0x7F;
}

bool isHeader(std::string_view line) {
    if (line.size() < 2 || line.back() != ':') return false;
    for (const char c : line.substr(0, line.size() - 1)) {
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ')) return false;
    }
    return line.front() != ' ';
}

std::string header(std::string_view name) {
    std::string text(name);
    text += ":\n";
    return text;
}

}  // namespace

bool isCleanText(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8Length(text, i);
        if (length == 0 || (length == 1 && isControl(static_cast<unsigned char>(text[i])))) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string lineSafe(std::string_view label) {
    std::string safe;
    safe.reserve(label.size());
    for (std::size_t i = 0; i < label.size();) {
        const std::size_t length = utf8Length(label, i);
        if (length == 0) {
            safe += '?';
            ++i;
        } else if (length == 1 && isControl(static_cast<unsigned char>(label[i]))) {
            safe += ' ';
            ++i;
        } else {
            safe.append(label.substr(i, length));
            i += length;
        }
    }
    return safe;
}

void BlockReader::reset() {
    m_inBlock = false;
    m_item = ReadItem{};
    m_blockBytes = 0;
}

std::optional<ReadItem> BlockReader::read(std::string_view& input) {
    while (!input.empty()) {
        const void* found = std::memchr(input.data(), '\n', input.size());
        const std::size_t end =
            found ? static_cast<std::size_t>(static_cast<const char*>(found) - input.data())
                  : input.size();
        // A "\r" may belong to the line end; it is dropped in takeLine and
        // does not count against the limit.
        if (!m_lineTooLong) {
            if (m_line.size() + end > kMaxLineBytes + 1) {
                m_lineTooLong = true;
                m_line.clear();
                m_line.shrink_to_fit();
            } else {
                m_line.append(input.substr(0, end));
            }
        }
        if (!found) {
            input = {};
            return std::nullopt;
        }
        input.remove_prefix(end + 1);
        if (auto item = takeLine()) return item;
    }
    return std::nullopt;
}

std::optional<ReadItem> BlockReader::takeLine() {
    if (!m_line.empty() && m_line.back() == '\r') m_line.pop_back();
    const bool tooLong = m_lineTooLong || m_line.size() > kMaxLineBytes;
    m_lineTooLong = false;
    std::string line;
    line.swap(m_line);

    if (line.empty() && !tooLong) {
        if (!m_inBlock) return std::nullopt;  // blank line between blocks
        ReadItem item = std::move(m_item);
        if (item.error) item.block.lines.clear();
        reset();
        return item;
    }
    if (!m_inBlock) {
        m_inBlock = true;
        if (tooLong) {
            m_item.error = ReadError::LineTooLong;
        } else if (!isHeader(line)) {
            m_item.error = ReadError::BadHeader;
        } else {
            line.pop_back();
            m_item.block.header = std::move(line);
        }
        return std::nullopt;
    }
    if (m_item.error) return std::nullopt;
    Block& block = m_item.block;
    if (tooLong) {
        m_item.error = ReadError::LineTooLong;
    } else if (block.lines.size() + block.ignoredLines >= kMaxBlockLines) {
        m_item.error = ReadError::TooManyLines;
    } else if (m_blockBytes + line.size() > kMaxBlockBytes) {
        m_item.error = ReadError::BlockTooLarge;
    } else if (!isCleanText(line)) {
        ++block.ignoredLines;
    } else {
        m_blockBytes += line.size();
        block.lines.push_back(std::move(line));
    }
    if (m_item.error) {
        block.lines.clear();
        block.lines.shrink_to_fit();
    }
    return std::nullopt;
}

std::string protocolVersion() {
    return "2.8";
}

std::string preambleBlock() {
    return header(kPreamble) + "Version: " + protocolVersion() + "\n\n";
}

std::string deviceBlock(const DeviceInfo& device) {
    std::string text = header(kDevice);
    if (!device.present) return text + "Device present: false\n\n";
    text += "Device present: true\n";
    text += "Model name: " + lineSafe(device.modelName) + '\n';
    text += "Friendly name: " + lineSafe(device.friendlyName) + '\n';
    text += "Unique ID: " + lineSafe(device.uniqueId) + '\n';
    text += "Video inputs: " + std::to_string(device.inputs) + '\n';
    text += "Video processing units: 0\n";
    text += "Video outputs: " + std::to_string(device.outputs) + '\n';
    text += "Video monitoring outputs: 0\n";
    text += "Serial ports: 0\n\n";
    return text;
}

std::string labelsBlock(std::string_view name,
                        const std::vector<std::pair<int, std::string>>& labels) {
    std::string text = header(name);
    for (const auto& [port, label] : labels) {
        text += std::to_string(port) + ' ' + lineSafe(label) + '\n';
    }
    return text + '\n';
}

std::string locksBlock(const std::vector<std::pair<int, LockView>>& locks) {
    std::string text = header(kLocks);
    for (const auto& [output, view] : locks) {
        text += std::to_string(output) + ' ' + static_cast<char>(view) + '\n';
    }
    return text + '\n';
}

std::string routingBlock(const std::vector<std::pair<int, int>>& routes) {
    std::string text = header(kRouting);
    for (const auto& [output, input] : routes) {
        text += std::to_string(output) + ' ' + std::to_string(input) + '\n';
    }
    return text + '\n';
}

std::string configurationBlock(bool takeMode) {
    return header(kConfiguration) + "Take Mode: " + (takeMode ? "true" : "false") + "\n\n";
}
std::string endPreludeBlock() {
    return header(kEndPrelude) + '\n';
}
std::string ackBlock() {
    return "ACK\n\n";
}
std::string nakBlock() {
    return "NAK\n\n";
}

}  // namespace mc::remote
