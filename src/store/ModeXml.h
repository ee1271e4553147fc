#pragma once

// Internal to the store's .cpp files (never included by a header): the whole
// MatrixMode.xml as a pugixml document, with the file's encoding, so that it
// is written back as it was read. See ModeStore.h for the rules.

#include <pugixml.hpp>
#include <string>
#include <string_view>

#include "store/XmlText.h"

namespace mc {

class ModeDocument {
public:
    // Loads the file. A missing file gives the default document (declaration
    // and empty root element), written to disk only by save() or
    // createIfMissing(). Throws ModeFileError for a file that cannot be read,
    // decoded or parsed, or that has no root element.
    explicit ModeDocument(std::string path);
    ModeDocument(const ModeDocument&) = delete;
    ModeDocument& operator=(const ModeDocument&) = delete;

    pugi::xml_node root() const { return m_document.document_element(); }

    // Writes the default document when the file was missing; a failure is
    // ignored (the reading operations create the file only as a courtesy).
    void createIfMissing() const;

    // Serialises the document in the file's encoding and replaces the file
    // atomically. Throws ModeFileError when a character cannot be encoded,
    // FileWriteError when the file cannot be written.
    void save() const;

private:
    std::string serialise() const;

    std::string m_path;
    // The UTF-8 text the document was parsed from in place; it lives as long
    // as the document, which points into it.
    std::string m_text;
    pugi::xml_document m_document;
    XmlFileEncoding m_encoding;
    bool m_missing = false;
};

// The first child element of parent named name, or a null node.
pugi::xml_node firstChildElement(pugi::xml_node parent, std::string_view name);

// The text of a file that does not exist yet.
extern const char* const kDefaultModeFile;

}  // namespace mc
