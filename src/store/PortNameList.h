#pragma once

// The port-name lists as MatrixEditList.con and status files hold them:
// section "MatrixInputStringList" with the keys "InputString" + n, section
// "MatrixOutputStringList" with "OutputString" + n (n zero-based, decimal,
// no padding); the value is the name, possibly empty. A missing key reads as
// an empty name. Writing never removes keys beyond the current counts.

#include <cstdint>
#include <string>
#include <vector>

namespace mc {

class CrosspointState;
class IniFile;

// Every input name (MatrixInputNum entries) and every output name, as the file
// holds them.
std::vector<std::string> readInputNames(const IniFile& file, const CrosspointState& state);
std::vector<std::string> readOutputNames(const IniFile& file, const CrosspointState& state);
// The first count names of each list (none for count <= 0).
std::vector<std::string> readInputNames(const IniFile& file, std::int32_t count);
std::vector<std::string> readOutputNames(const IniFile& file, std::int32_t count);

// Writes every name of each list in use (empty ones included).
void writePortNames(IniFile& file, const CrosspointState& state);

// Removes both lists.
void erasePortNames(IniFile& file);

}  // namespace mc
