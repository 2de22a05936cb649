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
#include "ui/main/MainWindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLineEdit>
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
};

Controls openImport(MainWindow& main) {
    action(main, "mnuFileImport")->trigger();
    ImportWindow* w = main.importWindow();
    return {w,
            w->findChild<QLineEdit*>("txtCodeName"),
            w->findChild<QRadioButton*>("optFile"),
            w->findChild<QRadioButton*>("optClipboard"),
            w->findChild<QLineEdit*>("txtFile"),
            w->findChild<QPushButton*>("cmdBrowse"),
            w->findChild<QPushButton*>("cmdImport")};
}

QStringList userNodes(MainWindow& main) {
    QStringList captions;
    for (int i = 1; i <= main.catalogue().nodeCount(); ++i) {
        if (main.catalogue().parentNode(i) == 2)
            captions << main.catalogue().caption(i);
    }
    return captions;
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

    // What a user does with the window: type a name, choose the clipboard and back, browse for a file, import with
    // Enter; the tree lists the new snippet and the pane keeps what it showed.
    void aUserImportsAFile() {
        Session s({{"Math", {{"Sum", "s"}}}});
        clickNode(s.main(), findNode(s.main(), "Math", "Sum"));
        Controls c = openImport(s.main());
        QVERIFY(QTest::qWaitForWindowActive(c.window));
        QCOMPARE(QApplication::focusWidget(), c.name);
        QTest::keyClicks(c.name, "  " + QString(60, 'n'));
        QCOMPARE(c.name->text().size(), 50);

        c.path->setText("typed");
        QTest::mouseClick(c.fromClipboard, Qt::LeftButton);
        QVERIFY(!c.path->isEnabled() && !c.browse->isEnabled());
        QTest::mouseClick(c.fromFile, Qt::LeftButton);
        QVERIFY(c.path->isEnabled() && c.browse->isEnabled());
        QTest::mouseClick(c.browse, Qt::LeftButton); // cancelled
        QCOMPARE(c.path->text(), "typed");

        // The menu entry shows the same window again, with its inputs.
        s.main().mnuFileImport_Click();
        QCOMPARE(s.main().importWindow(), c.window);

        // The keyboard is back in this window once the file is chosen: Enter imports.
        QTemporaryDir dir;
        const QString chosen = dir.filePath("Module1.bas");
        QVERIFY(writeFile(chosen, "Attribute VB_Name = \"Module1\"\nSub A()\n"));
        filedialog::setNextFileName(chosen);
        QTest::mouseClick(c.browse, Qt::LeftButton);
        QCOMPARE(c.path->text(), chosen);
        QVERIFY(QTest::qWaitForWindowActive(c.window));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(s.main().importWindow() == nullptr);
        QVERIFY(MessageBox::shown().isEmpty());
        const QString name = "  " + QString(48, 'n');
        QCOMPARE(userNodes(s.main()), QStringList{name});
        QVERIFY(!s.main().treeView()->isExpanded(s.main().treeView()->model()->index(0, 0)));
        QCOMPARE(paneText(s.main()), "s");
        clickNode(s.main(), findNode(s.main(), kUserCodeCaption, name));
        QCOMPARE(paneText(s.main()), "Attribute VB_Name = \"Module1\"\r\nSub A()\r\n");
    }

    void refusalsKeepTheWindowAndItsInputs_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("source"); // what the clipboard holds, or what the path names
        QTest::addColumn<QString>("message");
        QTest::newRow("no name") << ""
                                 << "clipboard: code"
                                 << "Please give the code snippet a name";
        QTest::newRow("empty clipboard") << "n"
                                         << "clipboard: "
                                         << "Please copy the code to the clipboard";
        QTest::newRow("a picture on the clipboard") << "n"
                                                    << "picture"
                                                    << "Please copy the code to the clipboard";
        QTest::newRow("empty file") << "n"
                                    << "empty"
                                    << "Zero Length files not allowed";
        QTest::newRow("no such file") << "n"
                                      << "missing"
                                      << "does not exist";
        QTest::newRow("a folder") << "n"
                                  << "folder"
                                  << "is a folder";
        QTest::newRow("a pipe without a writer") << "n"
                                                 << "pipe"
                                                 << "is a pipe (FIFO), not a file";
        QTest::newRow("a device") << "n"
                                  << "device"
                                  << "is a device, not a file";
        QTest::newRow("over the size limit") << "n"
                                             << "huge"
                                             << "holds more than 64 MB";
        QTest::newRow("a name User Code holds") << "Twin"
                                                << "clipboard: second"
                                                << "\"Twin\"";
    }

    void refusalsKeepTheWindowAndItsInputs() {
        QFETCH(QString, name);
        QFETCH(QString, source);
        QFETCH(QString, message);
        Session s({}, {{"Twin", "first"}});
        QTemporaryDir dir;
        Controls c = openImport(s.main());
        c.name->setText(name);
        QString path = dir.filePath("x.bas");
        if (source.startsWith("clipboard: ")) {
            c.fromClipboard->click();
            clipboard::setText(source.mid(11));
        } else if (source == "picture") {
            c.fromClipboard->click();
            QImage image(4, 4, QImage::Format_RGB32);
            image.fill(Qt::red);
            QApplication::clipboard()->setImage(image);
        } else if (source == "empty") {
            QVERIFY(writeFile(path, {}));
        } else if (source == "folder") {
            path = dir.path();
        } else if (source == "pipe") {
            QVERIFY(makeFifo(path));
        } else if (source == "device" && !makeNullDevice(path)) {
            QSKIP("only the administrator may make a device");
        } else if (source == "huge") {
            // Over SQLite's limit for one value, and nearly all holes: nothing of it may be read.
            QFile huge(path);
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(1'000'000'001));
        }
        c.path->setText(path);
        const QByteArray userBefore = fileDigest(s.folder().userPath());
        QTest::mouseClick(c.import, Qt::LeftButton);
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY2(MessageBox::shown()[0].text.contains(message), qPrintable(MessageBox::shown()[0].text));
        QCOMPARE(MessageBox::shown()[0].icon, MessageBox::Icon::None);
        QVERIFY(c.window->isVisible());
        QCOMPARE(c.name->text(), name);
        QCOMPARE(c.path->text(), path);
        QCOMPARE(fileDigest(s.folder().userPath()), userBefore);
    }

    void storeFailuresKeepTheWindow() {
        Session s;
        QVERIFY(DatabaseFile::exec(s.folder().userPath(), "DROP TABLE UserCode"));
        Controls c = openImport(s.main());
        c.name->setText("Lost");
        c.fromClipboard->click();
        clipboard::setText("code");
        c.window->cmdImport_Click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].icon, MessageBox::Icon::Critical);
        QVERIFY(MessageBox::shown()[0].text.contains(kUserFileName));
        QVERIFY(c.window->isVisible());
        QCOMPARE(c.name->text(), "Lost");

        // The user database missing altogether: said so, and not made.
        MessageBox::clearShown();
        s.main().store().closeDatabases();
        QVERIFY(QFile::remove(s.folder().userPath()));
        s.main().LoadCodeTree();
        c.window->cmdImport_Click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::shown()[0].text.contains(kUserFileName));
        QVERIFY(!QFileInfo::exists(s.folder().userPath()));
    }

    // Clicks, searches, picks, imports, exports and refreshes read the library; none of them writes to it, and the
    // session leaves no file behind.
    void aWholeSessionLeavesTheLibraryFileAlone() {
        Session s({{"Math", {{"Sum", "Sum = a + b"}}}, {"File", {{"Read", "Open f For Input As #1"}}}});
        const QByteArray before = fileDigest(s.folder().libraryPath());
        for (int node = 1; node <= s.main().catalogue().nodeCount(); ++node)
            clickNode(s.main(), node);
        s.main().mnuFileFind_Click();
        FindWindow* find = s.main().findWindow();
        find->findChild<QLineEdit*>("txtFind")->setText("a");
        QVERIFY(search(find));
        auto* list = find->findChild<QAbstractItemView*>("lstFound");
        list->setCurrentIndex(list->model()->index(0, 0));
        Controls c = openImport(s.main());
        c.name->setText("Mine");
        c.fromClipboard->click();
        clipboard::setText("x = 1");
        c.window->cmdImport_Click();
        QTemporaryDir dir;
        filedialog::setNextFileName(dir.filePath("out.cls"));
        s.main().mnuFileExportFile_Click();
        s.main().mnuViewRefresh_Click();
        QVERIFY(search(find));
        s.main().close();
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(fileDigest(s.folder().libraryPath()), before);
        QCOMPARE(s.folder().fileNames(), QStringList({kLibraryFileName, kUserFileName}));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestImportWindow)
#include "tst_importwindow.moc"
