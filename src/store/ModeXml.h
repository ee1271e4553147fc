#pragma once

// Internal to the store's .cpp files and the fuzz targets (never included by
// a public header): the whole MatrixMode.xml as a pugixml document, with the
// file's encoding, so that it is written back as it was read. See ModeStore.h
// for the rules.

#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "store/ModeStore.h"
#include "store/SwitchNode.h"
#include "store/XmlText.h"

namespace mc {

class ModeDocument {
public:
    // Loads the file. A missing file gives the default document (declaration
    // and empty root element), written to disk only by save() or
    // createIfMissing(). Throws ModeFileError for a file that cannot be read,
    // decoded or parsed, that has no root element, or whose XML declaration
    // is not the document's first node or not the only one.
    explicit ModeDocument(std::string path);
    // The same from bytes in memory, as if path held them.
    ModeDocument(std::string path, std::string bytes);
    ModeDocument(const ModeDocument&) = delete;
    ModeDocument& operator=(const ModeDocument&) = delete;

    pugi::xml_node root() const { return m_document.document_element(); }
    const XmlFileEncoding& encoding() const { return m_encoding; }

    // Writes the default document when the file was missing; a failure is
    // ignored (the reading operations create the file only as a courtesy).
    void createIfMissing() const;

    // The document in the file's encoding. Throws ModeFileError when a
    // character cannot be encoded.
    std::string serialise() const;
    // Reads bytes back (from memory) by the rules every read uses and throws
    // ModeFileError unless they give this document's encoding and modes.
    void verifySerialised(const std::string& bytes) const;
    // serialise, verifySerialised, then replaces the file atomically. Throws
    // ModeFileError (the file is then untouched), FileWriteError.
    void save() const;

private:
    void load(std::string bytes);

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

// The modes as the program reads them: for every child element of the root
// in document order its name and, for each of its child elements, the values
// of InputPort and OutputPort (nothing when missing or not an integer).
std::vector<ModeData> readModes(const ModeDocument& document);

// Replaces the content of the mode elementName (the root's first child
// element of that name, else a new last child) by SwitchNode1.. for nodes.
void putMode(pugi::xml_node root, const std::string& elementName, const std::vector<Node>& nodes);

// The text of a file that does not exist yet.
extern const char* const kDefaultModeFile;

}  // namespace mc
