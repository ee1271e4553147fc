#pragma once

// MatrixSession: the program's behaviour without any window. It owns the
// serial port component Comm1, the command queue, the sender thread and the
// crosspoint state of one build, the layer choice and the output locks, and
// runs every operation the operator (through the control window and the
// configuration dialog) or a network client asks for. Windows and the network
// server translate their events into one call here and bring their views in
// line from the change event that every call (every step) ends with: one
// SessionChange per step, saying what changed (see SessionObserver.h).
//
// Life cycle: start() builds everything from the configuration files (read the
// settings, open the port, create the queue and start the sender, size the
// state, load the names, queue the start-up frames, preselect the layer).
// rebuild() stops the sender, drops the queue, the state and the locks and
// builds again (the configuration dialog's Apply ends with it). close() saves
// the name switches, the names and the line (whose outputs with frames still
// waiting become unknown), stops the sender, drops the queue and closes the
// port; it runs once.
//
// The device away: while the port is Lost (the device hung up), every frame
// goes to a dead port, so the session remembers whose route (and whether the
// layer) was queued meanwhile or was still waiting when the hang-up was seen.
// When the device is opened again, the current route of each remembered
// output and the checked layer are queued once more, except where that
// output's (the layer's) newest frame still waits in the queue and so reaches
// the device anyway (portReconnected). A rebuild forgets them.
//
// Threads: every member runs on the user-interface thread. Comm1 and the
// sender report through the poster given at construction, so observers are
// always called on that thread too.
//
// Requests: each operation a client can ask for returns an Outcome (done, or
// refused with its reason); one that arrives while a step is open is refused
// as Busy, so no step ever takes in another's changes.
//
// Errors: an operation that fails on a file (IniWriteError, ModeFileError,
// FileWriteError) returns the error in its outcome. An error of the window's
// operator (and of the session's own work) is also shown through
// ISessionPrompts::showError, after the step has ended; a network client's
// becomes the note for the status bar and never opens a window. Nothing throws
// out of the session. File operations end by setting the current directory
// back to the program folder.

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "config/AppPaths.h"
#include "config/StartupSettings.h"
#include "control/CrosspointState.h"
#include "control/Line.h"
#include "control/LineWriter.h"
#include "control/OutputLocks.h"
#include "control/PortStatus.h"
#include "control/SessionObserver.h"
#include "control/SessionStep.h"
#include "control/SessionTypes.h"
#include "protocol/BytePort.h"
#include "protocol/MatrixComm.h"
#include "protocol/SenderClock.h"
#include "serial/SerialComm.h"
#include "serial/SerialDevices.h"
#include "serial/UiPoster.h"
#include "store/Journal.h"

namespace mc {

class MatrixSession {
public:
    // REQUIRES: poster outlives the session.
    MatrixSession(AppPaths paths, IUiPoster& poster, SessionOptions options = {});
    // Stops the sender and closes the port if close() has not run; saves
    // nothing.
    ~MatrixSession();
    MatrixSession(const MatrixSession&) = delete;
    MatrixSession& operator=(const MatrixSession&) = delete;

    // Observers are not owned; each must be detached before it goes.
    void attach(ISessionObserver& observer);
    void detach(ISessionObserver& observer);
    // Who answers the session's questions; not owned, must outlive its use.
    // Null (the default): questions are answered without asking: the port
    // error is ignored, errors and messages go to standard error as one line,
    // no mode name is given.
    void setPrompts(ISessionPrompts* prompts);

    // --- Life cycle ------------------------------------------------------------
    void start();
    void rebuild();
    void close();
    bool closed() const { return m_closed; }
    // True from start() until close().
    bool hasState() const { return static_cast<bool>(m_state); }

