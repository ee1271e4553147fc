#pragma once

// Matrix status files (*.ms): the whole crosspoint state (every selected
// crosspoint and closed output over all pages), the port counts, the device
// address and the port names of the lists in use, as an INI file read and
// written through the INI layer (config/IniFile.h).
//
// Layout of a file written under a new name, in this order:
//   [Matrix Message]
//   Matrix Address=<ActiveAddress>        (note the space; never read)
//   MatrixInputNum=<MatrixInputNum>
//   MatrixOutputNum=<MatrixOutputNum>
//   SwitchNodeNum=<k>
//   [SwitchNode1] ... [SwitchNode<k>]     one per selected cell in node order
//   I=<output>                            (output 0.., within an output input
//   J=<input, or MatrixInputNum = closed>  0..MatrixInputNum, close cell last)
//   [MatrixInputStringList]               only when MatrixInputEditEnable
//   InputString0= ... InputString<N-1>=   every input name, empty ones too
//   [MatrixOutputStringList]              only when MatrixOutputEditEnable
//   OutputString0= ... OutputString<M-1>=
// Numbers are decimal. Section and key order means nothing to the reader.
//
// Neither function creates the status folder, shows a dialog or changes the
// current directory. Neither knows the crosspoint state: the session hands
// the content to save and applies what was read. UI-thread use only.

#include <cstdint>
#include <string>
#include <vector>

#include "config/PortNameList.h"
#include "store/SwitchNode.h"

namespace mc {

class IniFile;

// What a status file holds.
struct StatusContent {
    std::int32_t address = 0;  // "Matrix Address": written, never read
    std::int32_t inputs = 0;
    std::int32_t outputs = 0;
    std::vector<Node> nodes;  // in node order
    PortNameLists names;      // the lists in use
};

// Saves `content` to path. An existing file is updated, not emptied: the
// section "Matrix Message" is erased and written anew, the node sections
// SwitchNode1..k are written with "I" then "J", "SwitchNodeNum" = k, node
// sections numbered above k (left by an earlier, longer save) are removed,
// both name sections are erased and the lists present written. Other sections
// of the file stay. The file is written once, atomically, at the end. Throws
// IniWriteError ("Unable to write to <path>"); the file is then as it was.
void saveStatusFile(const std::string& path, const StatusContent& content);

// What a status file gave for a matrix of `inputs` x `outputs`.
struct StatusFileRead {
    // Not empty: the file exists but cannot be read at all (a folder, a FIFO,
    // a device, a file over the INI layer's size limit, no permission); the
    // message for the operator, "无法读取状态文件 <path>：<reason>". Nothing
    // else is read. A missing file is not unreadable: it reads as empty.
    std::string error;
    // False: the file matches neither the input count nor the output count
    // (a missing or foreign file reads both as 0); nothing else is read.
    bool matched = false;
    // The nodes SwitchNode1..SwitchNodeNum in ascending order that have a
    // section and both numbers non-negative; whether they lie inside the
    // matrix is for the caller to check.
    std::vector<Node> nodes;
    // Nodes up to SwitchNodeNum without a section, or with "I" or "J" missing,
    // unparsable or negative.
    int unreadable = 0;
    // Every input and output name of the file, `inputs` and `outputs` entries
    // (empty when missing).
    std::vector<std::string> inputNames;
    std::vector<std::string> outputNames;
};

// Reads path. Node n is the section named exactly "SwitchNode" + n (decimal,
// found as the INI layer finds a section by name, so ASCII case is ignored),
// for n = 1 .. "SwitchNodeNum": "SwitchNode-1" or "SwitchNode01" are never
// nodes.
StatusFileRead readStatusFile(const std::string& path, std::int32_t inputs, std::int32_t outputs);
// The same for a file already loaded.
StatusFileRead readStatusFile(const IniFile& file, std::int32_t inputs, std::int32_t outputs);

// "无法读取状态文件 <path>：<reason>".
std::string unreadableStatusMessage(const std::string& path, const std::string& reason);

}  // namespace mc
