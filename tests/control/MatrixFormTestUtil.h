#pragma once

// Helpers of the control window's tests: a temporary program folder with its
// configuration files, scripted dialogs that answer at once and record what
// they were asked, a pseudo-terminal that COM1 is mapped to, and a fixture
// that builds a TMatrixForm whose sender is not started, so that the frames
// the window queues stay in its CommandQueue.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QCheckBox>
#include <QDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <QTest>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/AppPaths.h"
#include "config/IniFile.h"
#include "control/ControlTestUtil.h"
#include "control/Dialogs.h"
#include "control/QXRMainControl.h"
#include "serial/UiPoster.h"

namespace mc::test {

// Answers every dialog from a script and records what it was asked to show.
class ScriptedDialogs final : public IDialogs {
public:
    struct Shown {
        QString text;
        QString detail;
    };
    struct FileAsk {
        QString directory;
        QString filter;
        QString suffix;
    };

    bool ignoreError(QWidget*, const QString& text, const QString& detail) override {
        ignoreErrors.push_back({text, detail});
        return true;
    }
    void showMessage(QWidget*, const QString& text) override { messages.push_back(text); }
    void showError(QWidget*, const QString& text) override { errors.push_back(text); }
    std::optional<QString> openFileName(QWidget*, const QString& directory,
                                        const QString& filter) override {
        opens.push_back({directory, filter, {}});
        return next(openAnswers);
    }
    std::optional<QString> saveFileName(QWidget*, const QString& directory, const QString& filter,
                                        const QString& suffix) override {
        saves.push_back({directory, filter, suffix});
        return next(saveAnswers);
    }
    int exec(QDialog& dialog) override {
        ++execs;
        return onExec ? onExec(dialog) : QDialog::Rejected;
    }

    // Answers of the file dialogs, in order; nullopt (or none left): cancelled.
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::function<int(QDialog&)> onExec;

    std::vector<Shown> ignoreErrors;
    std::vector<QString> messages;
    std::vector<QString> errors;
    std::vector<FileAsk> opens;
    std::vector<FileAsk> saves;
    int execs = 0;

private:
    static std::optional<QString> next(std::deque<std::optional<QString>>& answers) {
        if (answers.empty()) return std::nullopt;
        const bool given = answers.front().has_value();
        const QString answer = given ? *answers.front() : QString();
        answers.pop_front();
        if (!given) return std::nullopt;
        return answer;
    }
};

// A pseudo-terminal standing in for the serial device.
class FormPty {
public:
    FormPty() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        char name[128] = {};
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
            ::ptsname_r(m_master, name, sizeof name) != 0) {
            ADD_FAILURE() << "no pseudo-terminal";
            return;
        }
        m_slavePath = name;
        // Held open so that the port's own opens and closes are no hang-up.
        m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    }
    ~FormPty() {
        if (m_slave >= 0) ::close(m_slave);
        if (m_master >= 0) ::close(m_master);
    }
    FormPty(const FormPty&) = delete;
    FormPty& operator=(const FormPty&) = delete;

    const std::string& slavePath() const { return m_slavePath; }
    int master() const { return m_master; }
    // The device goes away: the port sees a hang-up.
    void closeMaster() {
        if (m_master >= 0) ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

class MatrixFormTest : public ::testing::Test {
protected:
    MatrixFormTest() {
        paths.ensureConfigDir();
        // COM1 is the pseudo-terminal: no test ever opens a real device.
        setConfig("Serial Port Map", "COM1", pty.slavePath());
    }
    ~MatrixFormTest() override {
        form.reset();
        std::error_code ignored;
        std::filesystem::remove_all(programDir, ignored);
    }

    void setConfig(const std::string& section, const std::string& key, const std::string& value) {
        iniWriteString(paths.mainConfigFile(), section, key, value);
    }
    std::string config(const std::string& section, const std::string& key) {
        return iniReadString(paths.mainConfigFile(), section, key, "<missing>");
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

    // Builds and shows the window; its frames stay queued.
    TMatrixForm& open() {
        MatrixFormOptions options;
        options.poster = &poster;
        options.startSender = false;
        form = std::make_unique<TMatrixForm>(paths, dialogs, options);
        form->show();
        return *form;
    }

    std::vector<Bytes> frames() { return takeFrames(*form->CommandQueue); }
    QCheckBox* box(std::size_t r, std::size_t c) { return form->GridBoxes.at(r).at(c); }
    void click(QWidget* widget) {
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(6, widget->height() / 2));
    }
    // Every visible box is ticked exactly when the cell it shows is selected.
    void expectTicksMatchState() {
        const CrosspointState& state = form->state();
        for (std::int32_t r = 0; r < state.visibleRows(); ++r) {
            for (std::int32_t c = 0; c <= state.visibleColumns(); ++c) {
                const BoxView view = state.box(r, c);
                QCheckBox* shown = box(static_cast<std::size_t>(r), static_cast<std::size_t>(c));
                ASSERT_EQ(shown->isVisibleTo(form.get()), view.visible) << r << "," << c;
                if (!view.visible) continue;
                const std::int32_t o = state.RowOffset() + r;
                const std::int32_t k =
                    c == state.closeColumn() ? state.MatrixInputNum() : state.ColumnOffset() + c;
                EXPECT_EQ(shown->isChecked(), state.selected(o, k)) << r << "," << c;
            }
        }
    }

    static std::string makeProgramDir() {
        char pattern[] = "/tmp/mc-form-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        if (made == nullptr) ADD_FAILURE() << "mkdtemp failed";
        return made != nullptr ? made : "/tmp/mc-form-failed";
    }

    std::string programDir = makeProgramDir();
    AppPaths paths{programDir};
    FormPty pty;
    ScriptedDialogs dialogs;
    QueuedPoster poster;
    std::unique_ptr<TMatrixForm> form;
};

}  // namespace mc::test
