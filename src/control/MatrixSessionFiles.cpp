// MatrixSession: status files, matrix modes and the configuration dialog's
// operations.

#include <algorithm>
#include <filesystem>
#include <map>
#include <utility>

#include "config/Settings.h"
#include "control/GridPage.h"
#include "control/MatrixSession.h"
#include "control/PortOpenDetail.h"
#include "serial/CommsError.h"
#include "store/ModeName.h"
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
    m_step.change.loaded = true;
    m_state->clearSelection(lockedElsewhere);
    const ApplyResult applied = m_state->applyNodes(nodes, lockedElsewhere);
    LoadOutcome outcome;
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
    const bool saved = guarded(kWindowOwner, [&] { mc::saveStatusFile(path, content); }).done();
    m_paths.restoreCurrentDirectory();
    return saved;
}

LoadOutcome MatrixSession::loadStatusFile(const std::string& path) {
    if (auto refused = busy()) return *refused;
    StatusFileRead read;
    const Outcome readOutcome = guarded(kWindowOwner, [&] {
        read = readStatusFile(path, m_state->MatrixInputNum(), m_state->MatrixOutputNum());
    });
    m_paths.restoreCurrentDirectory();
    if (!readOutcome) return readOutcome;
    if (!read.error.empty()) {
        m_prompts->showMessage(read.error);
        return Outcome::refused(Refusal::FileError, read.error);
    }
    if (!read.matched) {
        m_prompts->showMessage(translated("MatrixSession", kMismatch));
        return Outcome::refused(Refusal::FileError, translated("MatrixSession", kMismatch));
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

ModeList MatrixSession::readModes() const {
    ModeList list;
    try {
        list.names = ModeStore(m_paths.modeFile()).listModes();
    } catch (const std::exception& error) {
        list.refusal = Refusal::FileError;
        list.detail = error.what();
    }
    m_paths.restoreCurrentDirectory();
    return list;
}

std::vector<std::string> MatrixSession::modeList() {
    ModeList list = readModes();
    if (!list) reportError(kWindowOwner, list.detail);
    return std::move(list.names);
}

const std::string& MatrixSession::currentModeName() const {
    static const std::string kNone;
    return m_state ? m_state->CurrentModeName : kNone;
}

LoadOutcome MatrixSession::applyMode(const std::string& modeName, const std::string& owner) {
    if (auto refused = busy()) return *refused;
    const std::string element = modeElementName(modeName);
    ModeStore::ModeNodes mode;
    const auto error = attempt([&] { mode = ModeStore(m_paths.modeFile()).readMode(element); });
    m_paths.restoreCurrentDirectory();
    if (error) {
        // The window's choice becomes the current mode even when it cannot be read.
        if (owner == kWindowOwner) {
            StepScope step(*this, owner);
            m_state->CurrentModeName = element;
        }
        return reportError(owner, *error);
    }
    if (!mode.found && owner != kWindowOwner) return Outcome::refused(Refusal::NotFound);
    StepScope step(*this, owner);
    m_state->CurrentModeName = element;
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
    if (busy()) return;
    StepScope step(*this, kWindowOwner);
    m_state->clearSelection([this](std::int32_t o) { return heldByOther(o, kWindowOwner); });
    m_state->CurrentModeName.clear();
}

bool MatrixSession::saveMode() {
    if (busy()) return false;
    const ModeStore store(m_paths.modeFile());
    // A file that cannot be read stops the save before a name is asked.
    if (!guarded(kWindowOwner, [&] { store.listModes(); })) return false;
    // Asked before the step opens: the dialog runs an event loop of its own.
    if (m_state->CurrentModeName.empty()) {
        const std::string name = m_prompts->askModeName().value_or(std::string());
        if (busy()) return false;  // closed meanwhile
        m_state->CurrentModeName = name;
    }
    StepScope step(*this, kWindowOwner);
    bool saved = false;
    if (!m_state->CurrentModeName.empty()) {
        saved = guarded(kWindowOwner, [&] {
                    store.saveMode(m_state->CurrentModeName, m_state->selectedNodes());
                }).done();
    }
    m_paths.restoreCurrentDirectory();
    noteModeList();
    return saved;
}

bool MatrixSession::deleteMode(const std::string& modeName) {
    if (busy()) return false;
    const std::string element = modeElementName(modeName);
    StepScope step(*this, kWindowOwner);
    const bool deleted =
        guarded(kWindowOwner, [&] { ModeStore(m_paths.modeFile()).deleteMode(element); }).done();
    m_paths.restoreCurrentDirectory();
    if (deleted) {
        m_state->clearSelection([this](std::int32_t o) { return heldByOther(o, kWindowOwner); });
        m_state->CurrentModeName.clear();
    }
    noteModeList();
    return deleted;
}

Outcome MatrixSession::saveModeAs(const std::string& owner, const std::string& modeName,
                                  bool overwrite) {
    if (auto refused = busy()) return *refused;
    if (modeName.empty() || modeNameProblem(modeName)) return Outcome::refused(Refusal::BadName);
    const std::string element = modeElementName(modeName);
    const ModeStore store(m_paths.modeFile());
    StepScope step(*this, owner);
    bool exists = false;
    const Outcome outcome = guarded(owner, [&] {
        exists = store.readMode(element).found;
        if (!exists || overwrite) store.saveMode(element, m_state->selectedNodes());
    });
    m_paths.restoreCurrentDirectory();
    if (!outcome) return outcome;
    if (exists && !overwrite) return Outcome::refused(Refusal::Exists);
    m_state->CurrentModeName = element;
    m_step.entry.action = journal::kModeSave;
    m_step.entry.mode = modeName;
    noteModeList();
    return outcome;
}

Outcome MatrixSession::removeMode(const std::string& owner, const std::string& modeName) {
    if (auto refused = busy()) return *refused;
    const std::string element = modeElementName(modeName);
    StepScope step(*this, owner);
    bool deleted = false;
    const Outcome outcome =
        guarded(owner, [&] { deleted = ModeStore(m_paths.modeFile()).deleteMode(element); });
    m_paths.restoreCurrentDirectory();
    if (!outcome) return outcome;
    if (!deleted) return Outcome::refused(Refusal::NotFound);
    if (m_state->CurrentModeName == element) m_state->CurrentModeName.clear();
    m_step.entry.action = journal::kModeDelete;
    m_step.entry.mode = modeName;
    noteModeList();
    return outcome;
}

void MatrixSession::noteModeList() {
    ModeList list = readModes();
    if (list) m_step.change.modes = std::move(list.names);
}

// --- The configuration dialog -----------------------------------------------------------

void MatrixSession::setCircleTime(std::int32_t seconds) {
    if (busy()) return;
    StepScope step(*this, kWindowOwner);
    m_state->CircleTime = seconds;
}

void MatrixSession::setPattern(bool pattern) {
    if (busy()) return;
    StepScope step(*this, kWindowOwner);
    m_state->MatrixPattern = pattern;
}

namespace {

// The matrix a build of `settings` runs: active address, counts, pattern.
std::string matrixOf(const StartupSettings& s) {
    const std::int32_t address =
        s.MatrixCustomAddress != 1 ? s.MatrixCustomAddress : s.MatrixAddress;
    return std::to_string(address) + ' ' + std::to_string(clampPortCount(s.MatrixInputNum)) + ' ' +
           std::to_string(clampPortCount(s.MatrixOutputNum)) + (s.MatrixPattern ? " pattern" : "");
}

// A copy of `path` as path + ".bak", when it exists.
void keepCopy(const std::string& path) {
    std::error_code error;
    if (std::filesystem::exists(path, error))
        std::filesystem::copy_file(path, path + ".bak",
                                   std::filesystem::copy_options::overwrite_existing);
}

}  // namespace

bool MatrixSession::changesMatrix(const std::string& model) const {
    StartupSettings chosen = m_settings;
    readModelSettings(m_paths, model, chosen);
    m_paths.restoreCurrentDirectory();
    return matrixOf(chosen) != matrixOf(m_settings);
}

ApplyLoss MatrixSession::applyLoss(const ConfigChoice& choice) const {
    ApplyLoss loss;
    if (!m_state || !changesMatrix(choice.model)) return loss;
    loss.matrixChanges = true;
    for (const auto* names : {&m_state->InputNames(), &m_state->OutputNames()})
        loss.names += static_cast<int>(
            std::count_if(names->begin(), names->end(), [](const auto& n) { return !n.empty(); }));
    loss.modes = static_cast<int>(readModes().names.size());
    return loss;
}

bool MatrixSession::applyConfiguration(const ConfigChoice& choice) {
    if (m_closed) return false;
    // Decided before anything is written: the matrix the chosen model runs.
    const bool keep = m_state && !changesMatrix(choice.model);
    bool gridFreed = false;
    bool completed = false;
    guarded(kWindowOwner, [&] {
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
        for (const ServiceSection& section : choice.services)
            writeServiceSettings(m_paths, section);
        m_caption = windowCaption(choice.model);
        if (keep) {
            // The same matrix: names (saved for the rebuild to read), modes and
            // the line stay.
            completed = saveNames();
            return;
        }
        keepCopy(m_paths.modeFile());
        keepCopy(m_paths.editListFile());
        if (m_state) {
            m_state->MatrixInputEditEnable = false;
            m_state->MatrixOutputEditEnable = false;
        }
        erasePortNameFile(m_paths);
        m_paths.restoreCurrentDirectory();

        m_paths.ensureConfigDir();
        guarded(kWindowOwner, [this] { ModeStore(m_paths.modeFile()).removeAllModes(); });
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
