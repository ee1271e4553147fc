#pragma once

// Matrix modes: named switching presets kept in MatrixMode.xml
// (AppPaths::modeFile()).
//
// File format. Every child element of the root is one mode, named "Mode" +
// the mode name (the mode 会议 is the element Mode会议). A mode element holds
// one child element per selected cell in node order (output 0.., within an
// output input 0..MatrixInputNum, the close cell last), written as
// SwitchNode1, SwitchNode2, ..., each holding first <InputPort> (the input
// index, or MatrixInputNum for a closed output) and then <OutputPort> (the
// output index), decimal. On reading, the node elements' names are not looked
// at: every child element of the mode, in document order, is a node, and its
// InputPort and OutputPort children are found by name. An empty mode element
// is a mode with nothing selected.
//
// Every operation loads the file afresh and keeps nothing. A missing file is
// created with an XML declaration (UTF-8) and an empty root element
// <MatrixMode/>; the reading operations (listModes, readModes, readMode) create it as
// well but ignore a failure to do so. The root's name, the declaration, the
// encoding and other content (comments, processing instructions, attributes)
// are kept when the file is written back; whitespace between elements is
// re-indented. One rule decides the encoding for reading and for writing
// (decodeXmlBytes in XmlText.h): a byte-order mark (UTF-16 either order,
// UTF-8) decides; otherwise the XML declaration at the start of the file,
// after whitespace only: GBK, GB2312 or GB18030 (any case) are read as
// GB18030 and written back in that encoding (GB2312 as its superset GBK);
// UTF-8 or no declaration is UTF-8. Any other declared encoding (UTF-7,
// Big5, ...) is refused, mark or not; so is a declaration that is not the
// document's first node or not its only one.
//
// Every write is read back from memory by that rule before the file is
// replaced (atomically, writeFileAtomically); when it does not give the same
// encoding, root and modes, the file is left as it was and ModeFileError is
// thrown. So a save never makes the file unreadable.
//
// A file that cannot be read or parsed (malformed XML, no root element, bytes
// invalid in its encoding, an encoding not listed above) is never written:
// the operation throws ModeFileError before anything in memory or on disk has
// changed. UI-thread use only; no pugixml type appears here.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "store/SwitchNode.h"

namespace mc {

// MatrixMode.xml could not be read, parsed or encoded. what() names the file
// and, for a parse error, the line, column and reason, e.g.
// "矩阵模式文件 /x/MatrixMode.xml 有误（第 3 行，第 7 列）：Start-end tags mismatch".
class ModeFileError : public std::runtime_error {
public:
    ModeFileError(std::string path, std::int32_t line, std::int32_t column, std::string reason);
    // No position (line and column 0): the file as a whole.
    ModeFileError(std::string path, std::string reason);

    const std::string& path() const { return m_path; }
    std::int32_t line() const { return m_line; }      // 1-based; 0 when not known
    std::int32_t column() const { return m_column; }  // 1-based, in characters; 0 when not known
    const std::string& reason() const { return m_reason; }

private:
    std::string m_path;
    std::int32_t m_line = 0;
    std::int32_t m_column = 0;
    std::string m_reason;
};

// One node of a mode as the file holds it.
struct ModeNodeData {
    std::optional<std::int32_t> input;   // InputPort; nothing when missing or not an integer
    std::optional<std::int32_t> output;  // OutputPort; likewise

    bool operator==(const ModeNodeData&) const = default;
};

// One child element of the root: a mode.
struct ModeData {
    std::string element;  // the element name: "Mode" + the mode name
    std::vector<ModeNodeData> nodes;

    bool operator==(const ModeData&) const = default;
};

// The element name of the mode a combo-box item (or a dialog entry) names.
inline std::string modeElementName(const std::string& modeName) {
    return "Mode" + modeName;
}

class ModeStore {
public:
    explicit ModeStore(std::string path);

    const std::string& path() const { return m_path; }

    // The combo-box items: for every child element of the root in document
    // order its name without the first four characters (whatever they are:
    // "Preset1" gives "et1"; a name of four characters or fewer gives "").
    // Throws ModeFileError.
    std::vector<std::string> listModes() const;

    // Every child element of the root in document order with its nodes, as
    // readMode reads them. Throws ModeFileError.
    std::vector<ModeData> readModes() const;

    // The nodes of the mode elementName: every node of the root's first child
    // element of that name (none: an empty mode) in document order. Nodes
    // with a missing, empty or unparsable InputPort or OutputPort are counted
    // in `unreadable`; whether the others lie inside the matrix is for the
    // caller to check. Port texts may carry surrounding whitespace and use the
    // configuration files' integer syntax. Port names are not part of a mode.
    // Throws ModeFileError.
    struct ModeNodes {
        std::vector<Node> nodes;
        int unreadable = 0;
        bool found = false;  // the file has a mode of that name
    };
    ModeNodes readMode(const std::string& elementName) const;

    // Stores `nodes` (in node order) as the mode elementName: the root's first
    // child element of that name, or a new one appended as the root's last
    // child; all its children are replaced by SwitchNode1.. . Throws
    // std::invalid_argument (with modeNameProblem's message) for an element
    // name that is not "Mode" + a valid mode name, ModeFileError for a file
    // that cannot be read or parsed or a name the file's encoding cannot hold,
    // FileWriteError when the file cannot be written.
    void saveMode(const std::string& elementName, const std::vector<Node>& nodes) const;

    // Removes the root's first child element named elementName and writes the
    // file back. Returns false when there is none; the file is then not
    // written (a missing one is created, as by the readers).
    // Throws ModeFileError, FileWriteError.
    bool deleteMode(const std::string& elementName) const;

    // The configuration dialog's apply: removes every child of the root and
    // writes the file back; the root element and the declaration stay.
    // Throws ModeFileError, FileWriteError.
    void removeAllModes() const;

private:
    std::string m_path;
};

}  // namespace mc
