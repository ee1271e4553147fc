#pragma once

// LabeledEdit: a single-line edit field with a caption label to its left, as
// the configuration dialog's port-count and logo fields use it. The label is a
// sibling of the field (same parent), sized to its text, its right edge
// `spacing` pixels left of the field and centred on the field's height; it
// follows the field when the field moves or changes size. UI thread only.

#include <QLineEdit>

class QLabel;

namespace mc {

class LabeledEdit : public QLineEdit {
    Q_OBJECT

public:
    LabeledEdit(const QString& caption, int spacing, QWidget* parent);

    QLabel* EditLabel() const { return m_label; }
    int labelSpacing() const { return m_spacing; }
    // Puts the label in place now (a hidden field gets no move events).
    void placeLabel();

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* m_label = nullptr;
    int m_spacing = 3;
};

}  // namespace mc
