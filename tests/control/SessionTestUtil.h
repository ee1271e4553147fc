#pragma once

// Helpers of the session tests and of the window tests built on them: a
// temporary program folder whose COM1 is a pseudo-terminal, scripted answers
// to the session's questions, an observer that records what it is told, and a
// fixture that starts a MatrixSession whose sender is not started, so that the
// frames it queues stay in its command queue.

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/AppPaths.h"
#include "config/ConfigTestUtil.h"
#include "config/IniFile.h"
#include "control/ControlTestUtil.h"
#include "control/MatrixSession.h"
#include "control/SessionObserver.h"
#include "protocol/Frames.h"
#include "serial/UiPoster.h"
#include "support/TestPty.h"

namespace mc::test {

// A program folder with its configuration folder; COM1 is mapped to a
// pseudo-terminal, so no test ever opens a real device.
class ProgramFolder {
public:
    ProgramFolder() {
        paths.ensureConfigDir();
        setConfig("Serial Port Map", "COM1", pty.slavePath());
    }

    void setConfig(const std::string& section, const std::string& key, const std::string& value) {
        iniWriteString(paths.mainConfigFile(), section, key, value);
    }
    std::string config(const std::string& section, const std::string& key) const {
        return iniReadString(paths.mainConfigFile(), section, key, "<missing>");
    }
    std::string nameList(const std::string& section, const std::string& key) const {
        return iniReadString(paths.editListFile(), section, key, "<missing>");
    }
    // Makes `name` the model in use with these keys.
    void useModel(std::int32_t inputs, std::int32_t outputs, bool pattern = false,
                  std::int32_t address = 0x52, std::int32_t custom = 1,
                  const std::string& name = "TestMatrix") {
        setConfig("Matrix Manage Message", "MatrixNowUse", name);
        IniFile models(paths.modelConfigFile());
        models.writeInteger(name, "MatrixAddress", address);
        models.writeInteger(name, "MatrixCustomAddress", custom);
        models.writeInteger(name, "MatrixInputNum", inputs);
        models.writeInteger(name, "MatrixOutputNum", outputs);
        models.writeBool(name, "MatrixPattern", pattern);
        models.commit();
    }

    TempDir dir;
    AppPaths paths{dir.path()};
    Pty pty;
};

// Answers the session's questions from a script and records them.
class ScriptedPrompts final : public ISessionPrompts {
public:
    struct PortError {
        std::string text;
        std::string detail;
    };

    bool ignorePortError(const std::string& text, const std::string& detail) override {
        portErrors.push_back({text, detail});
        return answerIgnore;
    }
    void showError(const std::string& text) override {
        errors.push_back(text);
        if (onError) onError();
    }
    void showMessage(const std::string& text) override { messages.push_back(text); }
    std::optional<std::string> askModeName() override {
        ++nameAsks;
        if (modeNames.empty()) return std::nullopt;
        std::optional<std::string> answer = modeNames.front();
        modeNames.pop_front();
        return answer;
    }

    bool answerIgnore = true;  // the error box is closed with "&Ignore"
    // Runs while the error box is shown (what its event loop may bring).
    std::function<void()> onError;
    // Answers of the mode-name dialog, in order; none left: cancelled.
    std::deque<std::optional<std::string>> modeNames;

    std::vector<PortError> portErrors;
    std::vector<std::string> errors;
    std::vector<std::string> messages;
    int nameAsks = 0;
};

// Records the change events of the session: each one whole, and its parts
// added up.
class SessionEvents final : public ISessionObserver {
public:
    void sessionChanged(const SessionChange& change) override {
        changes.push_back(change);
        for (const RouteChange& route : change.routes)
            outputs.push_back(route.output);
        for (const NameChange& name : change.inputNames)
            inputNames.push_back(name.port);
        for (const NameChange& name : change.outputNames)
            outputNames.push_back(name.port);
        loads += change.loaded ? 1 : 0;
        if (change.presence) presences.push_back(*change.presence);
        layers += change.layer ? 1 : 0;
        portStates += change.port ? 1 : 0;
        notes += change.note ? 1 : 0;
        modeLists += change.modes ? 1 : 0;
        rebuilds += change.rebuilt ? 1 : 0;
    }

    std::vector<SessionChange> changes;
    std::vector<std::int32_t> outputs;
    std::vector<std::int32_t> inputNames;
    std::vector<std::int32_t> outputNames;
    int loads = 0;
    std::vector<PortState> presences;
    int layers = 0;
    int portStates = 0;
    int notes = 0;
    int modeLists = 0;
    int rebuilds = 0;
};

// A session on a program folder, its prompts scripted and its callbacks
// recorded; the sender is never started.
class SessionTest : public ::testing::Test, public ProgramFolder {
protected:
    MatrixSession& start() {
        SessionOptions options;
        options.startSender = false;
        session = std::make_unique<MatrixSession>(paths, poster, options);
        session->setPrompts(&prompts);
        session->attach(events);
        session->start();
        return *session;
    }
    std::vector<Bytes> frames() { return takeFrames(*session->commandQueue()); }
    const CrosspointState& state() const { return session->state(); }

    // Declared before the session, which uses them to its end.
    QueuedPoster poster;
    ScriptedPrompts prompts;
    SessionEvents events;
    std::unique_ptr<MatrixSession> session;
};

}  // namespace mc::test
