#pragma once

// TMatrixForm, the control window: the crosspoint grid with its paging
// buttons and page labels, the switching-layer radio buttons, the matrix-mode
// combo box, the X-Y field and the take buttons on the tool bar, the finder
// of ports, the menus and the status bar. It shows a MatrixSession and hands
// it the operator's actions.
//
// The window is a translator. Every handler turns one widget event into one
// call of the session; the change event each session step ends with brings
// the affected widgets in line with the state's views: ticks with the box's
// signals blocked, name texts with the field's signals blocked. The window
// owns no port, queue, sender or state, never builds frame bytes, never parses
// a file and never decides a switching rule. It answers the session's
// questions (the port-open error, the mode name, errors and messages) through
// the dialog seam IDialogs.
//
// Life cycle: the constructor attaches the window to the session and runs
// FormCreate, which starts the session when it has not started yet. Showing
// the window runs FormShow (layout, fixed size, mode list). Closing it (close
// box, the Exit item, a termination signal, the end of the session) runs
// FormClose once, which closes the session. A rebuild of the session (the
// configuration dialog's Apply) makes the grid again.
//
// Threads: everything here runs on the user-interface thread.

#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/GridPage.h"
#include "control/MatrixSession.h"
#include "control/SessionObserver.h"
#include "ui/PortFinder.h"

class QAction;
class QCheckBox;
class QCloseEvent;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPoint;
class QPushButton;
class QRadioButton;
class QShowEvent;
class QTimer;
class QToolBar;
class QWidget;

namespace mc {

class ElidedLabel;
class IDialogs;
class JournalDialog;
class PortStatusField;
class TModeNameForm;

class TMatrixForm : public QMainWindow, private ISessionObserver, private ISessionPrompts {
    Q_OBJECT

public:
    // Builds the whole window (FormCreate). The port-open error box, if any,
    // is shown from here through `dialogs`. REQUIRES: a QApplication exists;
    // `session` and `dialogs` outlive the window.
    TMatrixForm(MatrixSession& session, IDialogs& dialogs, QWidget* parent = nullptr);
    ~TMatrixForm() override;

    // --- The other windows (not owned; each must outlive the window or be
    // set back to null before it goes). Null: the menu item does nothing.
    void setConfigForm(QDialog* form) { m_configForm = form; }
    void setAboutBox(QDialog* box) { m_aboutBox = box; }
    void setModeNameForm(TModeNameForm* form) { m_modeNameForm = form; }

    // --- Life cycle -----------------------------------------------------------
    // Starts the session (when it has not started) and builds the grid.
    void FormCreate();
    // Lays the grid out, fixes the window size, sets the paging buttons and
    // refills the mode list. Runs when the window is shown and after a rebuild.
    void FormShow();
    // Closes the session (names saved, sender stopped, port closed) and frees
    // the grid. Runs once: later calls do nothing.
    void FormClose();
    // Rebuilds the session from the configuration files. Does nothing when
    // Redraw is false.
    void RedrawMatrixForm(bool Redraw);
    // Frees the grid's controls.
    void MatrixFree();

    // --- Menu commands ----------------------------------------------------------
    void ExitItemClick();
    void ConfigMenuItemClick();
    void AboutMenuItemClick();
    void ReadItemClick();
    void SaveMatrixStatusItemClick();
    // "重新发送当前状态": the session sends the current state to the switcher
    // again (MatrixSession::resendCurrentState).
    void ResendStateItemClick();
    // "操作记录": the journal's newest steps in JournalDialog, run through
    // IDialogs::exec.
    void JournalItemClick();
    // "撤销" / "重做": the session takes the operator's last routing step back
    // or does it again (MatrixSession::undo, redo).
    void UndoItemClick();
    void RedoItemClick();
    void NewMatrixModeNClick();
    void SaveMatrixModeNClick();
    void DeleteMatrixModeNClick();

