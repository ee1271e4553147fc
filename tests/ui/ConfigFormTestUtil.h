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
#include "control/MatrixSession.h"
#include "remote/RouterService.h"
#include "serial/UiPoster.h"
#include "support/FormControls.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPty.h"
#include "swp08/Swp08Service.h"
#include "ui/Dialogs.h"
#include "ui/MatrixConfigUnit.h"
#include "ui/QXRMainControl.h"
#include "web/WebService.h"

namespace mc::test {

// A program folder whose MatrixConfig.con maps COM1 and COM2 to
// pseudo-terminals and COM3 to a device that does not exist; the control
// window (sender not started) and the dialog, with the program's service
// pages, are made by start().
class ConfigFormTest : public ::testing::Test {
protected:
    ConfigFormTest() : paths(dir.path()) { paths.ensureConfigDir(); }
    ~ConfigFormTest() override {
        form.reset();
        window.reset();
        session.reset();
    }

    // The lines of MatrixConfig.con besides the port map.
    void writeMain(const std::string& text) {
        writeBytes(paths.mainConfigFile(), text + "[Serial Port Map]\nCOM1=" + com1.slavePath() +
                                               "\nCOM2=" + com2.slavePath() +
                                               "\nCOM3=/nonexistent/ttyCFG\n");
    }
    void writeModels(const std::string& text) { writeBytes(paths.modelConfigFile(), text); }

    void start() {
        SessionOptions options;
        options.startSender = false;
        options.deviceRoots = deviceRoots;
        session = std::make_unique<MatrixSession>(paths, poster, options);
        window = std::make_unique<TMatrixForm>(*session, dialogs);
        form = std::make_unique<TConfigForm>(*session, dialogs, window.get());
        form->setServicePages(servicePages);
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
    // The dialog lists devices from this fake tree, never the machine's /dev.
    DeviceRoots deviceRoots{dir.path() + "/dev", dir.path() + "/dev/serial/by-id",
                            dir.path() + "/sys/class/tty"};
    // The pages the dialog gets: the program's network services'.
    std::vector<ServiceSettingsPage> servicePages{
        remote::routerSettingsPage(), web::webSettingsPage(), swp08::swp08SettingsPage()};
    ScriptedDialogs dialogs;
    QueuedPoster poster;
    std::unique_ptr<MatrixSession> session;
    std::unique_ptr<TMatrixForm> window;
    std::unique_ptr<TConfigForm> form;
};

}  // namespace mc::test
