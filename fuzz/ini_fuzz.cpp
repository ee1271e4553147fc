// libFuzzer target of the INI layer. The input is a file's bytes; its last
// bytes choose one write (section, key and value from small tables of names
// and values that make trouble). Properties:
// - reading and writing back without a change gives the file byte for byte;
// - every string read is valid UTF-8 of at most 2047 bytes;
// - after the write, every line of the file except the one the write
//   replaces is in the new file, byte for byte and in order; at most two
//   lines are added (a section header and the key); an odd last byte of a
//   UTF-16 file stays the last byte;
// - the written value reads back as written (line breaks as spaces, invalid
//   UTF-8 as U+FFFD, at most 2047 bytes), unless the section name holds ']';
// - the new file, read again, gives what the written document gave, unless
//   the write changed the file's encoding (a GBK file whose last invalid
//   UTF-8 line was replaced reads as UTF-8 afterwards, by the detection rule).

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "config/IniEncoding.h"
#include "config/IniFile.h"
#include "config/IniParse.h"

namespace {

const char* const kSections[] = {"A", "S",   "s",   "会议室",     "Matrix Message",
                                 "",  " B ", "a]b", "SwitchNode1"};
const char* const kKeys[] = {"k", "K", "x", "名称", "MatrixInputNum", "", " k ", "#h", ";c", "[k"};

std::string value(std::uint8_t choice) {
    switch (choice % 10) {
        case 0:
            return "v";
        case 1:
            return "  a b  ";
        case 2:
            return "\"q\"";
        case 3:
            return "a\r\nb";
        case 4:
            return "\xFF\xC0";
        case 5:
            return "会议";
        case 6:
            return std::string(3000, 'x');
        case 7:
            return "\xF0\x9F\x98\x80";
        case 8:
            return "'s' ";
        default:
            return "";
    }
}

struct RawLine {
    std::string_view content;
    std::string_view eol;
};

std::vector<RawLine> rawLines(std::string_view bytes) {
    const mc::IniEncoding encoding = mc::detectIniEncoding(bytes);
    bytes.remove_prefix(mc::iniBom(encoding).size());
    const mc::IniLineCodec codec(encoding.charset);
    if (bytes.size() % codec.unitSize() != 0) bytes.remove_suffix(1);  // the tail
    std::vector<RawLine> lines;
    while (!bytes.empty()) {
        RawLine line;
        line.eol = codec.takeLine(bytes, line.content);
        lines.push_back(line);
    }
    return lines;
}

void dumpLines(const char* label, const std::vector<RawLine>& lines) {
    std::fprintf(stderr, "%s:\n", label);
    for (const RawLine& line : lines) {
        for (const char c : line.content)
            std::fprintf(stderr, "%02x", static_cast<unsigned char>(c));
        std::fprintf(stderr, " eol %zu\n", line.eol.size());
    }
}

// The original bytes of the line a write of key in section replaces, if any.
const mc::IniLine* replacedLine(const mc::IniDocument& document, const std::string& section,
                                const std::string& key) {
    const std::string name(mc::trimBlanks(section));
    const mc::IniSection* found = document.findSection(name);
    if (found == nullptr) return nullptr;
    const auto line = found->keys.find(mc::foldAsciiCase(mc::trimBlanks(key)));
    return line == found->keys.end() ? nullptr : &found->body[line->second];
}

void checkReads(const mc::IniFile& file, const std::string& section, const std::string& key) {
    for (const std::string& name : file.sections())
        MC_FUZZ_CHECK(mc::isValidUtf8(name));
    const std::string read = file.readString(section, key, "default  ");
    MC_FUZZ_CHECK(mc::isValidUtf8(read) && read.size() <= 2047);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::string section =
        kSections[provider.ConsumeIntegralInRange<std::size_t>(0, std::size(kSections) - 1)];
    const std::string key =
        kKeys[provider.ConsumeIntegralInRange<std::size_t>(0, std::size(kKeys) - 1)];
    const std::string text = value(provider.ConsumeIntegral<std::uint8_t>());
    const std::string bytes = provider.ConsumeRemainingBytesAsString();

    mc::IniFile file("fuzz.con", bytes);
    MC_FUZZ_CHECK(file.bytes() == bytes);
    checkReads(file, section, key);

    const mc::IniDocument before = mc::parseIniBytes(bytes);
    const mc::IniLine* replaced = replacedLine(before, section, key);
    try {
        file.writeString(section, key, text);
    } catch (const std::invalid_argument&) {
        return 0;  // a key name no line can hold
    }
    const std::optional<std::string> after = file.bytes();
    MC_FUZZ_CHECK(after.has_value());
    checkReads(file, section, key);
    if (section.find(']') == std::string::npos) {
        std::string written = mc::sanitizeUtf8(text);
        for (char& c : written)
            if (c == '\r' || c == '\n') c = ' ';
        MC_FUZZ_CHECK(file.readString(section, key, "d") == mc::utf8Prefix(written, 2047));
    }

    // Untouched lines, in order, byte for byte.
    const std::vector<RawLine> in = rawLines(bytes);
    const std::vector<RawLine> out = rawLines(*after);
    const std::string_view replacedBytes =
        replaced == nullptr ? std::string_view{}
                            : (replaced->original ? std::string_view(*replaced->original)
                                                  : std::string_view(replaced->text));
    bool skippedReplaced = false;
    std::size_t j = 0;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const bool last = i + 1 == in.size();
        if (!skippedReplaced && replaced != nullptr && in[i].content == replacedBytes) {
            // It may be rewritten in place, or stay (the same value).
            if (j < out.size() && out[j].content != in[i].content) {
                skippedReplaced = true;
                ++j;
                continue;
            }
        }
        while (j < out.size() && !(out[j].content == in[i].content &&
                                   (out[j].eol == in[i].eol || (last && in[i].eol.empty()))))
            ++j;
        if (j >= out.size()) {
            dumpLines("before", in);
            dumpLines("after", out);
            std::fprintf(stderr, "write [%s] %s = %s; line %zu missing\n", section.c_str(),
                         key.c_str(), text.c_str(), i);
        }
        MC_FUZZ_CHECK(j < out.size());
        ++j;
    }
    MC_FUZZ_CHECK(out.size() <= in.size() + 2);
    MC_FUZZ_CHECK(mc::parseIniBytes(*after).tail == before.tail);

    // Read again from its bytes, the file reads as the document did.
    const mc::IniFile again("fuzz.con", *after);
    if (mc::detectIniEncoding(*after).charset == mc::detectIniEncoding(bytes).charset ||
        bytes.empty()) {
        MC_FUZZ_CHECK(again.sections() == file.sections());
        MC_FUZZ_CHECK(again.readString(section, key, "d") == file.readString(section, key, "d"));
        for (const std::string& name : file.sections()) {
            MC_FUZZ_CHECK(again.readString(name, key, "d") == file.readString(name, key, "d"));
        }
    }
    MC_FUZZ_CHECK(again.bytes() == *after);
    return 0;
}
