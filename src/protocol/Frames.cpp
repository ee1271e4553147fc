#include "protocol/Frames.h"

#include <array>

namespace mc {

namespace {

std::uint8_t low8(std::int32_t value) {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) & 0xFFu);
}

}  // namespace

bool isKnownCommand(std::uint8_t command) {
    switch (static_cast<FrameCommand>(command)) {
        case FrameCommand::OnOff:
        case FrameCommand::Switch:
        case FrameCommand::Close:
        case FrameCommand::Cycle:
        case FrameCommand::SetAddress:
        case FrameCommand::Layer:
            return true;
    }
    return false;
}

std::optional<std::size_t> fixedDataLength(FrameCommand command) {
    switch (command) {
        case FrameCommand::Switch:
            return 2;
        case FrameCommand::Cycle:
            return std::nullopt;
        case FrameCommand::OnOff:
        case FrameCommand::Close:
        case FrameCommand::SetAddress:
        case FrameCommand::Layer:
            return 1;
    }
    return std::nullopt;
}

std::uint8_t frameSum(std::span<const std::uint8_t> body) {
    std::uint8_t sum = 0;
    for (std::uint8_t byte : body) {
        sum = static_cast<std::uint8_t>(sum + byte);
    }
    return sum;
}

std::uint8_t frameChecksum(std::span<const std::uint8_t> body) {
    const std::uint8_t sum = frameSum(body);
    return sum == kFrameStart ? kChecksumForStart : sum;
}

std::uint8_t layerCodeOnWire(std::int32_t layer) {
    return (layer < 0 || layer > 3) ? std::uint8_t{1} : static_cast<std::uint8_t>(layer);
}

void composeFrame(std::vector<std::uint8_t>& out, std::int32_t address, std::uint8_t command,
                  std::span<const std::uint8_t> data) {
    out.resize(data.size() + kFrameOverhead);
    out[0] = kFrameStart;
    out[1] = low8(address);
    out[2] = command;
    out[3] = static_cast<std::uint8_t>(data.size() & 0xFFu);
    for (std::size_t i = 0; i < data.size(); ++i) {
        out[kFrameHeaderSize + i] = data[i];
    }
    const std::span<const std::uint8_t> body(out.data() + 1, out.size() - 2);
    out.back() = frameChecksum(body);
}

void composeOnOff(std::vector<std::uint8_t>& out, std::int32_t address, bool on) {
    const std::array<std::uint8_t, 1> data{on ? std::uint8_t{0xFF} : std::uint8_t{0x00}};
    composeFrame(out, address, static_cast<std::uint8_t>(FrameCommand::OnOff), data);
}

void composeSwitch(std::vector<std::uint8_t>& out, std::int32_t address, std::int32_t input,
                   std::int32_t output) {
    const std::array<std::uint8_t, 2> data{low8(output), low8(input)};
    composeFrame(out, address, static_cast<std::uint8_t>(FrameCommand::Switch), data);
}

void composeClose(std::vector<std::uint8_t>& out, std::int32_t address, std::int32_t output) {
    const std::array<std::uint8_t, 1> data{low8(output)};
    composeFrame(out, address, static_cast<std::uint8_t>(FrameCommand::Close), data);
}

void composeCycle(std::vector<std::uint8_t>& out, std::int32_t address,
                  std::span<const std::int32_t> inputs, std::int32_t cycleTime) {
    // Written in place rather than through composeFrame: no temporary buffer.
    const std::size_t dataSize = inputs.size() + 2;
    out.resize(dataSize + kFrameOverhead);
    out[0] = kFrameStart;
    out[1] = low8(address);
    out[2] = static_cast<std::uint8_t>(FrameCommand::Cycle);
    out[3] = static_cast<std::uint8_t>(dataSize & 0xFFu);
    out[4] = low8(cycleTime >> 8);
    out[5] = low8(cycleTime);
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        out[6 + k] = low8(inputs[k]);
    }
    const std::span<const std::uint8_t> body(out.data() + 1, out.size() - 2);
    out.back() = frameChecksum(body);
}

void composeSetAddress(std::vector<std::uint8_t>& out, std::int32_t address,
                       std::int32_t newAddress) {
    const std::array<std::uint8_t, 1> data{low8(newAddress)};
    composeFrame(out, address, static_cast<std::uint8_t>(FrameCommand::SetAddress), data);
}

void composeLayer(std::vector<std::uint8_t>& out, std::int32_t address, std::int32_t layer) {
    const std::array<std::uint8_t, 1> data{layerCodeOnWire(layer)};
    composeFrame(out, address, static_cast<std::uint8_t>(FrameCommand::Layer), data);
}

}  // namespace mc
