#pragma once

// Just enough JSON writing for the simulated switcher's output lines.

#include <string>
#include <vector>

namespace mc::sim {

// The text as a JSON string literal, quotes included. UTF-8 passes through.
std::string jsonQuoted(const std::string& text);
// Comma-separated.
std::string joinJson(const std::vector<std::string>& values);

// An object built member by member, in the order of the calls.
class JsonObject {
public:
    void string(const std::string& key, const std::string& value);
    void strings(const std::string& key, const std::vector<std::string>& values);
    void integer(const std::string& key, long long value);
    void integers(const std::string& key, const std::vector<int>& values);
    void number(const std::string& key, double value, int decimals);
    void boolean(const std::string& key, bool value);
    void null(const std::string& key);
    // `json` must already be valid JSON.
    void raw(const std::string& key, const std::string& json);

    std::string text() const { return "{" + m_members + "}"; }

private:
    std::string m_members;
};

}  // namespace mc::sim
