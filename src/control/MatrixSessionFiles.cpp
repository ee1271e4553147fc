// MatrixSession: status files, matrix modes and the configuration dialog's
// operations.

#include <algorithm>
#include <map>
#include <utility>

#include "config/Settings.h"
#include "control/MatrixSession.h"
#include "control/PortOpenDetail.h"
#include "serial/CommsError.h"
#include "store/ModeStore.h"
#include "store/StatusFile.h"
#include "text/Text.h"

namespace mc {

namespace {

const char* const kMismatch = MC_TEXT("MatrixSession", "调用的文件与但前矩阵不匹配");

std::string loadNote(const LoadOutcome& outcome) {
    std::string note;
    if (outcome.skipped > 0) {
        note =
            formatText(translated("MatrixSession", "已跳过 %1 个超出当前矩阵或无法识别的切换节点"),
                       {std::to_string(outcome.skipped)});
    }
    if (outcome.locked > 0) {
        if (!note.empty()) note += translated("MatrixSession", "；");
        note +=
            formatText(translated("MatrixSession", "%1 个切换节点所在的输出已被他人锁定，未执行"),
                       {std::to_string(outcome.locked)});
    }
    return note;
}

// True when one of the first `pageSize` names is set.
bool namesOnFirstPage(const std::vector<std::string>& names, std::int32_t pageSize) {
    const std::size_t count = std::min(names.size(), static_cast<std::size_t>(pageSize));
    return std::any_of(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(count),
                       [](const std::string& name) { return !name.empty(); });
}

}  // namespace

LoadOutcome MatrixSession::applyLoaded(const std::vector<Node>& nodes, int unreadable,
                                       const std::string& owner) {
    const auto lockedElsewhere = [&](std::int32_t o) { return heldByOther(o, owner); };
    m_step.change.firstPage = true;
    m_state->clearSelection(lockedElsewhere);
    const ApplyResult applied = m_state->applyNodes(nodes, lockedElsewhere);
    LoadOutcome outcome;
    outcome.done = true;
    outcome.applied = applied.applied;
    outcome.skipped = applied.skipped + unreadable;
    outcome.locked = applied.locked;
    return outcome;
}

// --- Status files -------------------------------------------------------------------

bool MatrixSession::saveStatusFile(const std::string& path) {
    if (!m_state) return false;
    const CrosspointState& state = *m_state;
    StatusContent content;
    content.address = state.ActiveAddress;
    content.inputs = state.MatrixInputNum();
    content.outputs = state.MatrixOutputNum();
    content.nodes = state.selectedNodes();
    if (state.MatrixInputEditEnable) content.names.inputs = state.InputNames();
    if (state.MatrixOutputEditEnable) content.names.outputs = state.OutputNames();
    const bool saved = guarded([&] { mc::saveStatusFile(path, content); });
    m_paths.restoreCurrentDirectory();
    return saved;
}

LoadOutcome MatrixSession::loadStatusFile(const std::string& path) {
    if (!m_state) return {};
    StatusFileRead read;
    const bool ok = guarded([&] {
        read = readStatusFile(path, m_state->MatrixInputNum(), m_state->MatrixOutputNum());
    });
    m_paths.restoreCurrentDirectory();
    if (!ok) return {};
    if (!read.error.empty()) {
        m_prompts->showMessage(read.error);
        return {};
    }
    if (!read.matched) {
        m_prompts->showMessage(translated("MatrixSession", kMismatch));
        return {};
    }
    StepScope step(*this, kWindowOwner);
    if (m_takeMode) {  // a preview: the routes are staged, nothing else changes
        const LoadOutcome staged = stageLoaded(read.nodes, read.unreadable, kWindowOwner);
        setNote(loadNote(staged));
        return staged;
    }
    m_step.entry.action = journal::kStatusFile;
    m_step.entry.file = path;
    LoadOutcome outcome = applyLoaded(read.nodes, read.unreadable, kWindowOwner);
    for (std::size_t k = 0; k < read.inputNames.size(); ++k)
        m_state->setInputName(static_cast<std::int32_t>(k), read.inputNames[k]);
    for (std::size_t k = 0; k < read.outputNames.size(); ++k)
        m_state->setOutputName(static_cast<std::int32_t>(k), read.outputNames[k]);
    // The first page's name fields are typed anew: a field whose text changes
    // (every field is empty while its list is not in use) puts its list in use.
    if (namesOnFirstPage(read.inputNames, kColumnPageSize)) m_state->MatrixInputEditEnable = true;
    if (namesOnFirstPage(read.outputNames, kRowPageSize)) m_state->MatrixOutputEditEnable = true;
    setNote(loadNote(outcome));
    return outcome;
}

// --- Matrix modes ---------------------------------------------------------------------

std::vector<std::string> MatrixSession::modeList() {
    std::vector<std::string> modes;
    guarded([&] { modes = ModeStore(m_paths.modeFile()).listModes(); });
    m_paths.restoreCurrentDirectory();
    return modes;
}

const std::string& MatrixSession::currentModeName() const {
    static const std::string kNone;
    return m_state ? m_state->CurrentModeName : kNone;
}

LoadOutcome MatrixSession::applyMode(const std::string& modeName, const std::string& owner) {
    if (!m_state) return {};
    m_state->CurrentModeName = modeElementName(modeName);
    ModeStore::ModeNodes mode;
    const bool ok =
        guarded([&] { mode = ModeStore(m_paths.modeFile()).readMode(m_state->CurrentModeName); });
    m_paths.restoreCurrentDirectory();
    if (!ok) return {};
    StepScope step(*this, owner);
    if (m_takeMode) {  // a preview of the salvo
        const LoadOutcome staged = stageLoaded(mode.nodes, mode.unreadable, owner);
        setNote(loadNote(staged));
        return staged;
    }
    m_step.entry.action = journal::kMode;
    m_step.entry.mode = modeName;
    // The first page's fields are typed anew with the names they show, which
    // a mode does not change: no name and no list changes.
    LoadOutcome outcome = applyLoaded(mode.nodes, mode.unreadable, owner);
    setNote(loadNote(outcome));
    return outcome;
}

void MatrixSession::newMode() {
    if (!m_state) return;
    StepScope step(*this, kWindowOwner);
    m_state->clearSelection([this](std::int32_t o) { return heldByOther(o, kWindowOwner); });
    m_state->CurrentModeName.clear();
}

bool MatrixSession::saveMode() {
    if (!m_state) return false;
    const ModeStore store(m_paths.modeFile());
    // A file that cannot be read stops the save before a name is asked.
    if (!guarded([&] { store.listModes(); })) return false;
    if (m_state->CurrentModeName.empty()) {
        m_state->CurrentModeName = m_prompts->askModeName().value_or(std::string());
    }
    bool saved = false;
    if (!m_state->CurrentModeName.empty()) {
        saved =
            guarded([&] { store.saveMode(m_state->CurrentModeName, m_state->selectedNodes()); });
    }
    m_paths.restoreCurrentDirectory();
    StepScope step(*this, kWindowOwner);
    m_step.change.modeList = true;
    return saved;
}

bool MatrixSession::deleteMode(const std::string& modeName) {
    if (!m_state) return false;
    const std::string element = modeElementName(modeName);
    const bool deleted = guarded([&] { ModeStore(m_paths.modeFile()).deleteMode(element); });
    m_paths.restoreCurrentDirectory();
    StepScope step(*this, kWindowOwner);
    if (deleted) newMode();
    m_step.change.modeList = true;
    return deleted;
}

// --- The configuration dialog -----------------------------------------------------------

void MatrixSession::setCircleTime(std::int32_t seconds) {
    if (m_state) m_state->CircleTime = seconds;
}

void MatrixSession::setPattern(bool pattern) {
    if (m_state) m_state->MatrixPattern = pattern;
}

bool MatrixSession::applyConfiguration(const ConfigChoice& choice) {
    if (m_closed) return false;
    bool gridFreed = false;
    bool completed = false;
    guarded([&] {
        Comm1.ClosePort();
        m_paths.ensureConfigDir();
        Comm1.ClosePort();

        Comm1.setCommName(commName(choice.comPort));
        Comm1.setBaudRate(static_cast<std::uint32_t>(choice.baudRate));
        writePortSettings(m_paths, choice.comPort, static_cast<std::int32_t>(Comm1.BaudRate()));
        if (!choice.devicePath.empty()) {
            writePortMapEntry(m_paths, choice.comPort, choice.devicePath);
            std::map<std::string, std::string> map = Comm1.portMap();
            map[commName(choice.comPort)] = choice.devicePath;
            Comm1.setPortMap(std::move(map));
        }

        try {
            Comm1.OpenPort();
        } catch (const ECommsError& error) {
            if (m_prompts->ignorePortError(error.what(),
                                           portOpenDetail(error.errorCode(), error.devicePath()))) {
                Comm1.ClosePort();
                writePortFallback(m_paths);
            }
        }

        closePort();
        gridFreed = true;

        writeModelInUse(m_paths, static_cast<std::int32_t>(Comm1.BaudRate()), choice.model);
        writeNetworkSettings(m_paths, choice.network);
        writeWebSettings(m_paths, choice.web);
        m_caption = windowCaption(choice.model);
        if (m_state) {
            m_state->MatrixInputEditEnable = false;
            m_state->MatrixOutputEditEnable = false;
        }
        erasePortNameFile(m_paths);
        m_paths.restoreCurrentDirectory();

        m_paths.ensureConfigDir();
        guarded([this] { ModeStore(m_paths.modeFile()).removeAllModes(); });
        if (m_state) m_state->CurrentModeName.clear();
        completed = true;
    });
    // The matrix is rebuilt from what is stored whatever happened on the way:
    // it never stays with a closed port.
    if (!gridFreed) closePort();
    // The rebuild tells every observer to make its views again, the mode
    // list included.
    rebuild();
    m_paths.restoreCurrentDirectory();
    return completed;
}

}  // namespace mc