    // --- The state, for views -------------------------------------------------
    // REQUIRES: hasState().
    const CrosspointState& state() const { return *m_state; }
    const AppPaths& paths() const { return m_paths; }
    const StartupSettings& settings() const { return m_settings; }
    // The caption of the control window: the model name and " 汇切台".
    std::string caption() const { return m_caption; }
    LayerView layer() const { return m_layer; }
    const PortStatus& portStatus() const { return m_portStatus; }
    bool portOpen() const { return Comm1.isOpen(); }
    // The serial port component, to read its settings.
    const TComm& port() const { return Comm1; }
    const DeviceRoots& deviceRoots() const { return m_options.deviceRoots; }
    // The queue of the current build, for tests and benchmarks (null before
    // start() and after close()).
    mc::CommandQueue* commandQueue() const { return CommandQueue.get(); }
    // The latest note for the status bar (count clamping, skipped nodes, a
    // refused click); empty when there is none.
    const std::string& note() const { return m_note; }
    // The owner of output o's lock; "" when it is not locked.
    const std::string& lockOwner(std::int32_t output) const { return m_locks.owner(output); }

    // --- The grid ---------------------------------------------------------------
    // The window's operator clicked the grid box of cell k of output o (k ==
    // the input count: the output's close box), whose tick after the click is
    // `ticked`; the switching rules of CrosspointState::clickCell apply (in
    // take mode the cell is staged instead). Refused (Locked; nothing
    // changes, the note says why) when the output is locked by someone other
    // than the window; OutOfRange for a cell outside the matrix.
    Outcome clickBox(std::int32_t output, std::int32_t cell, bool ticked);
    // A route request: output o carries input i only (i == -1: closed), as
    // ticking that box does; output 0 in cycle mode becomes exactly that one
    // input. A route to the input already routed sends its frame again. The
    // frame replaces this output's earlier request still waiting in the queue
    // where the order allows it (CommandQueue::appendReplacing), so a burst of
    // requests leaves about one frame per output waiting.
    // Refused (OutOfRange, Locked, Busy) for a port that does not exist or an
    // output locked by another owner; nothing is queued then. On a layer
    // other than the operator's (`layer`), the layer frame for it comes
    // before the switch and the operator's layer frame after it, in the same
    // step; a model in pattern mode has one table and no layer frames.
    Outcome routeOutput(const std::string& owner, std::int32_t output, std::int32_t input,
                        RouteLayer layer = RouteLayer::Operator);

    // For a switcher that was power-cycled: queues the start-up frames
    // (on/off, set-address, as start() sends them), then makes the device
    // carry both tables of the line with the fewest frames: outputs equal in
    // both under layer 3, the rest under 1 and 2, each group after its layer
    // frame, then the operator's layer frame (not in pattern mode, whose one
    // table needs none). Only known routes are sent (a closed output is
    // known). Nothing changes in the state or the files. False (nothing
    // queued) before start() or after close().
    bool resendCurrentState();

    // --- The line ----------------------------------------------------------------
    // What the device carries, per layer (see Line). Stored in
    // MatrixLine.json about a second after a change and at close; a start
    // whose model, address, counts and pattern match the stored line takes
    // its tables as last known.
    const Line& line() const { return m_line; }
    // The table the operator's layer shows: video (also for both), audio, or
    // all in pattern mode.
    LineLayer operatorTable() const;

