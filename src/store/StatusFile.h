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
// current directory: the window's handlers do (AppPaths::ensureStatusDir,
// statusDir, restoreCurrentDirectory). UI-thread use only.

#include <cstdint>
#include <string>
#include <vector>

#include "control/GridViews.h"

namespace mc {

class CrosspointState;
class IniFile;

// Saves the state to path. An existing file is updated, not emptied: the
// section "Matrix Message" is erased and written anew, the node sections
// SwitchNode1..k are written with "I" then "J", "SwitchNodeNum" = k, node
// sections numbered above k (left by an earlier, longer save) are removed,
// both name sections are erased and the names of the lists in use written.
// Other sections of the file stay. The file is written once, atomically, at
// the end. Throws IniWriteError ("Unable to write to <path>"); the file is then
// as it was. Changes nothing in memory.
void saveStatusFile(const std::string& path, const CrosspointState& state);

// A status file as the loader reads it, before anything is applied.
struct StatusFileContents {
    // Not empty: the file exists but cannot be read at all (a folder, a FIFO,
    // a device, a file over the INI layer's size limit, no permission); the
    // reason, for the operator (IniFile::loadError). Everything else is then
    // empty. A missing file is not unreadable: it reads as empty.
    std::string unreadable;
    std::int32_t inputNum = 0;   // "MatrixInputNum", 0 when missing
    std::int32_t outputNum = 0;  // "MatrixOutputNum", 0 when missing
    // For n = 1 .. "SwitchNodeNum" ascending, the section named exactly
    // "SwitchNode" + n (decimal, found as IniFile finds a section by name, so
    // ASCII case is ignored) with "I" and "J" both non-negative. Nodes may
    // still lie outside a matrix: applyNodes checks them against the state.
    std::vector<Node> nodes;
    // Numbers n up to "SwitchNodeNum" without such a section, or whose "I" or
    // "J" is missing, negative or unparsable. Never negative.
    int invalid = 0;
    // "InputString" + n for n below the inputCount asked for, "OutputString"
    // + n below outputCount; empty when missing.
    std::vector<std::string> inputNames;
    std::vector<std::string> outputNames;
};

// Reads a status file into plain data; changes nothing. inputCount and
// outputCount are the counts of the matrix the names are for (the state's).
// Sections such as "SwitchNode-1" or "SwitchNode01" are never nodes.
StatusFileContents readStatusFile(const IniFile& file, std::int32_t inputCount,
                                  std::int32_t outputCount);
StatusFileContents readStatusFile(const std::string& path, std::int32_t inputCount,
                                  std::int32_t outputCount);

// "无法读取状态文件 <path>：<reason>", the message for an unreadable file.
std::string unreadableStatusMessage(const std::string& path, const std::string& reason);

struct StatusLoadResult {
    // Not empty: the file could not be read at all; the message the window
    // shows (unreadableStatusMessage) instead of the count-mismatch message.
    // matched is then false and nothing has changed.
    std::string error;
    // False: the file matches neither the input count nor the output count of
    // the state (a missing or foreign file reads both as 0). Nothing has
    // changed; the window shows "调用的文件与但前矩阵不匹配".
    bool matched = false;
    // Nodes applied (cell selected, frame queued) and nodes skipped: outside
    // the state (I not below MatrixOutputNum, J above MatrixInputNum), negative,
    // missing or unparsable, including numbers up to SwitchNodeNum that have no
    // section. The window reports a non-zero skipped count in its status bar.
    ApplyResult nodes;
    // The names read from the file, MatrixInputNum and MatrixOutputNum entries
    // (empty when missing). Already stored in the state; see loadStatusFile.
    std::vector<std::string> inputNames;
    std::vector<std::string> outputNames;
};

// Loads path into the state. Order: the count test (the file's
// "MatrixInputNum" equals the state's, or its "MatrixOutputNum" does; else
// nothing changes); returnToFirstPage; clearSelection (nothing queued for the
// cleared cells); the nodes SwitchNode1..SwitchNodeNum in ascending order
// through applyNodes (one switch or close frame each, with ActiveAddress);
// then every input and output name from the file, stored with setInputName /
// setOutputName. The list-in-use flags are not changed here.
//
// The window then, in this order:
// 1. sets the text of every visible input name field c to inputNames[c] with
//    its change handler attached: when the text differs from what the field
//    showed, InputStringEditChange runs (inputNameEdited: the name is stored
//    again and MatrixInputEditEnable becomes true); then sets the field's
//    tooltip to inputNames[c];
// 2. the same for the output name fields with outputNames;
// 3. re-derives every label, box, field and paging button from the state's
//    views (first page; controls hidden by a partial last page show again).
// A missing file reads as empty (and so mismatches); a file that exists but
// cannot be read gives error.
StatusLoadResult loadStatusFile(const std::string& path, CrosspointState& state);
// The same for a file already loaded.
StatusLoadResult loadStatusFile(const IniFile& file, CrosspointState& state);

}  // namespace mc
