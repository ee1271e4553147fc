#include "config/IniParse.h"

#include <utility>

namespace mc {

namespace {

constexpr std::string_view kBlanks = " \t\v";

bool isQuote(char c) {
    return c == '"' || c == '\'';
}

// Splits off the first line of text; returns its line end ("" at the end of
// text without one) as a view of static storage.
std::string_view takeLine(std::string_view& text, std::string_view& line) {
    const auto end = text.find_first_of("\r\n");
    if (end == std::string_view::npos) {
        line = text;
        text = {};
        return "";
    }
    line = text.substr(0, end);
    std::string_view eol = "\n";
    if (text[end] == '\r') eol = (end + 1 < text.size() && text[end + 1] == '\n') ? "\r\n" : "\r";
    text.remove_prefix(end + eol.size());
    return eol;
}

}  // namespace

std::string_view trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

std::string foldAsciiCase(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

IniLine classifyIniLine(std::string text, std::string_view eol) {
    IniLine line;
    line.eol = eol;
    const std::string_view content = trimBlanks(text);
    if (content.empty()) {
        line.kind = IniLineKind::Blank;
    } else if (content.front() == '[') {
        line.kind = IniLineKind::Section;
        std::string_view name = content.substr(1);
        name = name.substr(0, name.find(']'));
        line.name = std::string(trimBlanks(name));
    } else if (content.front() == ';') {
        line.kind = IniLineKind::Comment;
    } else if (const auto equals = content.find('='); equals != std::string_view::npos) {
        line.kind = IniLineKind::Key;
        line.name = std::string(trimBlanks(content.substr(0, equals)));
        std::string_view value = trimBlanks(content.substr(equals + 1));
        if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        line.value = std::string(value);
    }
    line.text = std::move(text);
    return line;
}

IniDocument parseIniText(std::string_view text) {
    IniDocument document;
    bool eolSeen = false;
    while (!text.empty()) {
        std::string_view content;
        const std::string_view eol = takeLine(text, content);
        if (!eolSeen && !eol.empty()) {
            document.eol = eol;
            eolSeen = true;
        }
        IniLine line = classifyIniLine(std::string(content), eol);
        if (line.kind == IniLineKind::Section) {
            document.sectionIndex.try_emplace(foldAsciiCase(line.name), document.sections.size());
            IniSection& section = document.sections.emplace_back();
            section.header = std::move(line);
        } else if (document.sections.empty()) {
            document.preamble.push_back(std::move(line));
        } else {
            IniSection& section = document.sections.back();
            if (line.kind == IniLineKind::Key) {
                section.keys.try_emplace(foldAsciiCase(line.name), section.body.size());
                section.keyEnd = section.body.size() + 1;
            }
            section.body.push_back(std::move(line));
        }
    }
    return document;
}

std::string serializeIni(const IniDocument& document) {
    std::size_t size = 3;
    const auto measure = [&size](const IniLine& line) { size += line.text.size() + 2; };
    for (const IniLine& line : document.preamble)
        measure(line);
    for (const IniSection& section : document.sections) {
        measure(section.header);
        for (const IniLine& line : section.body)
            measure(line);
    }

    std::string bytes;
    bytes.reserve(size);
    if (document.hadBom) bytes += "\xEF\xBB\xBF";
    const auto append = [&bytes](const IniLine& line) {
        bytes += line.text;
        bytes += line.eol;
    };
    for (const IniLine& line : document.preamble)
        append(line);
    for (const IniSection& section : document.sections) {
        append(section.header);
        for (const IniLine& line : section.body)
            append(line);
    }
    return bytes;
}

IniSection* IniDocument::findSection(std::string_view name) {
    const auto found = sectionIndex.find(foldAsciiCase(name));
    return found == sectionIndex.end() ? nullptr : &sections[found->second];
}

const IniSection* IniDocument::findSection(std::string_view name) const {
    const auto found = sectionIndex.find(foldAsciiCase(name));
    return found == sectionIndex.end() ? nullptr : &sections[found->second];
}

IniLine* IniDocument::lastLine() {
    if (!sections.empty()) {
        IniSection& last = sections.back();
        return last.body.empty() ? &last.header : &last.body.back();
    }
    return preamble.empty() ? nullptr : &preamble.back();
}

void IniDocument::reindexSections() {
    sectionIndex.clear();
    for (std::size_t i = 0; i < sections.size(); ++i) {
        sectionIndex.try_emplace(foldAsciiCase(sections[i].header.name), i);
    }
}

}  // namespace mc