    // --- Take mode ---------------------------------------------------------------
    // In take mode a click on a grid box (clickBox) stages that route
    // instead of switching: at most one staged cell per output (an input, or
    // MatrixInputNum for its close box). A click on the staged box again, or
    // on the one box the output already shows, unstages the output. take()
    // sends every staged change, output by output in node order, as clicks
    // ticking those boxes would, as one step (journalled "take", one undo
    // step); outputs another owner has locked are skipped and named in the
    // note. clearStaged() drops what is staged, and so does leaving take mode.
    // In take mode a matrix mode or a status file stages the outputs whose
    // route it would change instead of switching them. Network route requests
    // are never staged. The choice is stored ("TakeMode" of "System config").
    bool takeMode() const { return m_takeMode; }
    // FileError when the choice could not be stored (take mode changes still).
    Outcome setTakeMode(const std::string& owner, bool on);
    // Staged cell per output; a cycle staged on output 0 names its first cell
    // here and all of its cells in stagedCycle().
    const std::map<std::int32_t, std::int32_t>& staged() const { return m_staged; }
    std::vector<std::int32_t> stagedCycle() const;
    // The same as clients see it: per output its input, -1 for the close box.
    std::map<std::int32_t, std::int32_t> stagedRoutes() const;
    // A web client's tap in take mode: stages input `input` (-1: the close
    // box) for output o as a click on that box does (staging it again, or the
    // route the output already shows, unstages it). Refused outside take mode
    // (Unavailable), for a port that does not exist or an output locked by
    // another owner. `layer`: the layer take() will switch it on (see
    // routeOutput).
    Outcome stageRoute(const std::string& owner, std::int32_t output, std::int32_t input,
                       RouteLayer layer = RouteLayer::Operator);
    // take() and clearStaged() as `owner`: the step's origin, and take()
    // skips the outputs locked by anyone else. take() is Unavailable when
    // nothing is staged.
    Outcome take(const std::string& owner = kWindowOwner);
    Outcome clearStaged(const std::string& owner = kWindowOwner);

    // --- Undo ------------------------------------------------------------------
    // The window operator's routing steps (a click, a close, a mode, a status
    // file), the last kUndoSteps of them; a rebuild forgets them. undo() brings
    // the outputs the last one changed back to the cells they had before it,
    // their frames queued as clicks would send them; an output changed since
    // (by anyone) or locked by another owner is left alone and named in the
    // note. redo() does the step again, with the same care. Each is a step of
    // its own, journalled as "undo" / "redo". False when there is nothing to
    // undo / redo.
    static constexpr std::size_t kUndoSteps = 100;
    bool undo();
    bool redo();
    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    // Output o goes back to the cells it had before its last change, whoever
    // made it, as a window step of its own (undoable). False when it has not
    // changed since the build or another owner holds its lock.
    bool returnToPreviousInput(std::int32_t output);
    bool hasPreviousInput(std::int32_t output) const;

    // --- Names --------------------------------------------------------------------
    // A label request (the window's name field edited, a network client) of `owner`: the name of
    // input / output `port` becomes `text` (at most 16 characters are kept, as in the field; ""
    // clears it) and its list is in use. OutOfRange for a port that does not
    // exist, BadName for a text with a control character (below U+0020, or
    // U+007F), which no field or file could hold.
    // NameEntry::Typing (the window's field, a keystroke): clients see the name
    // at once; the journal gets one line per edit, see finishNameEdit.
    Outcome setInputName(const std::string& owner, std::int32_t input, std::string text,
                         NameEntry entry = NameEntry::Whole);
    Outcome setOutputName(const std::string& owner, std::int32_t output, std::string text,
                          NameEntry entry = NameEntry::Whole);
    // The edit of a name field has ended (the field was left, Enter): its one
    // journal line, with the whole new name, is written now. Otherwise it is
    // written a second after the last keystroke, before another step's line,
    // or at close. Nothing when the name ends as it began.
    void finishNameEdit();

    // --- Locks --------------------------------------------------------------------
    // See OutputLocks::request. Locked (with the holder) when refused.
    Outcome lockOutput(const std::string& owner, std::int32_t output, LockRequest request);

    // --- Layer ----------------------------------------------------------------------
    // The operator (or `owner`, the step's origin) checked the button of
    // `layer` (1..3); a button that was already checked does nothing.
    // Unavailable for a model without layers (pattern mode).
    Outcome chooseLayer(std::int32_t layer, const std::string& owner = kWindowOwner);

    // --- Status files ---------------------------------------------------------------
    // Save the whole state to path / load it from path. A file that does not
    // match the matrix changes nothing and is reported with the message
    // "调用的文件与但前矩阵不匹配". A load (of a file or a mode) sends the
    // windows back to their first page (SessionChange::firstPage); the names
    // a file brings are typed into the name fields shown there, so a list
    // comes into use when the file names one of its first page's ports.
    bool saveStatusFile(const std::string& path);
    LoadOutcome loadStatusFile(const std::string& path);

