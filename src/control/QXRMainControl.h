#pragma once

// TMatrixForm, the control window: the crosspoint grid with its paging
// buttons, the switching-layer radio buttons and the matrix-mode combo box on
// the tool bar, the menus, the status bar, and the program-wide objects that
// carry frames to the switcher: the serial port component Comm1, the command
// queue and the sender thread.
//
// The window is a translator. Every handler turns one widget event into one
// call of the crosspoint state (control/CrosspointState.h) or of a store, then
// sets the affected widgets from the state's views: ticks with the box's
// signals blocked, name texts with the field's change handling suspended. The
// window never builds frame bytes, never parses a file and never decides a
// switching rule.
//
// Life cycle: the constructor runs FormCreate (read the configuration, open
// the port, create the queue and start the sender, size the state, create the
// grid, queue the start-up frames, preselect the layer). Showing the window
// runs FormShow (layout, fixed size, mode list). Closing it (close box, the
// Exit item, a termination signal, the end of the session) runs FormClose
// once (save the name switches and names, stop the sender, drop the queue,
// close the port, free the grid). The configuration dialog rebuilds it with
// MatrixFree followed by RedrawMatrixForm(true).
//
// Threads: everything here runs on the user-interface thread. Comm1 and the
// sender report through the poster (MatrixFormOptions::poster, or the
// window's own QtUiPoster), so their notifications also run here.
//
// Exceptions: a handler never lets an exception reach Qt's event loop; an
// error that ends an operation (a file that cannot be written, a malformed
// mode file) is shown with IDialogs::showError.

#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/AppPaths.h"
#include "control/CrosspointState.h"
#include "protocol/BytePort.h"
#include "protocol/MatrixComm.h"
#include "protocol/QXRClass.h"
#include "protocol/SenderClock.h"
#include "serial/SerialComm.h"
#include "serial/UiPoster.h"

class QAction;
class QCheckBox;
class QCloseEvent;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QShowEvent;
class QToolBar;
class QWidget;

namespace mc {

class IDialogs;
class PortStatusField;
class QtUiPoster;
class TModeNameForm;

// What tests change about the window's own objects. The program uses the
// defaults.
struct MatrixFormOptions {
    // Runs the notifications of Comm1 and of the sender. Null: the window's
    // own QtUiPoster (the Qt event loop). Must outlive the window.
    IUiPoster* poster = nullptr;
    // The port the sender writes to. Null: Comm1. Must outlive the window.
    IBytePort* senderPort = nullptr;
    // The sender's clock. Null: the steady clock. Must outlive the window.
    ISenderClock* senderClock = nullptr;
    // False: the sender thread is created but never started, so the frames
    // the window queues stay in CommandQueue for inspection.
    bool startSender = true;
};

class TMatrixForm : public QMainWindow {
    Q_OBJECT

    // Declared first: Comm1 posts through it, so it must be built before and
    // destroyed after Comm1.
    std::unique_ptr<QtUiPoster> m_ownPoster;
    IUiPoster& m_poster;

public:
    // Builds the whole window (FormCreate). The port-open error box, if any,
    // is shown from here through `dialogs`. REQUIRES: a QApplication exists;
    // `dialogs` outlives the window.
    TMatrixForm(AppPaths paths, IDialogs& dialogs, MatrixFormOptions options = {},
                QWidget* parent = nullptr);
    // Stops the sender and closes the port if FormClose has not run; saves
    // nothing.
    ~TMatrixForm() override;

    // --- The other windows (not owned; each must outlive the window or be
    // set back to null before it goes). Null: the menu item does nothing.
    void setConfigForm(QDialog* form) { m_configForm = form; }
    void setAboutBox(QDialog* box) { m_aboutBox = box; }
    void setModeNameForm(TModeNameForm* form) { m_modeNameForm = form; }

    // --- Life cycle -----------------------------------------------------------
    // Builds everything from the configuration files (see the file comment).
    // Called by the constructor and by RedrawMatrixForm.
    void FormCreate();
    // Lays the grid out, fixes the window size, sets the paging buttons and
    // refills the mode list. Runs when the window is shown and from
    // RedrawMatrixForm.
    void FormShow();
    // Saves the name switches and the names, stops the sender, drops the queue
    // with any frames still waiting, closes the port and frees the grid. Runs
    // once: later calls do nothing. A save error is shown and the close goes on.
    void FormClose();
    // Rebuilds the window from the configuration files after a configuration
    // change: stops the sender, drops the queue and the state, runs FormCreate
    // and FormShow. Does nothing when Redraw is false. The caller has called
    // MatrixFree first; if it has not, RedrawMatrixForm does.
    void RedrawMatrixForm(bool Redraw);
    // Closes the port (Comm1.ClosePort) and frees the grid's controls. The
    // crosspoint state stays readable and writable until the rebuild replaces
    // it, so the configuration dialog may still set its fields.
    void MatrixFree();

    // --- Menu commands ----------------------------------------------------------
    void ExitItemClick();
    void ConfigMenuItemClick();
    void AboutMenuItemClick();
    void ReadItemClick();
    void SaveMatrixStatusItemClick();
    void NewMatrixModeNClick();
    void SaveMatrixModeNClick();
    void DeleteMatrixModeNClick();

