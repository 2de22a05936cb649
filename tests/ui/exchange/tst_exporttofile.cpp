#include "core/GroupNames.h"
#include "core/Settings.h"
#include "exchange/ExportFormat.h"
#include "platform/FileSystem.h"
#include "support/SpecialFiles.h"
#include "support/UiSupport.h"
#include "ui/common/FileDialog.h"
#include "ui/common/MessageBox.h"
#include "ui/exchange/ImportWindow.h"
#include "ui/main/CodeView.h"
#include "ui/main/MainWindow.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace verdane;
using namespace verdane::test;

namespace {

const QString kCounter = "' Counts\r\nPrivate m As Long\r\nPublic Sub Add()\r\n    m = m + 1\r\nEnd Sub";

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Exports the pane's code to path, as the user choosing that file in the dialog.
void exportTo(MainWindow& main, const QString& path) {
    filedialog::setNextFileName(path);
    action(main, "mnuFileExportFile")->trigger();
}

} // namespace

class TestExportToFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<UiEnvironment>(); }
    void init() { m_env->reset(); }

    // The dialog proposes the shown snippet's name, made safe, and starts in the export folder read at every
    // export; the chosen file's name (never its folder) decides whether a class module is written.
    void exportsAsTheUserExpects() {
        Session s({{"Math", {{"Counter", kCounter}}}}, {{"../../etc/cron.d/job", "x = 1"}});
        clickNode(s.main(), findNode(s.main(), kUserCodeCaption, "../../etc/cron.d/job"));
        s.main().mnuFileExportFile_Click(); // cancelled: nothing written, nothing said
        QCOMPARE(filedialog::lastRequest().proposedName, "___.._etc_cron.d_job");
        QCOMPARE(filedialog::lastRequest().directory, QDir::homePath());

        QTemporaryDir dir;
        settings::write(settings::DefFileExportDir, dir.path());
        clickNode(s.main(), findNode(s.main(), "Math", "Counter"));
        s.main().mnuViewRefresh_Click(); // no node selected any more, the pane still shows Counter
        QVERIFY(QDir(dir.path()).mkdir("x.cls"));
        exportTo(s.main(), dir.filePath("x.cls/Counter.bas"));
        QCOMPARE(filedialog::lastRequest().proposedName, "Counter");
        QCOMPARE(filedialog::lastRequest().directory, dir.path());
        QCOMPARE(contents(dir.filePath("x.cls/Counter.bas")), kCounter.toLatin1() + "\r\n");
        exportTo(s.main(), dir.filePath("Shapes.CLS"));
        QCOMPARE(contents(dir.filePath("Shapes.CLS")), classModuleHeader("Shapes") + kCounter.toLatin1() + "\r\n");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void charactersOutsideTheCodePageAreWrittenOnlyWhenTheUserAgrees_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<MessageBox::Button>("answer");
        QTest::addColumn<QString>("loss"); // what the box says
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("all in the code page") << "MsgBox \"\u00e9t\u00e9 \u20ac\"" << MessageBox::Button::Ok << ""
                                              << QByteArray("MsgBox \"\xe9t\xe9 \x80\"\r\n");
        QTest::newRow("three lost, the first outside the BMP, written as ?")
            << "' \U0001F600 a \u0151 \u6f22" << MessageBox::Button::Ok << "3 characters\t\"\U0001F600\" (U+1F600)"
            << QByteArray("' ? a ? ?\r\n");
        QTest::newRow("cancelled") << "' \u0151" << MessageBox::Button::Cancel << "1 character\t\"\u0151\""
                                   << QByteArray("old");
    }

    void charactersOutsideTheCodePageAreWrittenOnlyWhenTheUserAgrees() {
        QFETCH(QString, code);
        QFETCH(MessageBox::Button, answer);
        QFETCH(QString, loss);
        QFETCH(QByteArray, written);
        Session s;
        QTemporaryDir dir;
        const QString path = dir.filePath("out.bas");
        QVERIFY(writeFile(path, "old"));
        s.main().codeView()->setCode(code);
        MessageBox::setNextAnswer(answer);
        exportTo(s.main(), path);
        QCOMPARE(MessageBox::shown().size(), loss.isEmpty() ? 0 : 1);
        for (const QString& part : loss.split('\t', Qt::SkipEmptyParts))
            QVERIFY2(MessageBox::shown()[0].text.contains(part), qPrintable(MessageBox::shown()[0].text));
        QCOMPARE(contents(path), written);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.bas"});
    }

    // What cannot be written is named with why, and whatever was there is left as it is.
    void failuresNameTheFileAndLeaveWhatWasThere_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder gone") << "folder gone"
                                     << "does not exist";
        QTest::newRow("read-only file") << "read-only"
                                        << "read-only";
        QTest::newRow("a folder of that name") << "folder"
                                               << "folder";
        QTest::newRow("a pipe") << "pipe"
                                << "left as it is";
        QTest::newRow("a link to a pipe") << "link"
                                          << "left as it is";
        QTest::newRow("a device") << "device"
                                  << "left as it is";
    }

    void failuresNameTheFileAndLeaveWhatWasThere() {
        QFETCH(QString, target);
        QFETCH(QString, reason);
        Session s;
        s.main().codeView()->setCode("new code");
        QTemporaryDir dir;
        QString path = dir.filePath("old.bas");
        QVERIFY(writeFile(path, "old code"));
        if (target == "folder gone") {
            path = dir.filePath("gone/new.bas");
        } else if (target == "read-only") {
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        } else if (target == "folder") {
            path = dir.filePath("sub.bas");
            QVERIFY(QDir(dir.path()).mkdir("sub.bas"));
        } else if (target == "device") {
            path = dir.filePath("null.bas");
            if (!makeNullDevice(path))
                QSKIP("only the administrator may make a device");
        } else {
            path = dir.filePath("target.bas");
            QVERIFY(makeFifo(dir.filePath("pipe")));
            QVERIFY(target == "pipe" ? QFile::rename(dir.filePath("pipe"), path)
                                     : QFile::link(dir.filePath("pipe"), path));
        }
        const filesystem::Facts before = filesystem::facts(path);
        exportTo(s.main(), path);
        QCOMPARE(MessageBox::shown().size(), 1);
        const MessageBox::Shown box = MessageBox::shown()[0];
        QCOMPARE(box.icon, MessageBox::Icon::Critical);
        QVERIFY2(box.text.contains(path) && box.text.contains(reason), qPrintable(box.text));
        QCOMPARE(contents(dir.filePath("old.bas")), QByteArray("old code"));
        QCOMPARE(filesystem::facts(path).kind, before.kind);
        QVERIFY(!QFileInfo::exists(dir.filePath("gone")));
        QFile::setPermissions(dir.filePath("old.bas"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void aFileWrittenOverKeepsItsLinksOwnerAndPermissions_data() {
        QTest::addColumn<QString>("kept");
        QTest::newRow("a second name") << "hard link";
        QTest::newRow("permissions") << "permissions";
        QTest::newRow("another user's file") << "owner";
    }

    void aFileWrittenOverKeepsItsLinksOwnerAndPermissions() {
        QFETCH(QString, kept);
        Session s;
        s.main().codeView()->setCode("new code");
        QTemporaryDir dir;
        const QString path = dir.filePath("shared.bas");
        const QString otherName = dir.filePath("other name.bas");
        QVERIFY(writeFile(path, QByteArray("a much longer old code that must go away entirely")));
        if (kept == "hard link")
            QVERIFY(makeHardLink(path, otherName));
        else if (kept == "permissions")
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    QFileDevice::ReadGroup | QFileDevice::ReadUser));
        else if (!runsAsRoot() || !changeOwner(path, 4242, 4343))
            QSKIP("only the administrator may give a file to another user");
        const filesystem::Facts before = filesystem::facts(path);
        exportTo(s.main(), path);
        QVERIFY2(MessageBox::shown().isEmpty(), qPrintable(MessageBox::shownTexts().join('|')));
        QCOMPARE(contents(path), QByteArray("new code\r\n"));
        const filesystem::Facts after = filesystem::facts(path);
        QCOMPARE(after.mode, before.mode);
        QCOMPARE(after.owner, before.owner);
        QCOMPARE(after.group, before.group);
        QCOMPARE(after.links, before.links);
        if (kept == "hard link")
            QCOMPARE(contents(otherName), QByteArray("new code\r\n"));
    }

    void importedModulesComeBackByteForByte_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("module in Windows-1252")
            << "modTimer.bas"
            << QByteArray("Attribute VB_Name = \"modTimer\"\r\nOption Explicit\r\n' Zeitmessung f\xfcr gro\xdf"
                          "e Schleifen \x80\r\nPublic Function Elapsed(ByVal Start As Long) As Long\r\n"
                          "    Elapsed = GetTickCount() - Start\r\nEnd Function\r\n");
        QTest::newRow("class with its header")
            << "CStopwatch.cls"
            << QByteArray(
                   "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\n  Persistable = 0  'NotPersistable\r\n"
                   "END\r\nAttribute VB_Name = \"CStopwatch\"\r\nAttribute VB_GlobalNameSpace = False\r\n"
                   "Attribute VB_Creatable = True\r\nAttribute VB_PredeclaredId = False\r\n"
                   "Attribute VB_Exposed = False\r\nOption Explicit\r\n' \xa9 Caf\xe9 Software\r\n"
                   "Private m_Start As Long\r\n");
    }

    // Imported through the Import window, exported again under the same name in another folder.
    void importedModulesComeBackByteForByte() {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, bytes);
        Session s;
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("out"));
        QVERIFY(writeFile(dir.filePath(fileName), bytes));
        s.main().mnuFileImport_Click();
        ImportWindow* import = s.main().importWindow();
        import->findChild<QLineEdit*>("txtCodeName")->setText("Round Trip");
        import->findChild<QLineEdit*>("txtFile")->setText(dir.filePath(fileName));
        import->cmdImport_Click();
        clickNode(s.main(), findNode(s.main(), kUserCodeCaption, "Round Trip"));
        exportTo(s.main(), dir.filePath("out/" + fileName));
        QVERIFY2(MessageBox::shown().isEmpty(), qPrintable(MessageBox::shownTexts().join('|')));
        QCOMPARE(contents(dir.filePath("out/" + fileName)), bytes);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestExportToFile)
#include "tst_exporttofile.moc"