    // --- Tool bar ---------------------------------------------------------------
    void VideoRadioButtonClick();
    void AudioRadioButtonClick();
    void VideoAndAudioRadioButtonClick();
    // The operator picked item `index` of MatrixModeComboBox (-1: none).
    void MatrixModeComboBoxChange(int index);
    // Take mode on or off, the staged changes sent, or dropped
    // (MatrixSession::setTakeMode, take, clearStaged).
    void TakeModeButtonClick();
    void TakeButtonClick();
    void ClearButtonClick();
    // The take buttons and the staged boxes as the session has them.
    void applyTakeState();
    // The X-Y field "快速切换": "40 50" or "40.50" routes output 40 to input 50
    // (staged in take mode) when Return is pressed; the names of both show
    // beside the field while the operator types; Esc empties it.
    void QuickSwitchEditChange();
    void QuickSwitchEditReturn();

    // --- Finding a port (MatrixFormFind.cpp) -------------------------------------
    // "查找端口": the finder opens with the keyboard focus in its field.
    void FindPortItemClick();
    // The grid pages to the port chosen in the finder and marks its row (an
    // output) or column (an input) for kPortMarkTime.
    void FoundPortChosen(const PortMatch& match);
    static constexpr int kPortMarkTime = 4000;  // milliseconds
    // The marked output / input; -1 when none is marked.
    std::int32_t markedOutput() const { return m_markedOutput; }
    std::int32_t markedInput() const { return m_markedInput; }

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
    // The context menu of output name field `row`: lock, unlock, force-unlock.
    void OutputLockMenu(std::int32_t row, const QPoint& globalPosition);

    // --- For the other windows and for tests ---------------------------------------
    MatrixSession& session() const { return m_session; }
    IDialogs& dialogs() const { return m_dialogs; }
    // True once FormClose has run.
    bool closed() const { return m_closed; }
    // Re-derives every grid control (boxes, labels, name fields, paging
    // buttons) from the state.
    void refreshGrid();
    // The page of the grid on screen. REQUIRES: session().hasState().
    const GridPage& gridPage() const { return *m_page; }
    // The text of the permanent port field at the right of the status bar.
    QString portStatusText() const;
    // The latest note of the window in the status bar (count clamping,
    // skipped nodes, refused clicks); empty when there is none.
    QString statusNote() const;
    // Shows `text` as the network service `id`'s part of the status bar's
    // note field (why it did not start); "" removes it.
    void setServiceNote(const QString& id, const QString& text);
    // Shows `text` in the service's permanent field of the status bar
    // ("<id>StatusField": whether it listens, and its clients); "" hides the
    // field. The fields stand in the order the services first show one,
    // before the port's.
    void showServiceStatus(const QString& id, const QString& text);
    QString serviceStatusText(const QString& id) const;

protected:
    void showEvent(QShowEvent* event) override;
    // The X-Y field keeps Return and Esc from the window's shortcuts while it
    // holds text; a name field that loses the focus shows the start of its
    // name again.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The hints of the controls under the mouse go to the status bar's hint
    // field, which shortens them at a word and keeps the whole in its tooltip.
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // ISessionObserver: each part of the change brings its views in line.
    void sessionChanged(const SessionChange& change) override;
    void outputChanged(std::int32_t output);
    void firstPageShown();
    void inputNameChanged(std::int32_t input, const std::string& text);
    void outputNameChanged(std::int32_t output, const std::string& text);
    void lockChanged(std::int32_t output);
    void layerChanged(const LayerView& view);
    void noteChanged();
    void rebuilt();
    // Undo and redo enabled as the session can.
    void applyEditItems();
    // ISessionPrompts
    bool ignorePortError(const std::string& text, const std::string& detail) override;
    void showError(const std::string& text) override;
    void showMessage(const std::string& text) override;
    std::optional<std::string> askModeName() override;

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
    // The screen row that shows output o, or -1.
    std::int32_t screenRowOf(std::int32_t output) const;
    // The page of the grid this window shows; null while there is no state.
    std::unique_ptr<GridPage> m_page;

    // MatrixFormLayout.cpp
    void layoutGrid();

    // MatrixFormRoutes.cpp: what each output on the page carries.
    void createRouteLabels();
    void freeRouteLabels();
    void applyRouteLabels();
    void applyRouteLabel(std::int32_t row);
    void applyRouteLabelOf(std::int32_t output);
    // The caption and the port field as the device's presence is: "（串口断开）"
    // and red while the port is lost.
    void applyPresence();

    // MatrixFormKeys.cpp: the Edit menu's take items as the session has them.
    void applyTakeKeys();

