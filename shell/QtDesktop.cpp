#include "QtDesktop.h"

#include "desktop/ProgramPath.h"

#include <QCoreApplication>

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

} // namespace vellum
