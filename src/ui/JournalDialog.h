#pragma once

// JournalDialog: the journal's newest kEntries steps (who switched what),
// newest first, in a read-only table: time, origin, action, the routes each
// step changed, its mode, file, port or text, and its frames (texts from
// JournalText.h). The filter OutputFilter shows only the steps that concern
// one output. The control window runs it modally through IDialogs::exec from
// the File menu's "操作记录(&J)".
//
// The journal is read when the dialog is made, on "刷新", and, while the
// dialog is open, a moment after each step of the session (followSession;
// a burst of steps costs one reading), never while the filter changes; the
// filter's output names and count are the session's at that moment (the rows
// show the names each line kept). Each column is as wide as its header and
// its longest usual text in the language shown. Following
// keeps the filter and the rows in view: at the top the newest steps come
// into view, further down the view stays on the steps it showed. A journal not written yet shows an
// empty table and a line saying so; a file that cannot be read is named in that line with the
// reason. UI thread only.

#include <QDialog>
#include <cstddef>
#include <string>
#include <vector>

#include "ui/JournalText.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;

namespace mc {

class MatrixSession;

class JournalDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr std::size_t kEntries = 1000;
    // The columns of JournalTable.
    enum Column {
        TimeColumn,
        OriginColumn,
        ActionColumn,
        ChangesColumn,
        DetailsColumn,
        FramesColumn
    };

    // Reads the journal of the session's configuration folder. session must
    // outlive the dialog.
    explicit JournalDialog(const MatrixSession& session, QWidget* parent = nullptr);

    // Reads the journal and the session's names again; the filter keeps its
    // output when that still exists.
    void RefreshButtonClick();
    // Shows the entries of the filter's current item.
    void OutputFilterChange();
    // The session made a step: the journal is read again kFollowDelay later.
    void followSession();
    static constexpr int kFollowDelay = 250;  // milliseconds

    QComboBox* OutputFilter = nullptr;  // "全部输出", then one item per output
    QTableWidget* JournalTable = nullptr;
    QLabel* JournalStatus = nullptr;  // how many entries, or why there are none
    QPushButton* RefreshButton = nullptr;
    QPushButton* CloseButton = nullptr;

private:
    // Sizes the columns but the last (which takes the rest) to their
    // headers and samples; returns the width the table needs.
    int fitColumns();
    void fillFilter();
    void followJournal();
    QTimer* m_followTimer = nullptr;

    const MatrixSession& m_session;
    JournalRead m_read;
    std::vector<std::string> m_outputNames;  // the filter's
};

}  // namespace mc
