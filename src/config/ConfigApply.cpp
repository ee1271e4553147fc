#include "config/ConfigApply.h"

#include <exception>

#include "config/AtomicWrite.h"
#include "config/IniFile.h"
#include "store/ModeStore.h"
#include "store/PortNameList.h"

namespace mc {

namespace {

const char* const kSerialSection = "Serial Commucation Set";
const char* const kManageSection = "Matrix Manage Message";

}  // namespace

std::string commName(std::int32_t comPort) {
    return "COM" + std::to_string(comPort);
}

void writePortSettings(const AppPaths& paths, std::int32_t comPort, std::int32_t rate) {
    paths.ensureConfigDir();
    IniFile config(paths.mainConfigFile());
    config.writeString(kSerialSection, "PortNum", commName(comPort));
    config.writeInteger(kSerialSection, "ComPortNum", comPort);
    config.writeInteger(kSerialSection, "PortBandRate", rate);
    config.commit();
}

void writePortFallback(const AppPaths& paths) {
    writePortSettings(paths, 1, 9600);
}

void writeModelInUse(const AppPaths& paths, std::int32_t rate, const std::string& model) {
    paths.ensureConfigDir();
    IniFile config(paths.mainConfigFile());
    config.writeInteger(kSerialSection, "PortBandRate", rate);
    config.writeString(kManageSection, "MatrixNowUse", model);
    config.writeBool(kManageSection, "MatrixInputEditEnable", false);
    config.writeBool(kManageSection, "MatrixOutputEditEnable", false);
    config.commit();
}

void erasePortNames(const AppPaths& paths) {
    paths.ensureConfigDir();
    IniFile names(paths.editListFile());
    mc::erasePortNames(names);
    names.commit();
}

std::optional<std::string> removeAllModes(const AppPaths& paths) {
    paths.ensureConfigDir();
    try {
        ModeStore(paths.modeFile()).removeAllModes();
    } catch (const ModeFileError& error) {
        return std::string(error.what());
    } catch (const FileWriteError& error) {
        return std::string(error.what());
    }
    return std::nullopt;
}

}  // namespace mc
