#include "Icon.h"

// The icons live in this static library's resources, which the linker keeps
// only when something refers to them.
static void initIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace vellum::ui {

namespace {

void ensureIcons() {
    static const bool done = (initIconResources(), true);
    (void)done;
}

QString iconPath(const char* name) {
    return QStringLiteral(":/vellum/icons/") + QLatin1String(name);
}

} // namespace

QIcon programIcon() {
    ensureIcons();
    QIcon icon;
    icon.addFile(iconPath("vellum-16.png"), QSize(16, 16));
    icon.addFile(iconPath("vellum-32.png"), QSize(32, 32));
    return icon;
}

} // namespace vellum::ui
