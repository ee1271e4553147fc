#pragma once

// The language the program speaks: Chinese, its own, or English. Chosen once
// at start, in this order:
//   1. --language zh|en on the command line;
//   2. the locale of the environment: the first of LC_ALL, LC_MESSAGES and
//      LANG that is set and not empty (as POSIX orders them); a locale
//      beginning with "en" (en_US.UTF-8, en_GB, en) is English;
//   3. everything else is Chinese, "C" and "POSIX" and no locale at all
//      included, so that nothing changes for today's users.
// The language changes only the texts a person reads, never a file, a section
// or key name, or what a file holds.

#include <optional>
#include <string>
#include <string_view>

namespace mc {

enum class Language { Chinese, English };

// "zh" or "en", as --language takes it; nothing for any other word.
std::optional<Language> parseLanguage(std::string_view word);

// What the choice is made from; fromEnvironment() fills it for this process.
struct LanguageInputs {
    std::optional<Language> given;  // --language
    std::string lcAll;              // "" when unset
    std::string lcMessages;
    std::string lang;

    static LanguageInputs fromEnvironment(std::optional<Language> given);
};

Language chooseLanguage(const LanguageInputs& inputs);

}  // namespace mc
