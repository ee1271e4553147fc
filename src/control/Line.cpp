#include "control/Line.h"

#include <stdexcept>

#include "protocol/Frames.h"

namespace mc {

const char* layerName(LineLayer layer) {
    switch (layer) {
        case LineLayer::Video:
            return "video";
        case LineLayer::Audio:
            return "audio";
        case LineLayer::All:
            break;
    }
    return "all";
}

std::optional<LineLayer> layerNamed(const std::string& name) {
    for (LineLayer layer : {LineLayer::Video, LineLayer::Audio, LineLayer::All}) {
        if (name == layerName(layer)) return layer;
    }
    return std::nullopt;
}

void Line::reset(std::int32_t outputs, bool pattern) {
    m_pattern = pattern;
    m_outputs = outputs;
    m_deviceLayer = 0;
    m_video.assign(static_cast<std::size_t>(outputs), {});
    m_audio.assign(pattern ? 0 : static_cast<std::size_t>(outputs), {});
    m_before.clear();
    m_order.clear();
}

std::vector<LineLayer> Line::layers() const {
    if (m_pattern) return {LineLayer::All};
    return {LineLayer::Video, LineLayer::Audio};
}

const std::vector<LineEntry>& Line::table(LineLayer layer) const {
    return const_cast<Line*>(this)->tableOf(layer);
}

std::vector<LineEntry>& Line::tableOf(LineLayer layer) {
    if ((layer == LineLayer::All) != m_pattern) throw std::out_of_range("no such line table");
    return layer == LineLayer::Audio ? m_audio : m_video;
}

const LineEntry& Line::entry(LineLayer layer, std::int32_t output) const {
    return table(layer).at(static_cast<std::size_t>(output));
}

std::vector<LineLayer> Line::tablesOf(std::int32_t layerCode) const {
    if (m_pattern) return {LineLayer::All};
    if (layerCode == 2) return {LineLayer::Audio};
    if (layerCode == 3) return {LineLayer::Video, LineLayer::Audio};
    return {LineLayer::Video};
}

std::vector<LineLayer> Line::tablesNow() const {
    return tablesOf(m_deviceLayer);
}

void Line::frameQueued(const std::vector<std::uint8_t>& frame, std::int32_t output,
                       std::int64_t now) {
    if (frame.size() < kFrameOverhead) return;
    const auto command = static_cast<FrameCommand>(frame[2]);
    const auto data = [&](std::size_t k) { return static_cast<std::int32_t>(frame[4 + k]); };
    const std::size_t dataSize = frame.size() - kFrameOverhead;
    std::optional<Carried> carried;
    switch (command) {
        case FrameCommand::Layer:
            if (dataSize >= 1 && data(0) >= 1 && data(0) <= 3) m_deviceLayer = data(0);
            return;
        case FrameCommand::Switch:
            if (dataSize >= 2) carried = Carried::routed(data(1));
            break;
        case FrameCommand::Close:
            carried = Carried::closed();
            break;
        case FrameCommand::Cycle: {
            if (dataSize < 2) return;
            std::vector<std::int32_t> inputs;
            for (std::size_t k = 2; k < dataSize; ++k)
                inputs.push_back(data(k));
            carried = Carried::cycling(std::move(inputs), data(0) * 256 + data(1));
            output = 0;
            break;
        }
        case FrameCommand::OnOff:
        case FrameCommand::SetAddress:
            return;
    }
    if (!carried || output < 0 || output >= m_outputs) return;
    for (LineLayer layer : tablesNow())
        set(layer, output, *carried, now);
}

void Line::set(LineLayer layer, std::int32_t output, Carried carried, std::int64_t now) {
    LineEntry& entry = tableOf(layer).at(static_cast<std::size_t>(output));
    const auto key = std::make_pair(layer, output);
    if (m_before.emplace(key, std::make_pair(entry.carried, entry.lastKnown)).second)
        m_order.push_back(key);
    entry.carried = std::move(carried);
    entry.lastKnown = false;
    entry.changedAt = now;
}

void Line::forget(std::int32_t output) {
    for (const LineLayer layer : layers())
        tableOf(layer).at(static_cast<std::size_t>(output)) = LineEntry{};
}

void Line::restore(LineLayer layer, std::int32_t output, const LineEntry& entry) {
    tableOf(layer).at(static_cast<std::size_t>(output)) = entry;
}

std::vector<LineChange> Line::takeChanges() {
    std::vector<LineChange> changes;
    for (const auto& key : m_order) {
        const auto& [from, wasLastKnown] = m_before.at(key);
        const Carried& to = carried(key.first, key.second);
        if (from != to || wasLastKnown)
            changes.push_back({key.first, key.second, from, to, wasLastKnown});
    }
    m_before.clear();
    m_order.clear();
    return changes;
}

}  // namespace mc
