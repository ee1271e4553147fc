// TMatrixForm: switching from the keyboard. The X-Y field "快速切换" routes
// an output to an input by their numbers; the keys of 预选, 执行 and 清除 are
// the Edit menu's shortcuts (MatrixFormMenus.cpp), and the fields that use
// Return or Esc themselves keep them from those shortcuts here.

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "control/QuickSwitch.h"
#include "ui/ElidedLabel.h"
#include "ui/JournalText.h"
#include "ui/MatrixFormSupport.h"
#include "ui/QXRMainControl.h"

namespace mc {

namespace {

struct QuickSwitchPorts {
    QuickSwitchEntry entry;
    QString problem;  // why Return would route nothing; empty when it would
    QString names;    // "Monitor 2 ← Camera 5" as far as typed
};

QuickSwitchPorts readQuickSwitch(const QString& text, const CrosspointState& state) {
    QuickSwitchPorts ports;
    ports.entry = parseQuickSwitch(fromQ(text));
    const QuickSwitchEntry& entry = ports.entry;
    if (!entry.valid) {
        ports.problem = TMatrixForm::tr("格式：输出号 输入号");
        return ports;
    }
    QString output;
    QString input;
    if (entry.output) {
        if (*entry.output > state.MatrixOutputNum())
            ports.problem = TMatrixForm::tr("没有输出 %1").arg(*entry.output);
        else
            output = toQ(state.outputText(*entry.output - 1));
    }
    if (entry.input) {
        if (*entry.input > state.MatrixInputNum())
            ports.problem = TMatrixForm::tr("没有输入 %1").arg(*entry.input);
        else
            input = toQ(state.inputText(*entry.input - 1));
    }
    if (ports.problem.isEmpty() && entry.output)
        ports.names = TMatrixForm::tr("%1 ← %2").arg(output, input).trimmed();
    return ports;
}

}  // namespace

void TMatrixForm::QuickSwitchEditChange() {
    if (!m_session.hasState() || QuickSwitchEdit->text().trimmed().isEmpty()) {
        QuickSwitchNames->setWholeText(QString());
        return;
    }
    const QuickSwitchPorts ports = readQuickSwitch(QuickSwitchEdit->text(), m_session.state());
    QuickSwitchNames->setWholeText(ports.problem.isEmpty() ? ports.names : ports.problem);
}

void TMatrixForm::QuickSwitchEditReturn() {
    if (!m_session.hasState()) return;
    const QuickSwitchPorts ports = readQuickSwitch(QuickSwitchEdit->text(), m_session.state());
    if (!ports.entry.complete() || !ports.problem.isEmpty()) return;
    const std::int32_t output = *ports.entry.output - 1;
    const std::int32_t input = *ports.entry.input - 1;
    const std::string self = MatrixSession::kWindowOwner;
    Outcome outcome;
    if (m_session.takeMode()) {
        // Staging the route already staged would take it back.
        const auto staged = m_session.staged().find(output);
        if (staged == m_session.staged().end() || staged->second != input)
            outcome = m_session.stageRoute(self, output, input);
    } else {
        outcome = m_session.routeOutput(self, output, input);
    }
    if (!outcome) {
        QuickSwitchNames->setWholeText(
            outcome.refusal == Refusal::Locked
                ? tr("未执行：输出 %1 已被 %2 锁定").arg(output + 1).arg(ownerText(outcome.detail))
                : tr("未执行"));
        return;
    }
    // The crosspoint comes into view; the field is ready for the next one.
    if (m_page) {
        m_page->showOutput(output);
        m_page->showInput(input);
        refreshGrid();
    }
    QuickSwitchEdit->clear();
}

bool TMatrixForm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::FocusOut && watched != QuickSwitchEdit) {
        // A name field: back to the start of its name.
        if (auto* field = qobject_cast<QLineEdit*>(watched)) field->setCursorPosition(0);
        return QMainWindow::eventFilter(watched, event);
    }
    if (watched != QuickSwitchEdit ||
        (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)) {
        return QMainWindow::eventFilter(watched, event);
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    const auto modifiers = static_cast<QKeyEvent*>(event)->modifiers() & ~Qt::KeypadModifier;
    const bool plain = modifiers == Qt::NoModifier;
    // Esc empties a field that holds text, and Enter routes what it holds,
    // before 清除 and 执行 get those keys.
    const bool ours = plain && !QuickSwitchEdit->text().isEmpty() &&
                      (key == Qt::Key_Escape || key == Qt::Key_Enter || key == Qt::Key_Return);
    if (!ours) return QMainWindow::eventFilter(watched, event);
    if (type == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (key == Qt::Key_Escape) {
        QuickSwitchEdit->clear();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMatrixForm::applyTakeKeys() {
    if (TakeModeItem == nullptr) return;
    const bool takeMode = m_session.takeMode();
    const bool staged = !m_session.staged().empty();
    TakeModeItem->setChecked(takeMode);
    TakeItem->setEnabled(staged);
    ClearItem->setEnabled(staged);
    QList<QKeySequence> takeKeys{QKeySequence(Qt::CTRL | Qt::Key_Return)};
    if (takeMode) takeKeys.append(QKeySequence(Qt::Key_Enter));
    TakeItem->setShortcuts(takeKeys);
}

}  // namespace mc
