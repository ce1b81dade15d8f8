#include "QtDesktop.h"

#include "desktop/ProgramPath.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>

namespace vellum {

namespace {

std::string toUtf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

ProgramLocation currentProgramLocation() {
    // The system's own record first: Qt reports no path at all for a folder
    // whose name is not UTF-8.
    std::string self = runningExecutable();
    if (self.empty()) {
        self = toUtf8(QCoreApplication::applicationFilePath());
    }
    return locationOfProgram(self);
}

ToolRunner systemToolRunner() {
    return [](const std::string& program, const std::vector<std::string>& arguments) {
        const QString executable = QStandardPaths::findExecutable(QString::fromStdString(program));
        if (executable.isEmpty()) {
            return false;
        }
        QStringList args;
        for (const std::string& argument : arguments) {
            args << QString::fromStdString(argument);
        }
        QProcess process;
        process.setStandardErrorFile(QProcess::nullDevice());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(executable, args);
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished(1000);
            return false;
        }
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    };
}

} // namespace vellum
