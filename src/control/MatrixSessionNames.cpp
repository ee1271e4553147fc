// MatrixSession: port names. A name set by a client is one step with one
// journal line. A name the window's operator types changes with each
// keystroke (clients see it as it changes), and its journal line is written
// once per edit, holding the whole new name: when the field is left or Enter
// is pressed (finishNameEdit), a second after the last keystroke, before the
// line of any other step, and at close.

#include <algorithm>
#include <chrono>
#include <utility>

#include "control/MatrixSession.h"

namespace mc {

namespace {

constexpr auto kNameEditPause = std::chrono::seconds(1);

// `text` cut to its first kPortNameMaxLength characters (UTF-8 code points).
std::string fieldText(std::string text) {
    std::size_t at = 0;
    for (std::size_t n = 0; at < text.size(); ++n) {
        if (n == static_cast<std::size_t>(kPortNameMaxLength)) {
            text.resize(at);
            break;
        }
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
            ++at;
    }
    return text;
}

}  // namespace

Outcome MatrixSession::setInputName(const std::string& owner, std::int32_t input, std::string text,
                                    NameEntry entry) {
    return setName(owner, true, input, std::move(text), entry);
}

Outcome MatrixSession::setOutputName(const std::string& owner, std::int32_t output,
                                     std::string text, NameEntry entry) {
    return setName(owner, false, output, std::move(text), entry);
}

Outcome MatrixSession::setName(const std::string& owner, bool input, std::int32_t port,
                               std::string text, NameEntry entry) {
    if (auto refused = busy()) return *refused;
    const std::int32_t count = input ? m_state->MatrixInputNum() : m_state->MatrixOutputNum();
    if (port < 0 || port >= count) return Outcome::refused(Refusal::OutOfRange);
    if (std::any_of(text.begin(), text.end(), [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte < 0x20 || byte == 0x7F;
        }))
        return Outcome::refused(Refusal::BadName);
    const auto names = [&]() -> const std::vector<std::string>& {
        return input ? m_state->InputNames() : m_state->OutputNames();
    };
    if (entry == NameEntry::Typing) {
        if (m_nameEdit && (m_nameEdit->input != input || m_nameEdit->port != port))
            finishNameEdit();
        if (!m_nameEdit)
            m_nameEdit = NameEdit{input, port, names()[static_cast<std::size_t>(port)], owner};
        const std::uint64_t edit = ++m_nameEditKeys;
        later(kNameEditPause, [this, edit] {
            if (m_nameEditKeys == edit) finishNameEdit();
        });
    }
    StepScope step(*this, owner);
    text = fieldText(std::move(text));
    if (entry == NameEntry::Whole) labelStep(input, port, text);
    if (input) {
        m_state->setInputName(port, std::move(text));
        m_state->MatrixInputEditEnable = true;
    } else {
        m_state->setOutputName(port, std::move(text));
        m_state->MatrixOutputEditEnable = true;
    }
    return {};
}

void MatrixSession::labelStep(bool input, std::int32_t port, const std::string& text) {
    m_step.entry.action = journal::kLabel;
    m_step.entry.kind = input ? journal::kInputPort : journal::kOutputPort;
    m_step.entry.port = port;
    m_step.entry.text = text;
}

void MatrixSession::finishNameEdit() {
    if (!m_nameEdit) return;
    if (m_step.depth > 0 || !m_state) return journalNameEdit();
    StepScope step(*this, m_nameEdit->origin);  // a failed write is noted
    journalNameEdit();
}

void MatrixSession::journalNameEdit() {
    if (!m_nameEdit) return;
    const NameEdit edit = std::move(*m_nameEdit);
    m_nameEdit.reset();
    if (!m_state) return;
    const auto& names = edit.input ? m_state->InputNames() : m_state->OutputNames();
    const std::string& name = names.at(static_cast<std::size_t>(edit.port));
    if (name == edit.before) return;
    JournalEntry entry;
    entry.action = journal::kLabel;
    entry.kind = edit.input ? journal::kInputPort : journal::kOutputPort;
    entry.port = edit.port;
    entry.text = name;
    entry.origin = edit.origin;
    appendJournal(std::move(entry));
}

}  // namespace mc
