#include "Platform.h"

#include "ui/Icon.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <filesystem>
#include <system_error>

namespace vellum {

namespace {

std::string resourceBytes(const char* name) {
    const QByteArray bytes = ui::iconFileBytes(name);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string toUtf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

ProgramLocation currentProgramLocation() {
#ifdef __linux__
    // Qt reports no path at all for a folder whose name is not UTF-8; the
    // link the kernel keeps has its bytes.
    if (QCoreApplication::applicationFilePath().isEmpty()) {
        std::error_code ec;
        const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
        if (!ec && exe.is_absolute()) {
            return ProgramLocation{exe.parent_path().string(), exe.filename().string(), '/'};
        }
    }
#endif
    const QFileInfo program(QCoreApplication::applicationFilePath());
    ProgramLocation location;
    location.folder = toUtf8(QDir::toNativeSeparators(program.absolutePath()));
    location.separator = static_cast<char>(QDir::separator().toLatin1());
    // The whole file name: on Windows the icon location and the open command
    // need the ".exe" (an icon location without it is looked up as a .dll).
    location.name = toUtf8(program.fileName());
    return location;
}

DesktopIcons bundledIcons() {
    return DesktopIcons{
        resourceBytes("vellum.svg"),
        resourceBytes("vellum-16.png"),
        resourceBytes("vellum-32.png"),
        resourceBytes("vellum-document.svg"),
        resourceBytes("vellum-document-16.png"),
        resourceBytes("vellum-document-32.png"),
    };
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
