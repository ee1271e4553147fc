#include "text/Language.h"

#include <cstdlib>

namespace mc {

std::optional<Language> parseLanguage(std::string_view word) {
    if (word == "zh") return Language::Chinese;
    if (word == "en") return Language::English;
    return std::nullopt;
}

LanguageInputs LanguageInputs::fromEnvironment(std::optional<Language> given) {
    const auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value != nullptr ? value : "");
    };
    return {given, variable("LC_ALL"), variable("LC_MESSAGES"), variable("LANG")};
}

Language chooseLanguage(const LanguageInputs& inputs) {
    if (inputs.given) return *inputs.given;
    for (const std::string* locale : {&inputs.lcAll, &inputs.lcMessages, &inputs.lang}) {
        if (locale->empty()) continue;
        return locale->starts_with("en") ? Language::English : Language::Chinese;
    }
    return Language::Chinese;
}

}  // namespace mc
