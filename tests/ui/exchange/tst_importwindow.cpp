#include "core/CatalogueModel.h"
#include "core/GroupNames.h"
#include "core/SnippetStore.h"
#include "platform/Clipboard.h"
#include "support/SpecialFiles.h"
#include "support/UiSupport.h"
#include "ui/common/FileDialog.h"
#include "ui/common/MessageBox.h"
#include "ui/exchange/ImportWindow.h"
#include "ui/find/FindWindow.h"
#include "ui/main/CodeView.h"
#include "ui/main/MainWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QAbstractItemView>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

using namespace verdane;
using namespace verdane::test;

namespace {

struct Controls {
    ImportWindow* window;
    QLineEdit* name;
    QRadioButton* fromFile;
    QRadioButton* fromClipboard;
    QLineEdit* path;
    QPushButton* browse;
    QPushButton* import;
    QPushButton* cancel;
};

Controls openImport(MainWindow& main) {
    action(main, QStringLiteral("mnuFileImport"))->trigger();
    ImportWindow* w = main.importWindow();
    return {w,
            w->findChild<QLineEdit*>(QStringLiteral("txtCodeName")),
            w->findChild<QRadioButton*>(QStringLiteral("optFile")),
            w->findChild<QRadioButton*>(QStringLiteral("optClipboard")),
            w->findChild<QLineEdit*>(QStringLiteral("txtFile")),
            w->findChild<QPushButton*>(QStringLiteral("cmdBrowse")),
            w->findChild<QPushButton*>(QStringLiteral("cmdImport")),
            w->findChild<QPushButton*>(QStringLiteral("cmdCancel"))};
}

QStringList userNodes(MainWindow& main) {
    QStringList captions;
    for (int i = 1; i <= main.catalogue().nodeCount(); ++i) {
        if (main.catalogue().parentNode(i) == 2)
            captions << main.catalogue().caption(i);
    }
    return captions;
}

void setClipboardImage() {
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QApplication::clipboard()->setImage(image);
}

} // namespace

class TestImportWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<UiEnvironment>(); }
    void init() {
        m_env->reset();
        clipboard::setText(QString());
    }

    void windowStartsAsDesigned() {
        Session s;
        Controls c = openImport(s.main());
        QCOMPARE(c.window->windowTitle(), QStringLiteral("Verdane - Import Code"));
        QVERIFY(c.window->parentWidget() == nullptr);
        QVERIFY(!c.window->isModal());
        QCOMPARE(c.window->size(), QSize(273, 121));
        QCOMPARE(c.window->findChild<QLabel*>(QStringLiteral("lblCodeName"))->text(),
                 QStringLiteral("Name of Code Snippet:"));
        QCOMPARE(c.window->findChild<QLabel*>(QStringLiteral("lblFrom"))->text(), QStringLiteral("From:"));
        QCOMPARE(c.fromFile->text(), QStringLiteral("File"));
        QCOMPARE(c.fromClipboard->text(), QStringLiteral("Clipboard"));
        QCOMPARE(c.browse->text(), QStringLiteral("&Browse"));
        QCOMPARE(c.import->text(), QStringLiteral("&Import"));
        QCOMPARE(c.cancel->text(), QStringLiteral("&Cancel"));
        QVERIFY(c.import->isDefault());
        QVERIFY(c.fromFile->isChecked());
        QVERIFY(c.path->isEnabled() && c.browse->isEnabled());
        QVERIFY(c.name->text().isEmpty() && c.path->text().isEmpty());

        c.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(c.window));
        QCOMPARE(QApplication::focusWidget(), c.name);
        for (QWidget* next : std::initializer_list<QWidget*>{c.path, c.browse, c.import, c.cancel, c.fromFile}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }

        // No 51st character.
        c.name->setFocus();
        QTest::keyClicks(c.name, QString(60, QLatin1Char('n')));
        QCOMPARE(c.name->text().size(), 50);

        // Clipboard greys out the path and keeps it; File brings it back.
        c.path->setText(QStringLiteral("/some/file.bas"));
        QTest::mouseClick(c.fromClipboard, Qt::LeftButton);
        QVERIFY(!c.path->isEnabled() && !c.browse->isEnabled());
        QCOMPARE(c.path->text(), QStringLiteral("/some/file.bas"));
        QTest::mouseClick(c.fromFile, Qt::LeftButton);
        QVERIFY(c.path->isEnabled() && c.browse->isEnabled());

        // One window, shown again with its inputs.
        s.main().mnuFileImport_Click();
        QCOMPARE(s.main().importWindow(), c.window);
        QCOMPARE(c.name->text().size(), 50);

        QTest::keyClick(c.name, Qt::Key_Escape);
        QTRY_VERIFY(s.main().importWindow() == nullptr);
    }

    void browseAsksForAFile() {
        Session s;
        Controls c = openImport(s.main());
        c.path->setText(QStringLiteral("typed"));
        QTest::mouseClick(c.browse, Qt::LeftButton); // cancelled
        QCOMPARE(c.path->text(), QStringLiteral("typed"));
        const filedialog::Request& r = filedialog::lastRequest();
        QCOMPARE(r.kind, filedialog::Request::Kind::Open);
        QCOMPARE(r.title, QStringLiteral("Import Code from File..."));
        QCOMPARE(r.filters, QStringList({"Visual Basic Forms (*.frm)", "Visual Basic Modules (*.bas)",
                                         "Visual Basic Projects (*.vbp)", "Text Files (*.txt)", "All Files (*)"}));
        QCOMPARE(r.selectedFilter, 1);
        QCOMPARE(r.defaultSuffix, QStringLiteral("bas"));
        QCOMPARE(r.proposedName, QStringLiteral("Untitled"));
        QCOMPARE(r.directory, QDir::homePath());
        // The keyboard is back in this window once the file is chosen: Enter imports.
        c.name->setText(QStringLiteral("Chosen"));
        QTemporaryDir dir;
        const QString chosen = dir.filePath(QStringLiteral("Module1.bas"));
        QVERIFY(writeFile(chosen, "Attribute VB_Name = \"Module1\"\r\n"));
        filedialog::setNextFileName(chosen);
        QTest::mouseClick(c.browse, Qt::LeftButton);
        QCOMPARE(c.path->text(), chosen);
        QVERIFY(QTest::qWaitForWindowActive(c.window));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(s.main().importWindow() == nullptr);
        QCOMPARE(userNodes(s.main()), QStringList{QStringLiteral("Chosen")});
    }

    void refusalsKeepTheWindowAndItsInputs_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("fromClipboard");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("no name") << "" << true << "code"
                                 << ""
                                 << "Please give the code snippet a name";
        QTest::newRow("no name, from a file") << "" << false << ""
                                              << "empty"
                                              << "Please give the code snippet a name";
        QTest::newRow("empty clipboard") << "n" << true << ""
                                         << ""
                                         << "Please copy the code to the clipboard";
        QTest::newRow("a picture on the clipboard") << "n" << true << "<image>"
                                                    << ""
                                                    << "Please copy the code to the clipboard";
        QTest::newRow("empty file") << "n" << false << ""
                                    << "empty"
                                    << "Zero Length files not allowed";
        QTest::newRow("no path") << "n" << false << ""
                                 << "<none>"
                                 << "Please choose the file to import.";
        QTest::newRow("no such file") << "n" << false << ""
                                      << "missing"
                                      << "does not exist";
        QTest::newRow("a folder") << "n" << false << ""
                                  << "folder"
                                  << "is a folder";
        QTest::newRow("a pipe without a writer") << "n" << false << ""
                                                 << "pipe"
                                                 << "is a pipe (FIFO), not a file";
        QTest::newRow("a device") << "n" << false << ""
                                  << "device"
                                  << "is a device, not a file";
        QTest::newRow("over the size limit") << "n" << false << ""
                                             << "huge"
                                             << "holds more than 64 MB";
    }

    void refusalsKeepTheWindowAndItsInputs() {
        QFETCH(QString, name);
        QFETCH(bool, fromClipboard);
        QFETCH(QString, clipboard);
        QFETCH(QString, file);
        QFETCH(QString, message);
        Session s;
        QTemporaryDir dir;
        Controls c = openImport(s.main());
        c.name->setText(name);
        (fromClipboard ? c.fromClipboard : c.fromFile)->click();
        if (clipboard == QLatin1String("<image>"))
            setClipboardImage();
        else
            clipboard::setText(clipboard);
        QString path;
        if (file == QLatin1String("empty")) {
            path = dir.filePath(QStringLiteral("empty.bas"));
            writeFile(path, {});
        } else if (file == QLatin1String("missing")) {
            path = dir.filePath(QStringLiteral("missing.bas"));
        } else if (file == QLatin1String("folder")) {
            path = dir.path();
        } else if (file == QLatin1String("pipe")) {
            path = dir.filePath(QStringLiteral("pipe.bas"));
            QVERIFY(makeFifo(path));
        } else if (file == QLatin1String("device")) {
            path = dir.filePath(QStringLiteral("null.bas"));
            if (!makeNullDevice(path))
                QSKIP("only the administrator may make a device");
        } else if (file == QLatin1String("huge")) {
            // Over SQLite's limit for one value, and nearly all holes: nothing of it may be read.
            path = dir.filePath(QStringLiteral("huge.bas"));
            QFile huge(path);
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(1'000'000'001));
        }
        c.path->setText(path);
        const QByteArray userBefore = fileDigest(s.folder().userPath());
        QTest::mouseClick(c.import, Qt::LeftButton);
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY2(MessageBox::shown()[0].text.contains(message), qPrintable(MessageBox::shown()[0].text));
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Verdane"));
        QCOMPARE(MessageBox::shown()[0].icon, MessageBox::Icon::None);
        QCOMPARE(s.main().importWindow(), c.window);
        QVERIFY(c.window->isVisible());
        QCOMPARE(c.name->text(), name);
        QCOMPARE(c.path->text(), path);
        QCOMPARE(fileDigest(s.folder().userPath()), userBefore);
    }

    void importsFromTheClipboard() {
        Session s({{QStringLiteral("Math"), {{QStringLiteral("Sum"), QStringLiteral("s")}}}});
        clickNode(s.main(), findNode(s.main(), QStringLiteral("Math"), QStringLiteral("Sum")));
        Controls c = openImport(s.main());
        c.name->setText(QStringLiteral("  From Clipboard"));
        c.fromClipboard->click();
        QApplication::clipboard()->setText(QStringLiteral("Sub Pasted()\n  MsgBox \"h\u00e9\"\nEnd Sub\n"));
        QTest::mouseClick(c.import, Qt::LeftButton);
        QVERIFY(MessageBox::shown().isEmpty());
        QTRY_VERIFY(s.main().importWindow() == nullptr);
        const QList<Record> stored = DatabaseFile::records(s.folder().userPath(), kUserCodeTable);
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0].name.toString(), QStringLiteral("  From Clipboard"));
        QCOMPARE(stored[0].code.toString(), QStringLiteral("Sub Pasted()\r\n  MsgBox \"h\u00e9\"\r\nEnd Sub\r\n"));
        // The tree was rebuilt with the new node, collapsed; the pane kept what it showed.
        QCOMPARE(userNodes(s.main()), QStringList{QStringLiteral("  From Clipboard")});
        QVERIFY(!s.main().treeView()->isExpanded(s.main().treeView()->model()->index(0, 0)));
        QCOMPARE(paneText(s.main()), QStringLiteral("s"));
    }

    void importsFilesInTheirEncodings_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("stored");
        QTest::newRow("UTF-8, LF") << QByteArray("' \xc3\xa9t\xc3\xa9\nSub A()\nEnd Sub\n")
                                   << "' \u00e9t\u00e9\r\nSub A()\r\nEnd Sub\r\n";
        QTest::newRow("UTF-8 with BOM, CR LF") << QByteArray("\xef\xbb\xbf' x\r\nEnd Sub") << "' x\r\nEnd Sub";
        QTest::newRow("Windows-1252 with accents") << QByteArray("' Gr\xf6\xdf"
                                                                 "e \x80\r\nDim s As String\r\n")
                                                   << "' Gr\u00f6\u00dfe \u20ac\r\nDim s As String\r\n";
        QTest::newRow("a form file, whole")
            << QByteArray("VERSION 5.00\r\nBegin VB.Form Form1\r\n   Caption = \"Form1\"\r\nEnd\r\n"
                          "Attribute VB_Name = \"Form1\"\r\n")
            << "VERSION 5.00\r\nBegin VB.Form Form1\r\n   Caption = \"Form1\"\r\nEnd\r\n"
               "Attribute VB_Name = \"Form1\"\r\n";
        QTest::newRow("UTF-16 LE with BOM") << QByteArray("\xff\xfe'\0 \0\xe9\0\n\0x\0", 12) << "' \u00e9\r\nx";
        QTest::newRow("binary, with NUL bytes") << QByteArray("MZ\x90\x00\x03\x00\xff\n", 8)
                                                << QString::fromUtf16(u"MZ\u0090\u0000\u0003\u0000\u00ff\r\n", 9);
    }

    void importsFilesInTheirEncodings() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, stored);
        Session s;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Module1.bas"));
        QVERIFY(writeFile(path, bytes));
        Controls c = openImport(s.main());
        c.name->setText(QStringLiteral("Imported"));
        c.path->setText(path);
        c.window->cmdImport_Click();
        QVERIFY(MessageBox::shown().isEmpty());
        const QList<Record> records = DatabaseFile::records(s.folder().userPath(), kUserCodeTable);
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0].code.toString(), stored);
        clickNode(s.main(), findNode(s.main(), kUserCodeCaption, QStringLiteral("Imported")));
        QCOMPARE(paneText(s.main()), stored);
        QCOMPARE(DatabaseFile::exec(s.folder().userPath(), QStringLiteral("PRAGMA integrity_check")), true);
    }

    void aNameUserCodeHoldsIsRefusedAndThePaneStays() {
        Session s({{QStringLiteral("Math"), {{QStringLiteral("Twin"), QStringLiteral("library")}}}});
        clickNode(s.main(), findNode(s.main(), QStringLiteral("Math"), QStringLiteral("Twin")));
        // The library may hold the name; User Code takes it once.
        for (const QString& code : {QStringLiteral("first"), QStringLiteral("second")}) {
            Controls c = openImport(s.main());
            c.name->setText(QStringLiteral("Twin"));
            c.fromClipboard->click();
            clipboard::setText(code);
            c.window->cmdImport_Click();
        }
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::shown()[0].text.contains(QStringLiteral("\"Twin\"")));
        QCOMPARE(MessageBox::shown()[0].icon, MessageBox::Icon::None);
        Controls c = openImport(s.main());
        QCOMPARE(c.name->text(), QStringLiteral("Twin"));
        QVERIFY(c.fromClipboard->isChecked());
        QCOMPARE(userNodes(s.main()), QStringList{QStringLiteral("Twin")});
        QCOMPARE(DatabaseFile::records(s.folder().userPath(), kUserCodeTable).size(), 1);

        // Closing the window brings the main window back to the front, and its pane shows what it showed.
        c.window->close();
        s.main().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&s.main()));
        QCOMPARE(paneText(s.main()), QStringLiteral("library"));
    }

    // Clicks, searches, picks, imports, exports and refreshes read the library; none of them writes to it.
    void aWholeSessionLeavesTheLibraryFileAlone() {
        Session s({{QStringLiteral("Math"), {{QStringLiteral("Sum"), QStringLiteral("Sum = a + b")}}},
                   {QStringLiteral("File"), {{QStringLiteral("Read"), QStringLiteral("Open f For Input As #1")}}}});
        const QByteArray before = fileDigest(s.folder().libraryPath());
        for (int node = 1; node <= s.main().catalogue().nodeCount(); ++node)
            clickNode(s.main(), node);
        s.main().mnuFileFind_Click();
        FindWindow* find = s.main().findWindow();
        find->findChild<QLineEdit*>(QStringLiteral("txtFind"))->setText(QStringLiteral("a"));
        QVERIFY(search(find));
        QVERIFY(!find->results().isEmpty());
        find->findChild<QAbstractItemView*>(QStringLiteral("lstFound"))
            ->setCurrentIndex(find->findChild<QAbstractItemView*>(QStringLiteral("lstFound"))->model()->index(0, 0));
        Controls c = openImport(s.main());
        c.name->setText(QStringLiteral("Mine"));
        c.fromClipboard->click();
        clipboard::setText(QStringLiteral("x = 1"));
        c.window->cmdImport_Click();
        QTemporaryDir dir;
        filedialog::setNextFileName(dir.filePath(QStringLiteral("out.cls")));
        s.main().mnuFileExportFile_Click();
        s.main().mnuViewRefresh_Click();
        QVERIFY(search(find));
        s.main().close();
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(fileDigest(s.folder().libraryPath()), before);
        QCOMPARE(s.folder().fileNames(), QStringList({kLibraryFileName, kUserFileName}));
    }

    void storeFailuresKeepTheWindow() {
        Session s;
        QVERIFY(DatabaseFile::exec(s.folder().userPath(), QStringLiteral("DROP TABLE UserCode")));
        Controls c = openImport(s.main());
        c.name->setText(QStringLiteral("Lost"));
        c.fromClipboard->click();
        clipboard::setText(QStringLiteral("code"));
        c.window->cmdImport_Click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].icon, MessageBox::Icon::Critical);
        QVERIFY(MessageBox::shown()[0].text.contains(kUserFileName));
        QVERIFY(c.window->isVisible());
        QCOMPARE(c.name->text(), QStringLiteral("Lost"));

        // The user database missing altogether.
        MessageBox::clearShown();
        s.main().store().closeDatabases();
        QVERIFY(QFile::remove(s.folder().userPath()));
        s.main().LoadCodeTree();
        c.window->cmdImport_Click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::shown()[0].text.contains(kUserFileName));
        QVERIFY(!QFileInfo::exists(s.folder().userPath()));
    }

    void anotherProgramsLockIsWaitedFor() {
        Session s;
        Controls c = openImport(s.main());
        c.name->setText(QStringLiteral("Patient"));
        c.fromClipboard->click();
        clipboard::setText(QStringLiteral("code"));
        {
            LockHolder lock(s.folder().userPath(), 700);
            c.window->cmdImport_Click();
        }
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(userNodes(s.main()), QStringList{QStringLiteral("Patient")});
    }

    void largeFilesImportWhole() {
        Session s;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("big.bas"));
        QByteArray line("    s = s & \"some text of a long generated module\" ' comment\n");
        QByteArray big;
        big.reserve(20 << 20);
        while (big.size() < (20 << 20))
            big += line;
        QVERIFY(writeFile(path, big));
        Controls c = openImport(s.main());
        c.name->setText(QStringLiteral("Big"));
        c.path->setText(path);
        c.window->cmdImport_Click();
        QVERIFY(MessageBox::shown().isEmpty());
        clickNode(s.main(), findNode(s.main(), kUserCodeCaption, QStringLiteral("Big")));
        QCOMPARE(paneText(s.main()).size(), big.size() + big.count('\n'));
        QVERIFY(paneText(s.main()).endsWith(QStringLiteral("comment\r\n")));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestImportWindow)
#include "tst_importwindow.moc"