    // MatrixFormFind.cpp: the finder, the marks and the page labels.
    void createFinder();
    void applyMarks();
    void applyPageLabels();
    void clearMarks();
    PortFinder* m_finder = nullptr;
    QTimer* m_markTimer = nullptr;
    std::int32_t m_markedOutput = -1;
    std::int32_t m_markedInput = -1;

    // MatrixFormStore.cpp
    void layerClicked(QRadioButton* button, std::int32_t layer);
    // The mode list read anew from the file; the list a change carries.
    void reloadModeList();
    void modeListChanged(const std::vector<std::string>& modes);
    void showNotes();

    MatrixSession& m_session;
    IDialogs& m_dialogs;
    QDialog* m_configForm = nullptr;
    QDialog* m_aboutBox = nullptr;
    // The journal dialog while JournalItemClick shows it.
    JournalDialog* m_journalDialog = nullptr;
    TModeNameForm* m_modeNameForm = nullptr;
    PortStatusField* m_portField = nullptr;
    ElidedLabel* m_hintField = nullptr;
    ElidedLabel* m_noteField = nullptr;
    struct ServiceField {
        QString id;
        ElidedLabel* field = nullptr;
        QString note;
    };
    ServiceField& serviceField(const QString& id);
    std::vector<ServiceField> m_serviceFields;
    bool m_closed = false;
    bool m_shownOnce = false;

    // --- Controls (owned by Qt's parent chain; null before FormCreate and,
    // for the grid, after MatrixFree). Tests find them by object name.
    QToolBar* MatrixToolBar = nullptr;
    QRadioButton* VideoRadioButton = nullptr;
    QRadioButton* AudioRadioButton = nullptr;
    QRadioButton* VideoAndAudioRadioButton = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* MatrixModeComboBox = nullptr;
    QPushButton* TakeModeButton = nullptr;
    QPushButton* TakeButton = nullptr;
    QPushButton* ClearButton = nullptr;
    // The tool bar's X-Y field and take items; they never make the window
    // wider.
    std::vector<QAction*> m_takeItems;
    QGroupBox* GroupBox = nullptr;
    QGroupBox* InputGroupBox = nullptr;
    QLabel* InputStaticText = nullptr;
    QPushButton* LeftBitBtn = nullptr;
    QPushButton* RightBitBtn = nullptr;
    QPushButton* UpBitBtn = nullptr;
    QPushButton* DownBitBtn = nullptr;
    // "输入 17–32 / 64" beside LeftBitBtn, "输出 33–48 / 64" beside DownBitBtn;
    // shown with their buttons.
    QLabel* InputPageLabel = nullptr;
    QLabel* OutputPageLabel = nullptr;
    // The tool bar's X-Y field and the names of what it would route.
    QLineEdit* QuickSwitchEdit = nullptr;
    ElidedLabel* QuickSwitchNames = nullptr;
    // Screen row × (visible columns + 1); the last column holds the close boxes.
    std::vector<std::vector<QCheckBox*>> GridBoxes;
    std::vector<QLabel*> ColumnLabels;        // visible columns + 1
    std::vector<QLineEdit*> InputNameEdits;   // visible columns
    std::vector<QLineEdit*> OutputNameEdits;  // visible rows
    std::vector<QLabel*> OutputLockMarks;     // visible rows: beside the name field
    // Visible rows: right of the lock mark, what the output carries.
    std::vector<ElidedLabel*> OutputRouteLabels;

    // Menus and items.
    QMenu* FileSubMenu = nullptr;
    QAction* ReadItem = nullptr;
    QAction* SaveMatrixStatusItem = nullptr;
    QAction* ResendStateItem = nullptr;
    QAction* JournalItem = nullptr;
    QAction* ExitItem = nullptr;
    QMenu* EditMenu = nullptr;
    QAction* UndoItem = nullptr;
    QAction* RedoItem = nullptr;
    QAction* FindPortItem = nullptr;
    QAction* TakeModeItem = nullptr;
    QAction* TakeItem = nullptr;
    QAction* ClearItem = nullptr;
    QMenu* ConfigMenu = nullptr;
    QAction* ConfigMenuItem = nullptr;
    QMenu* MatrixModeN = nullptr;
    QAction* NewMatrixModeN = nullptr;
    QAction* SaveMatrixModeN = nullptr;
    QAction* DeleteMatrixModeN = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* AboutMenuItem = nullptr;
};

}  // namespace mc
