#pragma once

// Helpers of the control window's tests: a program folder whose COM1 is a
// pseudo-terminal, scripted dialogs that answer at once and record what they
// were asked, and a fixture that shows a TMatrixForm on a session whose
// sender is not started, so that the frames it queues stay in its queue.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <QTest>
#include <memory>
#include <vector>

#include "control/SessionTestUtil.h"
#include "support/FormControls.h"
#include "support/ScriptedDialogs.h"
#include "ui/QXRMainControl.h"

namespace mc::test {

class MatrixFormTest : public ::testing::Test, public ProgramFolder {
protected:
    ~MatrixFormTest() override {
        form.reset();
        session.reset();
    }

    // Builds and shows the window on a new session.
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

    // 64 × 64 with input 50 "Camera 5" and output 40 "Monitor 2", shown as
    // the active window (whose shortcuts work).
    void openNamedModel() {
        useModel(64, 64);
        setConfig("Matrix Manage Message", "MatrixInputEditEnable", "1");
        setConfig("Matrix Manage Message", "MatrixOutputEditEnable", "1");
        iniWriteString(paths.editListFile(), "MatrixInputStringList", "InputString49", "Camera 5");
        iniWriteString(paths.editListFile(), "MatrixOutputStringList", "OutputString39",
                       "Monitor 2");
        open();
        QApplication::setActiveWindow(form.get());
        frames();
    }

    std::vector<Bytes> frames() { return takeFrames(*session->commandQueue()); }
    QCheckBox* box(std::size_t r, std::size_t c) { return gridBox(*form, r, c); }
    QPushButton* button(const char* name) {
        return child<QPushButton>(*form, QString::fromLatin1(name));
    }
    QRadioButton* radio(const char* name) {
        return child<QRadioButton>(*form, QString::fromLatin1(name));
    }
    QComboBox* modeBox() { return child<QComboBox>(*form, QStringLiteral("MatrixModeComboBox")); }
    void click(QWidget* widget) {
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(6, widget->height() / 2));
    }
    // Every box is shown exactly when the window's page shows it, and ticked
    // exactly when the cell it shows is selected.
    void expectTicksMatchState() {
        const CrosspointState& state = session->state();
        const GridPage& page = form->gridPage();
        for (std::int32_t r = 0; r < page.visibleRows(); ++r) {
            for (std::int32_t c = 0; c <= page.visibleColumns(); ++c) {
                const std::optional<GridCell> cell = page.cellAt(r, c);
                QCheckBox* shown = box(static_cast<std::size_t>(r), static_cast<std::size_t>(c));
                ASSERT_NE(shown, nullptr);
                ASSERT_EQ(shown->isVisibleTo(form.get()), cell.has_value()) << r << "," << c;
                if (!cell) continue;
                EXPECT_EQ(shown->isChecked(), state.selected(cell->output, cell->cell))
                    << r << "," << c;
            }
        }
    }

    // Declared before the session and the window, which use them to their end.
    ScriptedDialogs dialogs;
    QueuedPoster poster;
    std::unique_ptr<MatrixSession> session;
    std::unique_ptr<TMatrixForm> form;
};

}  // namespace mc::test
