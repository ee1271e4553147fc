#include "config/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "config/IniEncoding.h"
#include "config/IniParse.h"
#include "text/Text.h"

namespace mc {

namespace {

// Longest string a read returns, in bytes.
constexpr std::size_t kMaxValueBytes = 2047;

// Largest file loaded. Real files are a few kilobytes; the status-file dialog
// accepts any file, and a film or disk image must not be read into memory.
constexpr off_t kMaxFileBytes = 16 * 1024 * 1024;

enum class LoadResult { Missing, Loaded, Unreadable };

std::string sizeText(off_t bytes) {
    return std::to_string(bytes / (1024 * 1024)) + " MiB";
}

// Reads a whole regular file. A path that names nothing (or runs through a
// regular file) is Missing; anything else that cannot be read, and a file
// larger than kMaxFileBytes, is Unreadable, with the reason in `reason`.
LoadResult readWholeFile(const std::string& path, std::string& bytes, std::string& reason) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return LoadResult::Missing;
        reason = std::strerror(errno);
        return LoadResult::Unreadable;
    }
    struct stat info {};
    LoadResult result = LoadResult::Unreadable;
    if (::fstat(fd, &info) != 0) {
        reason = std::strerror(errno);
    } else if (S_ISDIR(info.st_mode)) {
        reason = translated("IniFile", "是一个文件夹");
    } else if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) {
        reason = translated("IniFile", "是管道或套接字，不是普通文件");
    } else if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) {
        reason = translated("IniFile", "是设备，不是普通文件");
    } else if (!S_ISREG(info.st_mode)) {
        reason = translated("IniFile", "不是普通文件");
    } else if (info.st_size > kMaxFileBytes) {
        reason = formatText(translated("IniFile", "超过 %1 的大小上限"), {sizeText(kMaxFileBytes)});
    } else {
        result = LoadResult::Loaded;
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                reason = std::strerror(errno);
                result = LoadResult::Unreadable;
            }
            if (got <= 0) break;
            bytes.append(buffer, static_cast<std::size_t>(got));
            if (bytes.size() > static_cast<std::size_t>(kMaxFileBytes)) {
                // Grown while being read.
                reason = formatText(translated("IniFile", "超过 %1 的大小上限"),
                                    {sizeText(kMaxFileBytes)});
                result = LoadResult::Unreadable;
                break;
            }
        }
    }
    ::close(fd);
    if (result != LoadResult::Loaded) bytes.clear();
    return result;
}

// Text handed in for writing: valid UTF-8 on one line.
std::string cleanText(std::string_view text) {
    std::string clean = sanitizeUtf8(text);
    for (char& c : clean) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return clean;
}

std::string cleanName(std::string_view name) {
    return std::string(trimBlanks(cleanText(name)));
}

std::string_view withoutTrailingSpaces(std::string_view text) {
    const auto last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

bool isEmptyLfLine(const IniLine& line) {
    const bool empty = line.original ? line.original->empty() : line.text.empty();
    return empty && line.eol == "\n";
}

// Gives a line that ends the file a line end before something follows it.
void endLine(IniLine& line, std::string_view eol) {
    if (line.eol.empty()) line.eol = eol;
}

}  // namespace

IniWriteError::IniWriteError(const std::string& path, std::string reason)
    : FileWriteError(path, std::move(reason)) {}

struct IniFile::Impl {
    std::string path;
    IniDocument document;
    // Not empty: the file exists but could not be read (why): never replace it.
    std::string loadError;
    bool dirty = false;

    const IniLine* findKey(std::string_view section, std::string_view key) const {
        const IniSection* found = document.findSection(cleanName(section));
        if (found == nullptr) return nullptr;
        const auto line = found->keys.find(foldAsciiCase(cleanName(key)));
        return line == found->keys.end() ? nullptr : &found->body[line->second];
    }

    IniSection& sectionForWriting(const std::string& name) {
        if (IniSection* found = document.findSection(name)) return *found;
        if (IniLine* last = document.lastLine()) endLine(*last, document.eol);
        IniSection section;
        section.header = classifyIniLine("[" + name + "]", document.eol);
        // Indexed under the name a later read of the file would see.
        document.sectionIndex.try_emplace(foldAsciiCase(section.header.name),
                                          document.sections.size());
        return document.sections.emplace_back(std::move(section));
    }
};

IniFile::IniFile(std::string path) : m_impl(std::make_unique<Impl>()) {
    m_impl->path = std::move(path);
    std::string bytes;
    std::string reason;
    const LoadResult loaded = readWholeFile(m_impl->path, bytes, reason);
    if (loaded == LoadResult::Unreadable)
        m_impl->loadError = reason.empty() ? translated("IniFile", "无法读取") : reason;
    if (loaded != LoadResult::Loaded) return;
    m_impl->document = parseIniBytes(bytes);
}

IniFile::IniFile(std::string path, std::string_view bytes) : m_impl(std::make_unique<Impl>()) {
    m_impl->path = std::move(path);
    m_impl->document = parseIniBytes(bytes);
}

IniFile::~IniFile() = default;

const std::string& IniFile::path() const {
    return m_impl->path;
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    const IniLine* line = m_impl->findKey(section, key);
    const std::string_view value =
        line != nullptr ? std::string_view(line->value) : withoutTrailingSpaces(defaultValue);
    return std::string(utf8Prefix(value, kMaxValueBytes));
}

