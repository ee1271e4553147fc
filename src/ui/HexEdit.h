#pragma once

// THexEdit: a single-line field for hexadecimal numbers, used for the device
// address and the custom address of the configuration dialog.
//
// Typed characters go through the field's own filter instead of the line
// edit's character handling:
//   1. a selection is deleted first, for every character, also for one that is
//      then refused;
//   2. 0-9, A-F, a-f: refused when the text length equals MaxDigits (equality:
//      a longer text set by the program still takes digits); otherwise the
//      text is upper-cased, the digit appended upper-cased at the end wherever
//      the caret was, and the caret put at the end;
//   3. backspace: removes the character just before the caret, nothing when
//      the caret is at the start or the field is empty;
//   4. every other character is dropped.
// Typed characters are key presses that carry text (without Ctrl or Meta),
// Backspace without Ctrl, Alt or Meta, and text committed by an input method.
// All other editing (Delete, caret movement, shortcuts such as Ctrl+V, the
// context menu) keeps QLineEdit's behaviour; text set by the program is not
// filtered. UI thread only.

#include <QLineEdit>
#include <cstdint>

class QInputMethodEvent;
class QKeyEvent;

namespace mc {

class THexEdit : public QLineEdit {
    Q_OBJECT

public:
    // The field starts with the text "0" and the value 0; MaxDigits is 0
    // until the owner sets it.
    explicit THexEdit(QWidget* parent = nullptr);

    void setMaxDigits(int digits) { m_maxDigits = digits; }
    int MaxDigits() const { return m_maxDigits; }

    // Converts the current text with HexToInt, keeps the result and returns it.
    std::int32_t Value();

    // Runs one typed character through the filter (code 8 is backspace).
    void typeCharacter(QChar character);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    int m_maxDigits = 0;
    std::int32_t m_value = 0;
};

}  // namespace mc
