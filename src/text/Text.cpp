#include "text/Text.h"

#include <utility>
#include <vector>

namespace mc {

namespace {

Translator& installed() {
    static Translator translator;
    return translator;
}

}  // namespace

void setTranslator(Translator translator) {
    installed() = std::move(translator);
}

std::string translated(const char* context, const char* text) {
    const Translator& translator = installed();
    return translator ? translator(context, text) : std::string(text);
}

std::string formatText(std::string_view text, std::initializer_list<std::string_view> arguments) {
    const std::vector<std::string_view> args(arguments);
    std::string out;
    out.reserve(text.size());
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text[k] == '%' && k + 1 < text.size() && text[k + 1] >= '1' && text[k + 1] <= '9') {
            const auto n = static_cast<std::size_t>(text[k + 1] - '1');
            if (n < args.size()) {
                out += args[n];
                ++k;
                continue;
            }
        }
        out += text[k];
    }
    return out;
}

}  // namespace mc
