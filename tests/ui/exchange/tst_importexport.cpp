#include "core/Settings.h"
#include "platform/Clipboard.h"
#include "support/UiSupport.h"
#include "ui/common/FileDialog.h"
#include "ui/exchange/ImportWindow.h"
#include "ui/main/CodeView.h"

#include <QClipboard>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

class TestImportExport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // What a user does with the two: import too early, from a clipboard without text, under a name User Code holds,
    // from a pipe; then type a name, browse for a module and import it with Enter, and export it again, byte for
    // byte, as a lossy text and over a read-only file; import from the clipboard; and import into a store that fails.
    // What the reader refuses and how files are written are tst_exchangeformats' business.
    void aUserImportsAndExports() {
        UiEnvironment env;
        const QByteArray module = "Attribute VB_Name = \"modTimer\"\r\n' \xa9 Caf\xe9 f\xfcr Gr\xf6\xdf \x80\r\n";
        Session s({{"Math", {{"Sum", "s"}}}}, {{"Twin", "first"}, {"../../etc/cron.d/job", "x = 1"}});
        // The dialog proposes the shown snippet's name, made safe; here the user cancels it.
        clickNode(s.main(), findNode(s.main(), kUserCodeCaption, "../../etc/cron.d/job"));
        s.main().mnuFileExportFile_Click();
        QCOMPARE(filedialog::lastRequest().proposedName, "___.._etc_cron.d_job");

        action(s.main(), "mnuFileImport")->trigger();
        ImportWindow* w = s.main().importWindow();
        auto* name = child<QLineEdit>(w, "txtCodeName");
        auto* path = child<QLineEdit>(w, "txtFile");
        auto* browse = child<QPushButton>(w, "cmdBrowse");
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(QApplication::focusWidget(), name);
        // What stops an import is said once, and leaves the window, its inputs and the user's file as they were.
        auto stopped = [&](const QString& message, MessageBox::Icon icon = MessageBox::Icon::None) {
            auto state = [&] { return name->text() + path->text() + fileBytes(s.folder().userPath()).toHex(); };
            const QString before = state();
            MessageBox::clearShown();
            QTest::mouseClick(child(w, "cmdImport"), Qt::LeftButton);
            const QList<MessageBox::Shown> shown = MessageBox::shown();
            return w->isVisible() && state() == before && shown.size() == 1 && shown[0].text.contains(message) &&
                   shown[0].icon == icon;
        };
        QVERIFY(stopped("Please give the code snippet a name"));
        name->setText("Twin");
        QTest::mouseClick(child(w, "optClipboard"), Qt::LeftButton);
        QVERIFY(!path->isEnabled() && !browse->isEnabled());
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QApplication::clipboard()->setImage(picture);
        QVERIFY(stopped("Please copy the code to the clipboard"));
        clipboard::setText("second");
        QVERIFY(stopped("\"Twin\""));
        QTest::mouseClick(child(w, "optFile"), Qt::LeftButton);
        QVERIFY(path->isEnabled() && browse->isEnabled());
        QTemporaryDir dir;
        // Something that is not a file: a pipe, or on Windows, which has none a test can make, a folder.
#ifdef Q_OS_WIN
        const QString notAFile = dir.path(), why = "is a folder, not a file";
#else
        const QString notAFile = dir.filePath("pipe"), why = "is a pipe (FIFO), not a file";
        QVERIFY(makeFifo(notAFile));
#endif
        path->setText(notAFile);
        QVERIFY(stopped(why));
        QTest::mouseClick(browse, Qt::LeftButton); // cancelled
        QCOMPARE(path->text(), notAFile);
        name->clear();
        QTest::keyClicks(name, "  " + QString(60, 'n'));
        const QString typed = "  " + QString(48, 'n'); // the most a name may hold, spaces included
        // The menu entry shows the same window again, with its inputs.
        s.main().mnuFileImport_Click();
        QCOMPARE(s.main().importWindow(), w);

        // The keyboard is back in this window once the file is chosen: Enter imports, and the tree lists the new
        // snippet; the pane keeps what it showed until the user clicks it.
        settings::write(settings::DefFileExportDir, dir.path());
        QVERIFY(QDir(dir.path()).mkdir("x.cls"));
        QVERIFY(writeFile(dir.filePath("modTimer.bas"), module));
        MessageBox::clearShown();
        filedialog::setNextFileName(dir.filePath("modTimer.bas"));
        QTest::mouseClick(browse, Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(s.main().importWindow() == nullptr);
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(paneText(s.main()), "x = 1");
        clickNode(s.main(), findNode(s.main(), kUserCodeCaption, typed));
        QCOMPARE(paneText(s.main()),
                 "Attribute VB_Name = \"modTimer\"\r\n' \u00a9 Caf\u00e9 f\u00fcr Gr\u00f6\u00df \u20ac\r\n");

        // Exported from the export folder, read at every export, into a file whose name (never its folder) decides
        // whether a class module is written; with no node selected any more, the pane's text is what is exported.
        s.main().mnuViewRefresh_Click();
        const QString out = dir.filePath("x.cls/modTimer.bas");
        auto exportTo = [&](const QString& path) {
            filedialog::setNextFileName(path);
            action(s.main(), "mnuFileExportFile")->trigger();
        };
        exportTo(out);
        QCOMPARE(filedialog::lastRequest().directory, dir.path());
        QCOMPARE(fileBytes(out), module);
        // Characters the code page cannot hold are written as "?" only when the user agrees.
        s.main().codeView()->setCode("' \u0151");
        MessageBox::setNextAnswer(MessageBox::Button::Cancel);
        exportTo(out);
        QCOMPARE(fileBytes(out), module);
        s.main().codeView()->setCode("' \U0001F600 a \u0151 \u6f22");
        exportTo(out);
        QCOMPARE(fileBytes(out), "' ? a ? ?\r\n");
        QCOMPARE(QDir(dir.filePath("x.cls")).entryList(QDir::Files | QDir::Hidden), QStringList{"modTimer.bas"});
        // A file that cannot be written is named with why.
        QVERIFY(QFile::setPermissions(out, QFileDevice::ReadOwner));
        exportTo(out);
        QCOMPARE(fileBytes(out), "' ? a ? ?\r\n");
        const QList<MessageBox::Shown> boxes = MessageBox::shown();
        QCOMPARE(boxes.size(), 4);
        QVERIFY(boxes[0].text.contains("1 character") && boxes[0].text.contains("\"\u0151\" (U+0151)"));
        QVERIFY(boxes[1].text.contains("3 characters") && boxes[1].text.contains("\"\U0001F600\" (U+1F600)"));
        QCOMPARE(boxes[3].text,
                 "The code could not be exported to " + QDir::toNativeSeparators(out) + ": the file is read-only.");
        QCOMPARE(boxes[3].icon, MessageBox::Icon::Critical);

        // From the clipboard, lines get Windows line breaks too; a store that fails is an error, which stops it.
        auto open = [&](const QString& typed) {
            s.main().mnuFileImport_Click();
            w = s.main().importWindow();
            name = child<QLineEdit>(w, "txtCodeName");
            name->setText(typed);
            child<QRadioButton>(w, "optClipboard")->click();
        };
        clipboard::setText("a\nb");
        open("Clip");
        w->cmdImport_Click();
        clickNode(s.main(), findNode(s.main(), kUserCodeCaption, "Clip"));
        QCOMPARE(paneText(s.main()), "a\r\nb");
        QVERIFY(DatabaseFile::exec(s.folder().userPath(), "DROP TABLE UserCode"));
        open("Lost");
        path = child<QLineEdit>(w, "txtFile");
        QVERIFY(stopped(kUserFileName, MessageBox::Icon::Critical));
    }
};

QTEST_MAIN(TestImportExport)
#include "tst_importexport.moc"