    // --- Tool bar ---------------------------------------------------------------
    void VideoRadioButtonClick();
    void AudioRadioButtonClick();
    void VideoAndAudioRadioButtonClick();
    // The operator picked item `index` of MatrixModeComboBox (-1: none).
    void MatrixModeComboBoxChange(int index);

    // --- Grid ---------------------------------------------------------------------
    // The operator clicked GridBoxes[screenRow][screenColumn]; its tick is
    // already the new one.
    void CheckBoxClick(std::int32_t screenRow, std::int32_t screenColumn);
    void UpBitBtnClick();
    void DownBitBtnClick();
    void LeftBitBtnClick();
    void RightBitBtnClick();
    // The text of input name field `column` / output name field `row` changed.
    void InputStringEditChange(std::int32_t column);
    void OutputStringEditChange(std::int32_t row);
    // Receive handler of Comm1: whatever the switcher sends is discarded.
    void Comm1ReceiveData(TComm& Sender, const std::uint8_t* Buffer, std::uint16_t BufferLength);

    // --- For the other windows and for tests ---------------------------------------
    const AppPaths& paths() const { return m_paths; }
    IDialogs& dialogs() const { return m_dialogs; }
    // True from FormCreate until the rebuild or the close drops the state.
    bool hasState() const { return static_cast<bool>(m_state); }
    // REQUIRES: hasState().
    CrosspointState& state() { return *m_state; }
    const CrosspointState& state() const { return *m_state; }
    // True once FormClose has run.
    bool closed() const { return m_closed; }
    // Re-derives every grid control (boxes, labels, name fields, paging
    // buttons) from the state. Used after operations that change the state
    // as a whole.
    void refreshGrid();
    // The text of the permanent port field at the right of the status bar.
    QString portStatusText() const;
    // The latest note of the window in the status bar (count clamping,
    // skipped nodes); empty when there is none.
    QString statusNote() const;

    // The serial port component. The configuration dialog sets its port name
    // and speed and opens and closes it; the window opens it in FormCreate.
    TComm Comm1;

    // --- Controls (owned by Qt's parent chain; null before FormCreate and,
    // for the grid, after MatrixFree) ---
    QToolBar* MatrixToolBar = nullptr;
    QRadioButton* VideoRadioButton = nullptr;
    QRadioButton* AudioRadioButton = nullptr;
    QRadioButton* VideoAndAudioRadioButton = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* MatrixModeComboBox = nullptr;
    QGroupBox* GroupBox = nullptr;
    QGroupBox* InputGroupBox = nullptr;
    QLabel* InputStaticText = nullptr;
    QPushButton* LeftBitBtn = nullptr;
    QPushButton* RightBitBtn = nullptr;
    QPushButton* UpBitBtn = nullptr;
    QPushButton* DownBitBtn = nullptr;
    // Screen row × (visible columns + 1); the last column holds the close boxes.
    std::vector<std::vector<QCheckBox*>> GridBoxes;
    std::vector<QLabel*> ColumnLabels;        // visible columns + 1
    std::vector<QLineEdit*> InputNameEdits;   // visible columns
    std::vector<QLineEdit*> OutputNameEdits;  // visible rows

    // Menus and items.
    QMenu* FileSubMenu = nullptr;
    QAction* ReadItem = nullptr;
    QAction* SaveMatrixStatusItem = nullptr;
    QAction* ExitItem = nullptr;
    QMenu* ConfigMenu = nullptr;
    QAction* ConfigMenuItem = nullptr;
    QMenu* MatrixModeN = nullptr;
    QAction* NewMatrixModeN = nullptr;
    QAction* SaveMatrixModeN = nullptr;
    QAction* DeleteMatrixModeN = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* AboutMenuItem = nullptr;

    // The program-wide objects of one build: created by FormCreate, dropped by
    // RedrawMatrixForm and FormClose (thread first, then state, then queue).
    std::unique_ptr<mc::CommandQueue> CommandQueue;
    std::unique_ptr<TMatrixCommDataThread> SenderThread;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // QXRMainControl.cpp
    void openPort();
    void startSender();
    void stopSender();

    // MatrixFormMenus.cpp: menus, tool bar, group boxes, paging buttons.
    void createMenus();
    void createToolBar();
    void createFrame();

    // MatrixFormGrid.cpp
    void createGrid();
    void freeGrid();
    void applyBox(std::int32_t r, std::int32_t c);
    void applyRow(std::int32_t r);
    void applyColumnHints(std::int32_t c);
    void applyLabels();
    void applyNameFields();
    void applyPagingButtons();

    // MatrixFormLayout.cpp
    void layoutGrid();

    // MatrixFormStore.cpp
    void preselectLayer(std::int32_t videoOrAudio);
    void layerClicked(QRadioButton* button, std::int32_t layer);
    void reloadModeList();
    void setNote(const QString& note);

    // Runs `operation`; an exception it throws is shown with showError.
    template <typename Operation>
    void guarded(Operation&& operation);

    AppPaths m_paths;
    IDialogs& m_dialogs;
    MatrixFormOptions m_options;
    QDialog* m_configForm = nullptr;
    QDialog* m_aboutBox = nullptr;
    TModeNameForm* m_modeNameForm = nullptr;
    PortStatusField* m_portField = nullptr;
    QLabel* m_noteField = nullptr;
    std::unique_ptr<CrosspointState> m_state;  // uses *CommandQueue: dropped before it
    bool m_closed = false;
    bool m_shownOnce = false;
};

}  // namespace mc
