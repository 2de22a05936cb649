#include "core/GroupNames.h"
#include "support/UiSupport.h"
#include "ui/common/FileDialog.h"
#include "ui/common/InputBox.h"
#include "ui/exchange/ImportWindow.h"
#include "ui/find/FindWindow.h"

#include <QAbstractItemView>
#include <QGuiApplication>
#include <QLineEdit>

#include <windows.h>
// Windows' own names for two of its functions, which are also names of the program's windows.
#undef FindWindow
#undef MessageBox

using namespace verdane;
using namespace verdane::test;

namespace {

const QString kSum = "' Adds two numbers \u00e9t\u00e9 \u20ac\r\nFunction Sum(a, b)\r\n    Sum = a + b\r\nEnd Function";

// What Windows' own clipboard holds as Unicode text, read as any other Windows program would.
QString windowsClipboardText() {
    QString text;
    if (!OpenClipboard(nullptr))
        return "<clipboard busy>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = QString::fromWCharArray(chars);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

} // namespace

// A user's walk through the program on Windows' own window system (under wine, its X11 driver) and Windows'
// clipboard, where the other window tests draw offscreen.
class TestWindowsDesktop : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aUserWalksThrough() {
        QCOMPARE(QGuiApplication::platformName(), "windows");
        UiEnvironment env;
        Session s({{"Math", {{"Sum", kSum}, {"Counter", "Dim n As Long"}}}}, {{"Mine", "x = 1"}});
        MainWindow& main = s.main();
        QVERIFY(QTest::qWaitForWindowExposed(&main));

        // A pick, and Copy All onto Windows' clipboard, whole and in CR LF lines.
        clickNode(main, findNode(main, "Math", "Sum"));
        QCOMPARE(paneText(main), kSum);
        action(main, "mnuFileCopyAll")->trigger();
        QTRY_COMPARE(windowsClipboardText(), kSum);

        // An export: the code page of Windows' Western languages, each line ended by CR LF.
        QTemporaryDir dir;
        const QString out = dir.filePath("Sum.bas");
        filedialog::setNextFileName(out);
        action(main, "mnuFileExportFile")->trigger();
        QCOMPARE(fileBytes(out), "' Adds two numbers \xe9t\xe9 \x80\r\nFunction Sum(a, b)\r\n    Sum = a + b\r\nEnd Function\r\n");

        // Find, and a pick from its list.
        action(main, "mnuFileFind")->trigger();
        FindWindow* find = main.findWindow();
        QVERIFY(QTest::qWaitForWindowActive(find));
        child<QLineEdit>(find, "txtFind")->setText("dim N");
        QVERIFY(search(find));
        auto* list = child<QAbstractItemView>(find, "lstFound");
        QCOMPARE(list->model()->rowCount(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
        QTRY_COMPARE(paneText(main), "Dim n As Long");
        find->close();

        // An import of a file written by a Windows editor, in its code page.
        QVERIFY(writeFile(dir.filePath("timer.bas"), "' Caf\xe9\r\nPublic t As Long\r\n"));
        action(main, "mnuFileImport")->trigger();
        ImportWindow* import = main.importWindow();
        QVERIFY(QTest::qWaitForWindowActive(import));
        child<QLineEdit>(import, "txtCodeName")->setText("Timer");
        child<QLineEdit>(import, "txtFile")->setText(QDir::toNativeSeparators(dir.filePath("timer.bas")));
        QTest::mouseClick(child(import, "cmdImport"), Qt::LeftButton);
        QTRY_VERIFY(!import->isVisible());
        QVERIFY(s.folder().userSnippets().contains("Timer=' Caf\u00e9\r\nPublic t As Long\r\n"));

        // A rename, taken back with Undo.
        clickNode(main, findNode(main, kUserCodeCaption, "Mine"));
        InputBox::setNextAnswer("Ours");
        action(main, "mnuFileRename")->trigger();
        QVERIFY(s.folder().userSnippets().contains("Ours=x = 1"));
        action(main, "mnuFileUndo")->trigger();
        QVERIFY(s.folder().userSnippets().contains("Mine=x = 1"));
        QVERIFY2(MessageBox::shown().isEmpty(), qPrintable(MessageBox::shownTexts().join(" | ")));
    }
};

QTEST_MAIN(TestWindowsDesktop)
#include "tst_windowsdesktop.moc"
