#include "ui/HexEdit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QString>

#include "config/HexToInt.h"

namespace mc {

namespace {

bool isHexDigit(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'F') || (u >= u'a' && u <= u'f');
}

constexpr char16_t kBackspace = 8;

}  // namespace

THexEdit::THexEdit(QWidget* parent) : QLineEdit(parent) {
    setText(QStringLiteral("0"));
    m_value = 0;
}

std::int32_t THexEdit::Value() {
    const QByteArray bytes = text().toUtf8();
    m_value = HexToInt(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    return m_value;
}

void THexEdit::typeCharacter(QChar character) {
    if (hasSelectedText()) del();

    if (isHexDigit(character)) {
        if (text().length() == m_maxDigits) return;
        const QString upper = text().toUpper();
        if (upper != text()) setText(upper);
        end(false);
        insert(QString(character.toUpper()));
        return;
    }
    if (character.unicode() == kBackspace) {
        if (cursorPosition() == 0 || text().isEmpty()) return;
        backspace();
    }
}

void THexEdit::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (event->key() == Qt::Key_Backspace) {
        if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
            QLineEdit::keyPressEvent(event);
            return;
        }
        typeCharacter(QChar(kBackspace));
        event->accept();
        return;
    }

    const QString text = event->text();
    const bool carriesCharacters = !text.isEmpty() && text.at(0).isPrint() &&
                                   !(mods & (Qt::ControlModifier | Qt::MetaModifier));
    if (!carriesCharacters) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    for (QChar c : text)
        typeCharacter(c);
    event->accept();
}

void THexEdit::inputMethodEvent(QInputMethodEvent* event) {
    const QString committed = event->commitString();
    if (committed.isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // The line edit drops its pre-edit text, the committed characters go
    // through the filter, and a new pre-edit text (if any) is shown again.
    QInputMethodEvent cleared;
    QLineEdit::inputMethodEvent(&cleared);
    for (QChar c : committed)
        typeCharacter(c);
    if (!event->preeditString().isEmpty()) {
        QList<QInputMethodEvent::Attribute> kept;
        for (const QInputMethodEvent::Attribute& a : event->attributes())
            if (a.type != QInputMethodEvent::Selection) kept.append(a);
        QInputMethodEvent preedit(event->preeditString(), kept);
        QLineEdit::inputMethodEvent(&preedit);
    }
    event->accept();
}

}  // namespace mc
