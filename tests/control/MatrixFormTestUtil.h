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
#include "control/MatrixSession.h"
#include "serial/UiPoster.h"
#include "support/FormControls.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPty.h"
#include "ui/Dialogs.h"
#include "ui/QXRMainControl.h"

namespace mc::test {

class MatrixFormTest : public ::testing::Test {
protected:
    MatrixFormTest() {
        paths.ensureConfigDir();
        // COM1 is the pseudo-terminal: no test ever opens a real device.
        setConfig("Serial Port Map", "COM1", pty.slavePath());
    }
    ~MatrixFormTest() override {
        form.reset();
        session.reset();
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

    // Builds and shows the window on a session whose sender is not started,
    // so its frames stay queued.
    TMatrixForm& open(bool startSender = false) {
        form.reset();
        session.reset();
        SessionOptions options;
        options.startSender = startSender;
        session = std::make_unique<MatrixSession>(paths, poster, options);
        form = std::make_unique<TMatrixForm>(*session, dialogs);
        form->show();
        return *form;
    }

    std::vector<Bytes> frames() { return takeFrames(*session->commandQueue()); }
    QCheckBox* box(std::size_t r, std::size_t c) {
        return form->findChild<QCheckBox*>(QStringLiteral("GridBox%1_%2").arg(r).arg(c));
    }
    template <typename Widget = QWidget>
    Widget* control(const QString& name) {
        return child<Widget>(*form, name);
    }
    void click(QWidget* widget) {
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(6, widget->height() / 2));
    }
    // Every visible box is ticked exactly when the cell it shows is selected.
    void expectTicksMatchState() {
        const CrosspointState& state = session->state();
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
    Pty pty;
    ScriptedDialogs dialogs;
    QueuedPoster poster;
    std::unique_ptr<MatrixSession> session;
    std::unique_ptr<TMatrixForm> form;
};

}  // namespace mc::test
