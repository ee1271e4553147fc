#pragma once

// PortFinder: the control window's "查找端口" field. A small frame over the
// window with a search field and the list of the ports that match what the
// operator types: a port number, or part of a port's name, inputs and outputs
// alike. Choosing a match (a click, Return on the list, or Return in the
// field for the first match; Down moves from the field into the list) emits
// chosen() and hides the frame; Esc, or the focus leaving the frame, hides
// it. The frame finds ports; the window pages its grid. UI thread only.

#include <QFrame>
#include <QString>
#include <cstdint>
#include <vector>

class QLineEdit;
class QListWidget;

namespace mc {

class CrosspointState;

// One port found: an input or an output, zero-based.
struct PortMatch {
    bool output = false;
    std::int32_t port = 0;

    bool operator==(const PortMatch&) const = default;
};

// The ports `query` finds in `state`, at most `limit` of them: first the
// input and the output whose number is the query (a whole number), then every
// port whose name holds it (letter case ignored), inputs before outputs, each
// in port order. Nothing for an empty query.
std::vector<PortMatch> findPorts(const CrosspointState& state, const QString& query,
                                 std::size_t limit = 50);

class PortFinder final : public QFrame {
    Q_OBJECT

public:
    explicit PortFinder(QWidget* parent);

    // Shows the frame with an empty field holding the keyboard focus.
    // REQUIRES: `state` outlives the frame's being shown.
    void open(const CrosspointState& state);
    QLineEdit* field() const { return m_field; }
    QListWidget* matches() const { return m_list; }

signals:
    void chosen(PortMatch match);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refill();
    void choose(int row);
    void focusMoved(QWidget* now);

    const CrosspointState* m_state = nullptr;
    std::vector<PortMatch> m_found;
    QLineEdit* m_field = nullptr;
    QListWidget* m_list = nullptr;
};

}  // namespace mc
