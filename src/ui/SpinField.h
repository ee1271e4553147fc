#pragma once

// SpinField: an integer field with up and down arrows, as the configuration
// dialog's port and cycle-time fields use it.
//
// - Value() is the text read as an integer (the configuration files' integer
//   syntax), or the minimum of the range when the text is not an integer. It
//   is not put into the range: a typed 25 in a 1..20 field is 25 until the
//   field loses the focus or a handler sets it.
// - setValue() puts the value into the range and shows it in decimal.
// - The arrows, and the Up and Down keys, set Value() + 1 and Value() - 1.
// - Losing the focus with a value outside the range puts it into the range.
// - changed() is emitted for every change of the text: typing, the arrows,
//   or the program setting a different value or text.
// Typing accepts digits and signs only; text set by the program is not
// checked. UI thread only.

#include <QWidget>
#include <cstdint>

class QLineEdit;
class QToolButton;

namespace mc {

class SpinField : public QWidget {
    Q_OBJECT

public:
    // Range 0..100, value 0.
    explicit SpinField(QWidget* parent = nullptr);

    // REQUIRES: minimum <= maximum. The text is left as it is.
    void setRange(std::int32_t minimum, std::int32_t maximum);
    std::int32_t minValue() const { return m_min; }
    std::int32_t maxValue() const { return m_max; }
    // The most characters that can be typed.
    void setMaxLength(int length);

    std::int32_t Value() const;
    void setValue(std::int32_t value);
    QString text() const;
    void setText(const QString& text);

    // One step of the arrows: `steps` added to Value(), then put into range.
    void stepBy(int steps);

    QLineEdit* lineEdit() const { return m_edit; }
    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

signals:
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::int32_t clamped(std::int64_t value) const;

    QLineEdit* m_edit = nullptr;
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
    std::int32_t m_min = 0;
    std::int32_t m_max = 100;
};

}  // namespace mc