std::int32_t IniFile::readInteger(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue) const {
    const IniLine* line = m_impl->findKey(section, key);
    if (line == nullptr) return defaultValue;
    return parseIniInteger(utf8Prefix(line->value, kMaxValueBytes)).value_or(defaultValue);
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    IniDocument& document = m_impl->document;
    IniSection& target = m_impl->sectionForWriting(cleanName(section));
    const std::string name = cleanName(key);
    // Quoted when reading would lose surrounding blanks or a pair of quotes.
    const std::string text = iniValueText(cleanText(value));

    const auto existing = target.keys.find(foldAsciiCase(name));
    if (existing != target.keys.end()) {
        IniLine& line = target.body[existing->second];
        std::string rewritten = line.name + "=" + text;  // keeps the file's spelling
        // Writing the value a line already holds changes nothing, so the file
        // is not rewritten for it (the start-up write-back of the layer).
        if (rewritten == line.text) return;
        const std::string_view eol = line.eol.empty() ? document.eol : line.eol;
        line = classifyIniLine(std::move(rewritten), eol);
    } else {
        const std::size_t at = target.keyEnd;
        IniLine& before = at == 0 ? target.header : target.body[at - 1];
        endLine(before, document.eol);
        // A CR followed by an empty line that ends in LF would read as one
        // CRLF, and that line would be lost; the line before it was followed
        // by that line already, so its line end is safe there.
        std::string_view eol = document.eol;
        if (eol == "\r" && at < target.body.size() && isEmptyLfLine(target.body[at]))
            eol = before.eol;
        IniLine line = classifyIniLine(name + "=" + text, eol);
        if (line.kind != IniLineKind::Key || line.name != name)
            throw std::invalid_argument("not a storable INI key name: " + name);
        target.keys.try_emplace(foldAsciiCase(line.name), at);
        target.keyEnd = at + 1;
        target.body.insert(target.body.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
    }
    m_impl->dirty = true;
}

void IniFile::writeInteger(std::string_view section, std::string_view key, std::int32_t value) {
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

std::vector<std::string> IniFile::sections() const {
    std::vector<std::string> names;
    names.reserve(m_impl->document.sections.size());
    for (const IniSection& section : m_impl->document.sections)
        names.push_back(section.header.name);
    return names;
}

void IniFile::eraseSection(std::string_view section) {
    IniDocument& document = m_impl->document;
    IniSection* found = document.findSection(cleanName(section));
    if (found == nullptr) return;
    const auto index = static_cast<std::size_t>(found - document.sections.data());
    // Comment and blank lines stay where they are, now after the lines before
    // the erased header.
    std::vector<IniLine>& before =
        index == 0 ? document.preamble : document.sections[index - 1].body;
    for (IniLine& line : found->body) {
        if (line.kind == IniLineKind::Comment || line.kind == IniLineKind::Blank)
            before.push_back(std::move(line));
    }
    document.sections.erase(document.sections.begin() + static_cast<std::ptrdiff_t>(index));
    document.reindexSections();
    m_impl->dirty = true;
}

const std::string& IniFile::loadError() const {
    return m_impl->loadError;
}

std::optional<std::string> IniFile::bytes() const {
    return serializeIni(m_impl->document);
}

bool IniFile::dirty() const {
    return m_impl->dirty;
}

void IniFile::commit() {
    if (!m_impl->dirty) return;
    if (!m_impl->loadError.empty())
        throw IniWriteError(m_impl->path, "the existing file cannot be read: " + m_impl->loadError);
    const std::optional<std::string> bytes = serializeIni(m_impl->document);
    if (!bytes) throw IniWriteError(m_impl->path, "no GB18030 converter on this system");
    try {
        writeFileAtomically(m_impl->path, *bytes);
    } catch (const FileWriteError& error) {
        throw IniWriteError(m_impl->path, error.reason());
    }
    m_impl->dirty = false;
}

std::string iniReadString(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view defaultValue) {
    return IniFile(path).readString(section, key, defaultValue);
}

std::int32_t iniReadInteger(const std::string& path, std::string_view section, std::string_view key,
                            std::int32_t defaultValue) {
    return IniFile(path).readInteger(section, key, defaultValue);
}

bool iniReadBool(const std::string& path, std::string_view section, std::string_view key,
                 bool defaultValue) {
    return IniFile(path).readBool(section, key, defaultValue);
}

void iniWriteString(const std::string& path, std::string_view section, std::string_view key,
                    std::string_view value) {
    IniFile file(path);
    file.writeString(section, key, value);
    file.commit();
}

void iniWriteInteger(const std::string& path, std::string_view section, std::string_view key,
                     std::int32_t value) {
    IniFile file(path);
    file.writeInteger(section, key, value);
    file.commit();
}

void iniWriteBool(const std::string& path, std::string_view section, std::string_view key,
                  bool value) {
    IniFile file(path);
    file.writeBool(section, key, value);
    file.commit();
}

std::vector<std::string> iniSections(const std::string& path) {
    return IniFile(path).sections();
}

void iniEraseSection(const std::string& path, std::string_view section) {
    IniFile file(path);
    file.eraseSection(section);
    file.commit();
}

}  // namespace mc
