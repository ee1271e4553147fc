// MatrixSession: the line (what the device carries, per layer), its resend,
// and MatrixLine.json.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "control/LineFile.h"
#include "control/MatrixSession.h"
#include "control/SwitchingLayer.h"

namespace mc {

namespace {

const char* const kLineFile = "MatrixLine.json";

}  // namespace

LineLayer MatrixSession::operatorTable() const {
    if (m_line.pattern()) return LineLayer::All;
    return m_layer.checked == kLayerAudio ? LineLayer::Audio : LineLayer::Video;
}

void MatrixSession::moveDeviceTo(std::int32_t code) {
    if (m_line.pattern() || !isLayer(code) || m_line.deviceLayer() == code) return;
    queueLayerFrame(code, *m_state, *CommandQueue);
}

int MatrixSession::queueLine(const std::set<std::int32_t>& only) {
    const auto wanted = [&](std::int32_t o) { return only.empty() || only.contains(o); };
    int queued = 0;
    const auto group = [&](std::int32_t code, const std::vector<std::int32_t>& outputs,
                           LineLayer table) {
        if (outputs.empty()) return;
        moveDeviceTo(code);
        for (const std::int32_t o : outputs) {
            m_state->queueCarried(o, m_line.carried(table, o));
            ++queued;
        }
    };
    std::vector<std::int32_t> both, video, audio;
    for (std::int32_t o = 0; o < m_line.outputs(); ++o) {
        if (!wanted(o)) continue;
        if (m_line.pattern()) {
            if (m_line.carried(LineLayer::All, o).known()) both.push_back(o);
            continue;
        }
        const Carried& onVideo = m_line.carried(LineLayer::Video, o);
        const Carried& onAudio = m_line.carried(LineLayer::Audio, o);
        if (onVideo.known() && onVideo == onAudio) {
            both.push_back(o);
            continue;
        }
        if (onVideo.known()) video.push_back(o);
        if (onAudio.known()) audio.push_back(o);
    }
    group(kLayerVideoAndAudio, both, m_line.videoTable());
    group(kLayerVideo, video, LineLayer::Video);
    group(kLayerAudio, audio, LineLayer::Audio);
    return queued;
}

bool MatrixSession::resendCurrentState() {
    if (busy()) return false;
    StepScope step(*this, kWindowOwner);
    m_step.entry.action = journal::kResend;
    m_state->queueStartupFrames();
    // A switcher that was power-cycled is on no layer we know of.
    m_line.forgetDeviceLayer();
    queueLine({});
    if (m_layer.enabled) moveDeviceTo(m_layer.checked);  // ends on the operator's layer
    return true;
}

// --- MatrixLine.json ------------------------------------------------------------------

void MatrixSession::restoreLine() {
    const std::string path = m_paths.configFile(kLineFile);
    std::string problem;
    try {
        const std::optional<StoredLine> stored = readStoredLine(path);
        if (!stored) return;
        const StoredLine expected = storedLine(m_line, m_settings.MatrixNowUse,
                                               m_state->ActiveAddress, m_state->MatrixInputNum());
        if (stored->model != expected.model || stored->address != expected.address ||
            stored->inputs != expected.inputs || stored->outputs != expected.outputs ||
            stored->pattern != expected.pattern) {
            problem = "stored for another model, address, port count or pattern";
        } else {
            for (const auto& [layer, entries] : stored->tables) {
                for (std::size_t o = 0; o < entries.size(); ++o) {
                    LineEntry entry = entries[o];
                    entry.lastKnown = entry.carried.known();
                    m_line.restore(layer, static_cast<std::int32_t>(o), entry);
                }
            }
            return;
        }
    } catch (const std::exception& error) {
        problem = error.what();
    }
    std::error_code renameError;
    std::filesystem::rename(path, path + ".bad", renameError);
    portLog(std::string(kLineFile) + ": " + problem + "; kept as " + kLineFile +
            ".bad, the line starts unknown");
}

void MatrixSession::writeLine() {
    m_lineWriteScheduled = false;
    if (!m_state) return;
    m_lineWriter->store(m_paths.configFile(kLineFile),
                        storedLine(m_line, m_settings.MatrixNowUse, m_state->ActiveAddress,
                                   m_state->MatrixInputNum()));
}

}  // namespace mc
