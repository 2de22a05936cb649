#include "ui/common/FileDialog.h"

#include <QFileDialog>
#include <QWidget>

#include <deque>

namespace verdane::filedialog {

namespace {
struct TestHooks {
    bool testMode = false;
    std::deque<QString> answers;
    Request last;
    int count = 0;
};

TestHooks& hooks() {
    static TestHooks h;
    return h;
}
} // namespace

QString run(const Request& request) {
    TestHooks& h = hooks();
    h.last = request;
    ++h.count;
    if (h.testMode) {
        // As a real dialog does when it closes, leave its owner's window active.
        if (request.owner)
            request.owner->window()->activateWindow();
        if (h.answers.empty())
            return {};
        const QString answer = h.answers.front();
        h.answers.pop_front();
        return answer;
    }

    QFileDialog dialog(request.owner, request.title);
    dialog.setAcceptMode(request.kind == Request::Kind::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.kind == Request::Kind::Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(request.filters);
    if (request.selectedFilter >= 0 && request.selectedFilter < request.filters.size())
        dialog.selectNameFilter(request.filters[request.selectedFilter]);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.directory.isEmpty())
        dialog.setDirectory(request.directory);
    if (!request.proposedName.isEmpty())
        dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void setTestMode(bool on) {
    hooks().testMode = on;
}

void setNextFileName(const QString& path) {
    hooks().answers.push_back(path);
}

void clearAnswers() {
    hooks().answers.clear();
    hooks().last = Request{};
    hooks().count = 0;
}

const Request& lastRequest() {
    return hooks().last;
}

int requestCount() {
    return hooks().count;
}

} // namespace verdane::filedialog
