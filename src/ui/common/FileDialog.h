#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace verdane::filedialog {

struct Request {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QWidget* owner = nullptr;
    QString title;
    QStringList filters;    // "Visual Basic Modules (*.bas)", in order
    int selectedFilter = 0; // index into filters
    QString defaultSuffix;  // added to a name typed without one
    QString directory;      // where the dialog starts; empty: wherever the platform chooses
    QString proposedName;   // the file name already typed in
};

// Shows the platform's open or save dialog; the save dialog asks before an existing file is overwritten. Returns
// the chosen file's full path, or an empty text when the user cancelled.
QString run(const Request& request);

// Tests: answer the next dialog with this path (an empty text cancels it) instead of showing it, and read back
// what the last dialog was asked to show. Without an answer queued, a dialog in test mode cancels. Either way it
// leaves its owner's window active, as a real one does when it closes.
void setTestMode(bool on);
void setNextFileName(const QString& path);
void clearAnswers();
const Request& lastRequest();
int requestCount();

} // namespace verdane::filedialog
