#include "platform/SystemInformation.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace verdane::platform {

bool startSystemInformation() {
    // The desktops' own system information programs, in order of preference; the first found on the PATH is run.
    const QStringList programs{QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
                               QStringLiteral("gnome-system-monitor")};
    for (const QString& name : programs) {
        const QString program = QStandardPaths::findExecutable(name);
        if (!program.isEmpty())
            return QProcess::startDetached(program, {});
    }
    return false;
}

} // namespace verdane::platform
