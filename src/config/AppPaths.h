#pragma once

// Where the program keeps its files: the program folder (the directory of the
// running executable) and the folders and files beside it. The core never
// asks the system for the program folder itself; main() does, once, and tests
// use a temporary folder.

#include <string>

namespace mc {

class AppPaths {
public:
    // The directory of the running executable, from /proc/self/exe, without a
    // trailing separator.
    static AppPaths fromExecutable();

    explicit AppPaths(std::string programDir);

    const std::string& programDir() const { return m_programDir; }
    std::string configDir() const;                          // programDir + "/Matrix Config"
    std::string configFile(const std::string& name) const;  // configDir + "/" + name
    std::string statusDir() const;                          // programDir + "/Matrix Status"

    std::string mainConfigFile() const { return configFile("MatrixConfig.con"); }
    std::string modelConfigFile() const { return configFile("MatrixModelConfig.con"); }
    std::string editListFile() const { return configFile("MatrixEditList.con"); }
    std::string modeFile() const { return configFile("MatrixMode.xml"); }

    // Creates the configuration folder with any missing parents. Failure is
    // not reported here; the write that follows reports it.
    void ensureConfigDir() const;
    // Creates the status folder with any missing parents (same rule).
    void ensureStatusDir() const;
    // Makes the program folder the process's current directory; handlers that
    // work with files end with it.
    void restoreCurrentDirectory() const;

private:
    std::string m_programDir;
};

}  // namespace mc