    // --- Matrix modes -----------------------------------------------------------------
    // The mode names of MatrixMode.xml, in file order, read anew each time;
    // refused with the error when the file cannot be read.
    ModeList readModes() const;
    // The window's mode list: readModes, its error shown to the operator.
    std::vector<std::string> modeList();
    // Applies the mode named `modeName` (a combo-box item) and makes it the
    // current mode, as a step of `owner`: outputs another owner has locked
    // are left as they are. A client's request for a mode the file does not
    // have is NotFound (the window's clears the selection, as an empty mode).
    LoadOutcome applyMode(const std::string& modeName, const std::string& owner = kWindowOwner);
    // Clears the selection and the current mode; queues nothing.
    void newMode();
    // Saves the selection as the current mode, asking for a name when there
    // is none. False when nothing was saved.
    bool saveMode();
    // Deletes the mode named `modeName`, then starts a new mode. False when
    // the file could not be changed.
    bool deleteMode(const std::string& modeName);
    const std::string& currentModeName() const;
    // A client's save: stores the selection (the current routes) as the mode
    // `modeName`, keeping every other mode, and makes it the current mode; one
    // step, no frame. Refused BadName for a name a mode cannot have, Exists
    // when the file has a mode of that name and `overwrite` is false,
    // FileError while the file cannot be read or written.
    Outcome saveModeAs(const std::string& owner, const std::string& modeName, bool overwrite);
    // What applying the mode `modeName` as `owner` would do, doing nothing:
    // `applied` counts the outputs whose route it changes (see stageLoaded);
    // NotFound, FileError as applyMode.
    LoadOutcome previewMode(const std::string& modeName, const std::string& owner) const;
    // A client's delete of the mode `modeName` (no longer the current mode
    // then); the selection stays. NotFound when the file has none; FileError.
    Outcome removeMode(const std::string& owner, const std::string& modeName);

    // --- The configuration dialog ---------------------------------------------------------
    // The cycle interval / pattern flag the dialog has just stored, each as a
    // step of the window.
    void setCircleTime(std::int32_t seconds);
    void setPattern(bool pattern);
    // What Apply with `choice` would erase (see ApplyLoss), for the dialog to
    // ask first.
    ApplyLoss applyLoss(const ConfigChoice& choice) const;
    // Apply: see the configuration dialog. While the chosen model runs the
    // same matrix (address, counts, pattern), the port names, the matrix modes
    // and the line are kept (the names are saved first); otherwise
    // MatrixMode.xml and MatrixEditList.con are copied to ".bak" beside them
    // and every name and mode is erased. The matrix is rebuilt from what is
    // stored whatever fails on the way. True when no file write failed.
    bool applyConfiguration(const ConfigChoice& choice);

