#pragma once

// Scratch folders of the benchmarks: a folder under the system's temporary
// folder, removed with everything in it at the end, and a program folder in
// one whose model is in use, its serial port mapped to a path that does not
// exist (the frames stay queued).

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "config/AppPaths.h"
#include "config/IniFile.h"

namespace mc {

class ScratchFolder {
public:
    // `stem` names the folder ("store-bench" → /tmp/store-bench-XXXXXX).
    explicit ScratchFolder(const char* stem) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (std::string(stem) + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot make a scratch folder " + pattern);
        m_path = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Writes the configuration of `folder` as a program folder: the model "Bench"
// of `inputs` x `outputs`, in use.
inline AppPaths benchProgramFolder(const ScratchFolder& folder, std::int32_t inputs,
                                   std::int32_t outputs, bool pattern) {
    const AppPaths paths(folder.path());
    paths.ensureConfigDir();
    IniFile config(paths.mainConfigFile());
    config.writeString("Matrix Manage Message", "MatrixNowUse", "Bench");
    config.writeString("Serial Port Map", "COM1", folder.file("no-such-device"));
    config.commit();
    IniFile models(paths.modelConfigFile());
    models.writeInteger("Bench", "MatrixInputNum", inputs);
    models.writeInteger("Bench", "MatrixOutputNum", outputs);
    models.writeBool("Bench", "MatrixPattern", pattern);
    models.commit();
    return paths;
}

}  // namespace mc
