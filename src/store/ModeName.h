#pragma once

// Which mode names the program accepts. A mode is stored as the XML element
// "Mode" + its name, so the name may hold only characters that XML allows in
// an element name after its first character (XML 1.0 NameChar, fifth
// edition): letters of every script (Chinese included), digits, '-', '.',
// '_', U+00B7 and combining marks. Blanks and other punctuation are refused,
// and so is ':' (it would make the element name a namespace prefix).

#include <optional>
#include <string>
#include <string_view>

namespace mc {

// nullopt when "Mode" + name (UTF-8) is a valid element name; otherwise the
// message the mode-name dialog shows, naming the first character refused.
// The empty name is valid here (the dialog refuses it with its own message).
std::optional<std::string> modeNameProblem(std::string_view name);

}  // namespace mc