    // Owner id of the control window's operator in lock tables.
    static constexpr const char* kWindowOwner = "本机操作台";

private:
    void build();
    void openPort();
    void startSender();
    void stopSender();
    void closePort();
    void preselectLayer();
    void setNote(std::string note);
    void setPortState(PortState state);
    // The device and the speed of the port field, from Comm1.
    void takePortFigures();
    void portLost();
    // True when `model` in the model table runs another matrix than this build.
    bool changesMatrix(const std::string& model) const;
    // The close's save of the name switches and the names; false (the error
    // shown) when it failed.
    bool saveNames();
    // Queues the routes and the layer remembered while the device was away,
    // the layer first, and says so in the note and the port's log.
    void portReconnected();
    // Remembers what a frame queued for a dead port sets.
    void rememberAway(const FrameTag& tag);
    // Queues the known routes of `outputs` (all when empty) as resendCurrentState
    // describes; returns how many route frames it queued.
    int queueLine(const std::set<std::int32_t>& outputs);
    // The layer frame for `code` when the device is not on it already.
    void moveDeviceTo(std::int32_t code);
    // MatrixLine.json: read at a build (restoreLine), written about a second
    // after a change (scheduleLineWrite) and at close (writeLine).
    void restoreLine();
    void scheduleLineWrite();
    // The line forgets the outputs (and the device's layer) of the frames
    // still waiting in the queue, which is about to be dropped.
    void forgetWaitingFrames();
    // A client's route on a layer aside from the operator's still waits.
    bool clientAsideWaiting() const;
    // Runs `task` on this thread after `delay`, unless the session is gone.
    void later(std::chrono::milliseconds delay, std::function<void()> task);
    void writeLine();
    // The layer frame of the checked layer button, when the layer is in use
    // (not pattern mode, the buttons enabled, a layer checked); true when queued.
    bool queueCheckedLayer();
    // One line to the sink of the port's reports.
    void portLog(const std::string& line) const;
    void refreshQueueFigures();
    LoadOutcome applyLoaded(const std::vector<Node>& nodes, int unreadable,
                            const std::string& owner);
    bool heldByOther(std::int32_t output, const std::string& owner) const;
    // Runs `operation`; the text of an exception it throws, or nullopt.
    std::optional<std::string> attempt(const std::function<void()>& operation);
    // An error of `origin`'s operation: the window's (and the session's own,
    // origin "") is shown to the operator once no step is open; a client's
    // becomes the note. Returns the FileError outcome carrying it.
    Outcome reportError(const std::string& origin, const std::string& text);
    // Runs `operation` as attempt does and reports its error (reportError).
    Outcome guarded(const std::string& origin, const std::function<void()>& operation);
    // Sets the step's mode list from the file when it can be read.
    void noteModeList();
    // Shows the errors held back while a step was open.
    void showHeldErrors();
    // Busy when the matrix is not built or a step is open; else nullopt.
    std::optional<Outcome> busy() const;
    // busy(), then OutOfRange for an output the matrix does not have, then
    // Locked (with the holder) when another owner holds it.
    std::optional<Outcome> refuseOutput(const std::string& owner, std::int32_t output) const;

    // Every change runs inside a step (a StepScope). The outermost scope notes
    // what the session's views show as it was (cells, names, layer, note, port,
    // take mode, staged, current mode); the parts that are not derived from
    // those (locks, loaded, mode list, rebuilt) are set in m_step.change as the
    // change goes. When the outermost scope closes, what now differs is added
    // with its values and the change, unless empty, goes to every observer
    // once. Scopes nest: a note set while a file loads belongs to the load's
    // step.
    class StepScope {
    public:
        StepScope(MatrixSession& session, const std::string& origin) : m_session(session) {
            m_session.beginStep(origin);
        }
        ~StepScope() { m_session.endStep(); }
        StepScope(const StepScope&) = delete;
        StepScope& operator=(const StepScope&) = delete;

