#include "JsonText.h"

#include <cstdio>

namespace mc::sim {

std::string jsonQuoted(const std::string& text) {
    std::string out = "\"";
    for (char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", byte);
            out += escaped;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string joinJson(const std::vector<std::string>& values) {
    std::string out;
    for (const auto& value : values) {
        out += (out.empty() ? "" : ",") + value;
    }
    return out;
}

void JsonObject::raw(const std::string& key, const std::string& json) {
    m_members += (m_members.empty() ? "" : ",") + jsonQuoted(key) + ":" + json;
}

void JsonObject::string(const std::string& key, const std::string& value) {
    raw(key, jsonQuoted(value));
}

void JsonObject::strings(const std::string& key, const std::vector<std::string>& values) {
    std::vector<std::string> quoted;
    for (const auto& value : values) {
        quoted.push_back(jsonQuoted(value));
    }
    raw(key, "[" + joinJson(quoted) + "]");
}

void JsonObject::integer(const std::string& key, long long value) {
    raw(key, std::to_string(value));
}

void JsonObject::integers(const std::string& key, const std::vector<int>& values) {
    std::vector<std::string> texts;
    for (int value : values) {
        texts.push_back(std::to_string(value));
    }
    raw(key, "[" + joinJson(texts) + "]");
}

void JsonObject::number(const std::string& key, double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    raw(key, text);
}

void JsonObject::boolean(const std::string& key, bool value) {
    raw(key, value ? "true" : "false");
}

void JsonObject::null(const std::string& key) {
    raw(key, "null");
}

}  // namespace mc::sim
