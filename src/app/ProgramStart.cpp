// The start both programs share: the first log line names the program folder
// and how it was chosen; a new folder gets the shipped defaults.

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Programs.h"

namespace mc {

AppPaths openProgramFolder(const ProgramFolderChoice& folder, const QString& start) {
    logLine(QStringLiteral("%1, program folder %2")
                .arg(start, QString::fromStdString(folderText(folder))));
    const std::string defaults = defaultsDir(AppPaths::fromExecutable().programDir());
    const std::vector<std::string> copied = seedProgramFolder(folder.folder, defaults);
    if (!copied.empty()) {
        QStringList names;
        for (const std::string& name : copied)
            names.append(QString::fromStdString(name));
        logLine(QStringLiteral("new program folder: copied %1 from %2")
                    .arg(names.join(QStringLiteral(", ")), QString::fromStdString(defaults)));
    }
    return AppPaths(folder.folder);
}

}  // namespace mc
