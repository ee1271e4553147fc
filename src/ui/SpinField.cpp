#include "ui/SpinField.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QResizeEvent>
#include <QToolButton>
#include <algorithm>

#include "config/IniFile.h"

namespace mc {

namespace {

constexpr int kArrowWidth = 15;

}  // namespace

SpinField::SpinField(QWidget* parent) : QWidget(parent) {
    m_edit = new QLineEdit(this);
    m_edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[-+0-9]*")), m_edit));
    m_edit->installEventFilter(this);
    setFocusProxy(m_edit);
    setFocusPolicy(m_edit->focusPolicy());

    m_up = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_down = new QToolButton(this);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton* button : {m_up, m_down}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
    }
    connect(m_up, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { stepBy(-1); });
    connect(m_edit, &QLineEdit::textChanged, this, [this] { emit changed(); });

    m_edit->setText(QStringLiteral("0"));
}

void SpinField::setRange(std::int32_t minimum, std::int32_t maximum) {
    m_min = minimum;
    m_max = std::max(minimum, maximum);
}

void SpinField::setMaxLength(int length) {
    m_edit->setMaxLength(length);
}

std::int32_t SpinField::Value() const {
    const QByteArray bytes = m_edit->text().toUtf8();
    return parseIniInteger(
               std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))
        .value_or(m_min);
}

void SpinField::setValue(std::int32_t value) {
    m_edit->setText(QString::number(clamped(value)));
}

QString SpinField::text() const {
    return m_edit->text();
}

void SpinField::setText(const QString& text) {
    m_edit->setText(text);
}

void SpinField::stepBy(int steps) {
    m_edit->setText(QString::number(clamped(static_cast<std::int64_t>(Value()) + steps)));
}

std::int32_t SpinField::clamped(std::int64_t value) const {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, m_min, m_max));
}

bool SpinField::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_edit) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                stepBy(key == Qt::Key_Up ? 1 : -1);
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            const std::int32_t value = Value();
            if (clamped(value) != value) setValue(value);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SpinField::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    const int editWidth = std::max(0, w - kArrowWidth);
    m_edit->setGeometry(0, 0, editWidth, h);
    m_up->setGeometry(editWidth, 0, w - editWidth, h / 2);
    m_down->setGeometry(editWidth, h / 2, w - editWidth, h - h / 2);
}

}  // namespace mc