    private:
        MatrixSession& m_session;
    };
    void beginStep(const std::string& origin);
    void endStep();
    // The one-based numbers of `outputs` for a note: "3、5" for outputs 2 and 4.
    static std::string outputNumbers(const std::vector<std::int32_t>& outputs);
    // Stages cell k of output o, or unstages o (see takeMode()).
    void stage(std::int32_t o, std::int32_t k, RouteLayer layer = RouteLayer::Operator);
    // The layer code a route on `layer` is switched on; 0: the operator's.
    std::int32_t layerCodeOf(RouteLayer layer) const;
    // Output o to cell k on the layer of `code` (0: the operator's), unchecked.
    void routeOn(std::int32_t o, std::int32_t k, std::int32_t code, QueueMode mode);
    // True when the line carries cell k of output o (an input, or closed for
    // the close cell) on every table of the operator's layer.
    bool carries(std::int32_t o, std::int32_t k, RouteLayer layer = RouteLayer::Operator) const;
    // What the line carries on output o, one value per table.
    std::vector<Carried> carriedAt(std::int32_t o) const;
    // Take mode's part of a mode or a status file: stages each output whose
    // nodes name one cell it does not show alone now.
    LoadOutcome stageLoaded(const std::vector<Node>& nodes, int unreadable,
                            const std::string& owner);
    // The cells `nodes` name per output, leaving out (and counting in
    // `outcome`) those outside the matrix and those another owner has locked.
    std::map<std::int32_t, std::set<std::int32_t>> loadedCells(const std::vector<Node>& nodes,
                                                               const std::string& owner,
                                                               LoadOutcome& outcome) const;
    // Notes the rows `changed` had before the step (for returnToPreviousInput)
    // and, for a routing step of the window, the step for undo.
    void recordHistory(const SessionChange& change);
    // Takes the newest step of `from` back, pushing what it did onto `to`.
    bool replay(std::deque<HistoryStep>& from, std::deque<HistoryStep>& to, const char* action);
    // Writes the step's entry; a failure is noted once (in `change`) until a
    // write succeeds again.
    void journalStep(const SessionChange& change);
    // Appends `entry` stamped now, noting a failure as journalStep says.
    void appendJournal(JournalEntry entry);
    // The line of the name edit in progress, if any (see finishNameEdit).
    void journalNameEdit();
    // The journal entry of a name change: port `port` (an input or an output)
    // is to be named `text`.
    void labelStep(bool input, std::int32_t port, const std::string& text);
    Outcome setName(const std::string& owner, bool input, std::int32_t port, std::string text,
                    NameEntry entry);

    struct QueueFeed;

    AppPaths m_paths;
    IUiPoster& m_poster;
    std::unique_ptr<ISessionPrompts> m_silentPrompts;
    ISessionPrompts* m_prompts = nullptr;  // never null
    SessionOptions m_options;
    std::vector<ISessionObserver*> m_observers;
    std::shared_ptr<QueueFeed> m_feed;
    std::unique_ptr<LineWriter> m_lineWriter;  // MatrixLine.json, off this thread

    // The serial port component. Declared after the poster it posts through.
    TComm Comm1;

    // The objects of one build: created by build(), dropped by stopSender()
    // (thread first, then state, then queue).
    std::unique_ptr<mc::CommandQueue> CommandQueue;
    std::unique_ptr<TMatrixCommDataThread> SenderThread;
    std::unique_ptr<CrosspointState> m_state;  // uses *CommandQueue: dropped before it

    StartupSettings m_settings;
    std::string m_caption;
    LayerView m_layer{true, 0};
    PortStatus m_portStatus;
    OutputLocks m_locks;
    std::string m_note;
    bool m_closed = false;
    SessionStep m_step;
    Journal m_journal;
    bool m_takeMode = false;
    std::map<std::int32_t, std::int32_t> m_staged;
    std::map<std::int32_t, StagedHow> m_stagedHow;  // staged outputs taken otherwise
    void unstageAll() {
        m_staged.clear();
        m_stagedHow.clear();
    }
    std::deque<HistoryStep> m_undo;  // oldest first
    std::deque<HistoryStep> m_redo;
    // Per output, its cells before its last change; empty: none since the build.
    std::vector<CrosspointState::Row> m_previousRows;
    bool m_journalFailed = false;  // the failure has been noted
    // The window's name edit not journalled yet: its field, name before, origin.
    struct NameEdit {
        bool input = false;
        std::int32_t port = 0;
        std::string before;
        std::string origin;
    };
    std::optional<NameEdit> m_nameEdit;
    std::uint64_t m_nameEditKeys = 0;  // keystrokes so far; the pause waits for the last
    Line m_line;
    std::string m_lineKey;  // the model, address, counts and pattern the line is of
    bool m_lineWriteScheduled = false;
    std::vector<std::string> m_heldErrors;  // the window's, until its step has ended
    // Remembered while the device is away; see the top of this file.
    std::set<std::int32_t> m_awayOutputs;
    bool m_awayLayer = false;
};

}  // namespace mc
