#include "ui/LabeledEdit.h"

#include <QLabel>
#include <QMoveEvent>
#include <QResizeEvent>

namespace mc {

LabeledEdit::LabeledEdit(const QString& caption, int spacing, QWidget* parent)
    : QLineEdit(parent), m_label(new QLabel(caption, parent)), m_spacing(spacing) {
    m_label->setBuddy(this);
    m_label->adjustSize();
    placeLabel();
}

void LabeledEdit::moveEvent(QMoveEvent* event) {
    QLineEdit::moveEvent(event);
    placeLabel();
}

void LabeledEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    placeLabel();
}

void LabeledEdit::placeLabel() {
    m_label->move(x() - m_label->width() - m_spacing, y() + (height() - m_label->height()) / 2);
}

}  // namespace mc
