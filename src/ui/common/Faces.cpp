#include "ui/common/Faces.h"

#include <QFontDatabase>

namespace verdane::faces {

namespace {

// Asked by name, not left to the system's fallback: that would be a proportional face on some systems, and the code
// pane's widths and the dialogs' captions are laid out for these metrics.
QString installed(const QString& windowsFace, const QString& twin) {
    return QFontDatabase::hasFamily(windowsFace) || !QFontDatabase::hasFamily(twin) ? windowsFace : twin;
}

} // namespace

QString code() {
    static const QString face = installed(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    return face;
}

QString dialog() {
    static const QString face = installed(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    return face;
}

} // namespace verdane::faces
