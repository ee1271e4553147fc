#pragma once

// Helpers of the configuration dialog's window tests: scripted dialogs that
// record what would have been shown, a pseudo-terminal standing in for a
// serial device, and a fixture with a program folder, a control window and the
// dialog.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/AppPaths.h"
#include "config/ConfigTestUtil.h"
#include "config/MatrixConfigUnit.h"
#include "control/Dialogs.h"
#include "control/QXRMainControl.h"

namespace mc::test {

// Answers every dialog at once and records what it was asked to show.
class FakeDialogs final : public IDialogs {
public:
    struct Shown {
        QString text;
        QString detail;
    };

    bool ignoreError(QWidget*, const QString& text, const QString& detail) override {
        ignoreErrors.push_back({text, detail});
        return answerIgnore;
    }
    void showMessage(QWidget*, const QString& text) override { messages.push_back(text); }
    void showError(QWidget*, const QString& text) override { errors.push_back(text); }
    std::optional<QString> openFileName(QWidget*, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> saveFileName(QWidget*, const QString&, const QString&,
                                        const QString&) override {
        return std::nullopt;
    }
    int exec(QDialog& dialog) override {
        ++execs;
        if (!onExec) return QDialog::Rejected;
        return onExec(dialog);
    }

    bool answerIgnore = true;  // the error box is closed with "&Ignore"
    std::function<int(QDialog&)> onExec;
    std::vector<Shown> ignoreErrors;
    std::vector<QString> messages;
    std::vector<QString> errors;
    int execs = 0;
};

// A pseudo-terminal whose slave side a port name can be mapped to.
class Pty {
public:
    Pty() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0 || ::grantpt(m_master) < 0 || ::unlockpt(m_master) < 0) {
            ADD_FAILURE() << "posix_openpt failed";
            return;
        }
        char name[128] = {};
        if (::ptsname_r(m_master, name, sizeof name) != 0) ADD_FAILURE() << "ptsname_r failed";
        m_slavePath = name;
        // Held open so that the port's own opens and closes are no hang-up.
        m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    }
    ~Pty() {
        if (m_slave >= 0) ::close(m_slave);
        if (m_master >= 0) ::close(m_master);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const std::string& slavePath() const { return m_slavePath; }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

// A program folder whose MatrixConfig.con maps COM1 and COM2 to
// pseudo-terminals and COM3 to a device that does not exist; the control
// window (sender not started) and the dialog are made by start().
class ConfigFormTest : public ::testing::Test {
protected:
    ConfigFormTest() : paths(dir.path()) { paths.ensureConfigDir(); }
    ~ConfigFormTest() override {
        form.reset();
        window.reset();
    }

    // The lines of MatrixConfig.con besides the port map.
    void writeMain(const std::string& text) {
        writeBytes(paths.mainConfigFile(), text + "[Serial Port Map]\nCOM1=" + com1.slavePath() +
                                               "\nCOM2=" + com2.slavePath() +
                                               "\nCOM3=/nonexistent/ttyCFG\n");
    }
    void writeModels(const std::string& text) { writeBytes(paths.modelConfigFile(), text); }

    void start() {
        MatrixFormOptions options;
        options.startSender = false;
        window = std::make_unique<TMatrixForm>(paths, dialogs, options);
        form = std::make_unique<TConfigForm>(*window);
    }
    // Opens the dialog as the control window's menu does, leaving it open.
    void open() {
        window->setConfigForm(form.get());
        dialogs.onExec = [](QDialog& dialog) {
            dialog.show();
            return QDialog::Accepted;
        };
        window->ConfigMenuItemClick();
    }

    std::string mainText() const { return readBytes(paths.mainConfigFile()).value_or("<none>"); }
    std::string modelText() const { return readBytes(paths.modelConfigFile()).value_or("<none>"); }

    TempDir dir;
    AppPaths paths;
    Pty com1;
    Pty com2;
    FakeDialogs dialogs;
    std::unique_ptr<TMatrixForm> window;
    std::unique_ptr<TConfigForm> form;
};

}  // namespace mc::test
