#include "config/IniParse.h"

#include <utility>

namespace mc {

namespace {

constexpr std::string_view kBlanks = " \t\v";

bool isQuote(char c) {
    return c == '"' || c == '\'';
}

// Files the program writes: UTF-8 without a mark; every line as it is.
const IniLineCodec& utf8Codec() {
    static const IniLineCodec codec(IniCharset::Utf8);
    return codec;
}

// Adds one line to the end of the document.
void appendLine(IniDocument& document, IniLine line) {
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

IniDocument parseLines(std::string_view bytes, const IniEncoding& encoding,
                       const IniLineCodec& codec) {
    IniDocument document;
    document.encoding = encoding;
    bool eolSeen = false;
    while (!bytes.empty()) {
        std::string_view content;
        const std::string_view eol = codec.takeLine(bytes, content);
        if (!eolSeen && !eol.empty()) {
            document.eol = eol;
            eolSeen = true;
        }
        if (codec.roundTripsAsIs(content)) {
            appendLine(document, classifyIniLine(std::string(content), eol));
        } else {
            IniLine line = classifyIniLine(codec.decode(content), eol);
            line.original = std::string(content);
            appendLine(document, std::move(line));
        }
    }
    return document;
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

std::string_view iniValueAsRead(std::string_view text) {
    std::string_view value = trimBlanks(text);
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

std::string iniValueText(std::string_view value) {
    if (iniValueAsRead(value) == value) return std::string(value);
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted += '"';
    quoted += value;
    quoted += '"';
    return quoted;
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
        line.value = std::string(iniValueAsRead(content.substr(equals + 1)));
    }
    line.text = std::move(text);
    return line;
}

IniDocument parseIniBytes(std::string_view bytes) {
    const IniEncoding encoding = detectIniEncoding(bytes);
    bytes.remove_prefix(iniBom(encoding).size());
    if (encoding.charset == IniCharset::Utf8) return parseLines(bytes, encoding, utf8Codec());
    const IniLineCodec codec(encoding.charset);
    std::string_view tail;
    if (bytes.size() % codec.unitSize() != 0) {
        tail = bytes.substr(bytes.size() - 1);
        bytes.remove_suffix(1);
    }
    IniDocument document = parseLines(bytes, encoding, codec);
    document.tail = std::string(tail);
    return document;
}

IniDocument parseIniText(std::string_view text) {
    return parseLines(text, IniEncoding{}, utf8Codec());
}

std::optional<std::string> serializeIni(const IniDocument& document) {
    std::size_t size = 4;
    const auto measure = [&size](const IniLine& line) {
        size += (line.original ? line.original->size() : line.text.size()) + 2;
    };
    for (const IniLine& line : document.preamble)
        measure(line);
    for (const IniSection& section : document.sections) {
        measure(section.header);
        for (const IniLine& line : section.body)
            measure(line);
    }

    const bool utf8 = document.encoding.charset == IniCharset::Utf8;
    std::optional<IniLineCodec> ownCodec;
    if (!utf8) ownCodec.emplace(document.encoding.charset);
    const IniLineCodec& codec = utf8 ? utf8Codec() : *ownCodec;
    // Line ends in the file's encoding, encoded once.
    std::string eols[4];
    const std::string_view eolTexts[4] = {"", "\n", "\r\n", "\r"};
    for (std::size_t k = 0; k < 4; ++k) {
        std::optional<std::string> encoded = codec.encode(eolTexts[k]);
        if (!encoded) return std::nullopt;
        eols[k] = std::move(*encoded);
    }
    const auto eolBytes = [&](std::string_view eol) -> const std::string& {
        return eols[eol == "\n" ? 1 : eol == "\r\n" ? 2 : eol == "\r" ? 3 : 0];
    };

    std::string bytes;
    bytes.reserve(utf8 ? size : size * 2);
    bytes += iniBom(document.encoding);
    bool ok = true;
    std::string_view previousEol;
    const auto append = [&](const IniLine& line) {
        const bool empty = line.original ? line.original->empty() : line.text.empty();
        // After a CR, an empty line ending in LF would read as part of a CRLF
        // (only where erasing a section brought the two together).
        std::string_view eol = line.eol;
        if (previousEol == "\r" && empty && eol == "\n") eol = "\r\n";
        previousEol = eol;
        if (line.original) {
            bytes += *line.original;
        } else if (utf8) {
            bytes += line.text;
        } else if (std::optional<std::string> encoded = codec.encode(line.text)) {
            bytes += *encoded;
        } else {
            ok = false;
        }
        bytes += eolBytes(eol);
    };
    for (const IniLine& line : document.preamble)
        append(line);
    for (const IniSection& section : document.sections) {
        append(section.header);
        for (const IniLine& line : section.body)
            append(line);
    }
    if (!ok) return std::nullopt;
    bytes += document.tail;
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
