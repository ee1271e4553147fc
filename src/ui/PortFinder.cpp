#include "ui/PortFinder.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "control/CrosspointState.h"

namespace mc {

namespace {

QString nameOf(const CrosspointState& state, const PortMatch& match) {
    const auto index = static_cast<std::size_t>(match.port);
    return QString::fromStdString(match.output ? state.OutputNames()[index]
                                               : state.InputNames()[index]);
}

QString matchText(const CrosspointState& state, const PortMatch& match) {
    const QString name = nameOf(state, match);
    const QString number = QString::number(match.port + 1);
    if (name.isEmpty())
        return match.output ? PortFinder::tr("输出 %1").arg(number)
                            : PortFinder::tr("输入 %1").arg(number);
    return match.output ? PortFinder::tr("输出 %1：%2").arg(number, name)
                        : PortFinder::tr("输入 %1：%2").arg(number, name);
}

}  // namespace

std::vector<PortMatch> findPorts(const CrosspointState& state, const QString& query,
                                 std::size_t limit) {
    std::vector<PortMatch> found;
    const QString text = query.trimmed();
    if (text.isEmpty()) return found;
    auto add = [&](const PortMatch& match) {
        if (found.size() < limit && std::find(found.begin(), found.end(), match) == found.end())
            found.push_back(match);
    };
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    if (isNumber && number >= 1) {
        if (number <= state.MatrixInputNum()) add({false, number - 1});
        if (number <= state.MatrixOutputNum()) add({true, number - 1});
    }
    for (const bool output : {false, true}) {
        const std::int32_t count = output ? state.MatrixOutputNum() : state.MatrixInputNum();
        for (std::int32_t port = 0; port < count; ++port) {
            if (nameOf(state, {output, port}).contains(text, Qt::CaseInsensitive))
                add({output, port});
        }
    }
    return found;
}

PortFinder::PortFinder(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("PortFinder"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("PortFinderEdit"));
    m_field->setPlaceholderText(tr("端口号或名称"));
    m_field->setAccessibleName(tr("查找端口"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("PortFinderList"));
    layout->addWidget(m_field);
    layout->addWidget(m_list);
    resize(220, 240);
    hide();

    m_field->installEventFilter(this);
    m_list->installEventFilter(this);
    connect(m_field, &QLineEdit::textChanged, this, &PortFinder::refill);
    connect(m_list, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { choose(m_list->row(item)); });
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { focusMoved(now); });
}

void PortFinder::open(const CrosspointState& state) {
    m_state = &state;
    m_field->clear();
    refill();
    show();
    raise();
    m_field->setFocus(Qt::ShortcutFocusReason);
}

void PortFinder::refill() {
    m_list->clear();
    m_found.clear();
    if (m_state == nullptr) return;
    m_found = findPorts(*m_state, m_field->text());
    for (const PortMatch& match : m_found)
        m_list->addItem(matchText(*m_state, match));
    if (!m_found.empty()) m_list->setCurrentRow(0);
}

void PortFinder::choose(int row) {
    if (row < 0 || row >= static_cast<int>(m_found.size())) return;
    const PortMatch match = m_found[static_cast<std::size_t>(row)];
    hide();
    emit chosen(match);
}

void PortFinder::focusMoved(QWidget* now) {
    if (isVisible() && now != nullptr && !isAncestorOf(now)) hide();
}

bool PortFinder::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
        return QFrame::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool ours = key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter ||
                      (watched == m_field && key == Qt::Key_Down);
    if (!ours) return QFrame::eventFilter(watched, event);
    // The window's own keys (Esc clears staged routes, Enter takes them)
    // wait while the finder is open.
    if (type == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (key == Qt::Key_Escape) {
        hide();
        parentWidget()->setFocus();
    } else if (key == Qt::Key_Down) {
        m_list->setFocus();
        if (m_list->currentRow() < 0) m_list->setCurrentRow(0);
    } else {
        choose(m_list->currentRow());
    }
    return true;
}

}  // namespace mc
