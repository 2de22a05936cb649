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
#include "ui/main/MainToolBar.h"
#include "ui/main/MainWindow.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace verdane;
using namespace verdane::test;

namespace {

const QString kCounter =
    QStringLiteral("' Counts\r\nPrivate m As Long\r\nPublic Sub Add()\r\n    m = m + 1\r\nEnd Sub");

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestExportToFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<UiEnvironment>(); }
    void init() { m_env->reset(); }

    void dialogIsAskedAsTheUserExpects() {
        Session s({{QStringLiteral("Math"), {{QStringLiteral("Counter"), kCounter}}}});
        clickNode(s.main(), findNode(s.main(), QStringLiteral("Math"), QStringLiteral("Counter")));
        action(s.main(), QStringLiteral("mnuFileExportFile"))->trigger();
        QCOMPARE(filedialog::requestCount(), 1);
        const filedialog::Request& r = filedialog::lastRequest();
        QCOMPARE(r.kind, filedialog::Request::Kind::Save);
        QCOMPARE(r.title, QStringLiteral("Export Code to File..."));
        QCOMPARE(r.filters, QStringList({"Visual Basic Modules (*.bas)", "Visual Basic Classes (*.cls)",
                                         "Text Files (*.txt)", "All Files (*)"}));
        QCOMPARE(r.selectedFilter, 0);
        QCOMPARE(r.defaultSuffix, QStringLiteral("bas"));
        QCOMPARE(r.proposedName, QStringLiteral("Counter"));
        QCOMPARE(r.owner, &s.main());
        // Nothing stored: "C:\", which this system does not have, so the home folder.
        QCOMPARE(r.directory, QDir::homePath());

        // The folder is read at every export.
        QTemporaryDir dir;
        settings::write(settings::DefFileExportDir, dir.path());
        clickToolButton(s.main(), QStringLiteral("ExportFile"));
        QCOMPARE(filedialog::lastRequest().directory, dir.path());
        settings::write(settings::DefFileExportDir, QString());
        s.main().mnuFileExportFile_Click();
        QCOMPARE(filedialog::lastRequest().directory, QString());

        // A rebuild leaves no node selected, but the pane still shows the snippet, and it is what is proposed.
        s.main().mnuViewRefresh_Click();
        QCOMPARE(s.main().selectedNode(), 0);
        s.main().mnuFileExportFile_Click();
        QCOMPARE(filedialog::lastRequest().proposedName, QStringLiteral("Counter"));
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void writesTheFileByteForByte_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("header");
        QTest::newRow("module") << "Counter.bas" << QByteArray();
        QTest::newRow("class") << "Counter.cls" << classModuleHeader(QStringLiteral("Counter"));
        QTest::newRow("class in capitals") << "Shapes.CLS" << classModuleHeader(QStringLiteral("Shapes"));
        QTest::newRow("several dots") << "a.b.cls" << classModuleHeader(QStringLiteral("a"));
        QTest::newRow("text") << "snippet.txt" << QByteArray();
    }

    void writesTheFileByteForByte() {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, header);
        Session s({{QStringLiteral("Math"), {{QStringLiteral("Counter"), kCounter}}}});
        clickNode(s.main(), findNode(s.main(), QStringLiteral("Math"), QStringLiteral("Counter")));
        QTemporaryDir dir;
        // A folder whose name holds ".cls" does not make a module a class.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("x.cls")));
        const QString path = dir.filePath(QStringLiteral("x.cls/") + fileName);
        filedialog::setNextFileName(path);
        s.main().mnuFileExportFile_Click();
        QCOMPARE(contents(path), header + kCounter.toLatin1() + "\r\n");
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void charactersOutsideTheCodePageAreWrittenOnlyWhenTheUserAgrees_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<MessageBox::Button>("answer");
        QTest::addColumn<QString>("loss");
        QTest::addColumn<QByteArray>("written");
        const QByteArray old("an older and much longer file that must go away entirely");
        QTest::newRow("all in the code page") << "MsgBox \"\u00e9t\u00e9 \u20ac\"" << MessageBox::Button::Ok << ""
                                              << QByteArray("MsgBox \"\xe9t\xe9 \x80\"\r\n");
        QTest::newRow("one lost, written as ?")
            << "MsgBox \"\u00e9t\u00e9 \u20ac \u6f22\"" << MessageBox::Button::Ok
            << "1 character of the code cannot be written in Windows-1252, the code page of VB source files; the "
               "first is \"\u6f22\" (U+6F22)."
            << QByteArray("MsgBox \"\xe9t\xe9 \x80 ?\"\r\n");
        QTest::newRow("three lost, the first outside the BMP")
            << "' \U0001F600 a \u0151 \u6f22" << MessageBox::Button::Ok
            << "3 characters of the code cannot be written in Windows-1252, the code page of VB source files; the "
               "first is \"\U0001F600\" (U+1F600)."
            << QByteArray("' ? a ? ?\r\n");
        QTest::newRow("cancelled") << "' \u0151" << MessageBox::Button::Cancel << "1 character of the code" << old;
    }

    void charactersOutsideTheCodePageAreWrittenOnlyWhenTheUserAgrees() {
        QFETCH(QString, code);
        QFETCH(MessageBox::Button, answer);
        QFETCH(QString, loss);
        QFETCH(QByteArray, written);
        Session s;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.bas"));
        QVERIFY(writeFile(path, QByteArray("an older and much longer file that must go away entirely")));
        s.main().codeView()->setCode(code);
        filedialog::setNextFileName(path);
        MessageBox::setNextAnswer(answer);
        s.main().mnuFileExportFile_Click();
        QCOMPARE(MessageBox::shown().size(), loss.isEmpty() ? 0 : 1);
        if (!loss.isEmpty()) {
            const MessageBox::Shown box = MessageBox::shown()[0];
            QVERIFY2(box.text.startsWith(loss) && box.text.contains(QStringLiteral("\"?\"")), qPrintable(box.text));
            QCOMPARE(box.buttons, MessageBox::Buttons::OkCancel);
            QCOMPARE(box.icon, MessageBox::Icon::Warning);
        }
        QCOMPARE(contents(path), written);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("out.bas")});
    }

    void cancellingWritesNothing() {
        Session s;
        s.main().codeView()->setCode(QStringLiteral("some code"));
        QTemporaryDir dir;
        s.main().mnuFileExportFile_Click(); // no answer queued: the dialog is cancelled
        QCOMPARE(filedialog::requestCount(), 1);
        QVERIFY(QDir(dir.path()).isEmpty());
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void failuresNameTheFileAndKeepTheOldOne_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder gone") << "folder gone"
                                     << "does not exist";
        QTest::newRow("read-only file") << "read-only"
                                        << "read-only";
        QTest::newRow("a folder of that name") << "folder"
                                               << "folder";
    }

    void failuresNameTheFileAndKeepTheOldOne() {
        QFETCH(QString, damage);
        QFETCH(QString, reason);
        Session s;
        s.main().codeView()->setCode(QStringLiteral("new code"));
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("old.bas"));
        QVERIFY(writeFile(path, QByteArray("old code")));
        if (damage == QLatin1String("folder gone")) {
            path = dir.filePath(QStringLiteral("gone/new.bas"));
        } else if (damage == QLatin1String("read-only")) {
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        } else {
            path = dir.filePath(QStringLiteral("sub.bas"));
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub.bas")));
        }
        filedialog::setNextFileName(path);
        s.main().mnuFileExportFile_Click();
        QCOMPARE(MessageBox::shown().size(), 1);
        const MessageBox::Shown box = MessageBox::shown()[0];
        QCOMPARE(box.title, QStringLiteral("Verdane"));
        QCOMPARE(box.icon, MessageBox::Icon::Critical);
        QVERIFY2(box.text.contains(path) && box.text.contains(reason), qPrintable(box.text));
        QCOMPARE(contents(dir.filePath(QStringLiteral("old.bas"))), QByteArray("old code"));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("gone"))));
        QFile::setPermissions(dir.filePath(QStringLiteral("old.bas")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void thingsThatAreNotFilesAreRefusedAndLeftAlone_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("pipe") << "pipe";
        QTest::newRow("link to a pipe") << "link to a pipe";
        QTest::newRow("device") << "device";
    }

    void thingsThatAreNotFilesAreRefusedAndLeftAlone() {
        QFETCH(QString, target);
        Session s;
        s.main().codeView()->setCode(QStringLiteral("new code"));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("target.bas"));
        if (target == QLatin1String("device")) {
            if (!makeNullDevice(path))
                QSKIP("only the administrator may make a device");
        } else if (target == QLatin1String("pipe")) {
            QVERIFY(makeFifo(path));
        } else {
            QVERIFY(makeFifo(dir.filePath(QStringLiteral("pipe"))));
            QVERIFY(QFile::link(dir.filePath(QStringLiteral("pipe")), path));
        }
        const filesystem::Kind before = filesystem::facts(path).kind;
        filedialog::setNextFileName(path);
        s.main().mnuFileExportFile_Click();
        QCOMPARE(MessageBox::shown().size(), 1);
        const MessageBox::Shown box = MessageBox::shown()[0];
        QCOMPARE(box.icon, MessageBox::Icon::Critical);
        QVERIFY2(box.text.contains(path) && box.text.contains(QStringLiteral("left as it is")), qPrintable(box.text));
        QCOMPARE(filesystem::facts(path).kind, before);
        QVERIFY(QFileInfo(path).isSymLink() == (target == QLatin1String("link to a pipe")));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden).size(),
                 target == QLatin1String("link to a pipe") ? 2 : 1);
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
        s.main().codeView()->setCode(QStringLiteral("new code"));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("shared.bas"));
        const QString otherName = dir.filePath(QStringLiteral("other name.bas"));
        QVERIFY(writeFile(path, QByteArray("a much longer old code that must go away entirely")));
        const QFileDevice::Permissions permissions =
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadUser;
        if (kept == QLatin1String("hard link"))
            QVERIFY(makeHardLink(path, otherName));
        else if (kept == QLatin1String("permissions"))
            QVERIFY(QFile::setPermissions(path, permissions));
        else if (!runsAsRoot() || !changeOwner(path, 4242, 4343))
            QSKIP("only the administrator may give a file to another user");
        const filesystem::Facts before = filesystem::facts(path);
        filedialog::setNextFileName(path);
        s.main().mnuFileExportFile_Click();
        QVERIFY2(MessageBox::shown().isEmpty(), qPrintable(MessageBox::shownTexts().join('|')));
        QCOMPARE(contents(path), QByteArray("new code\r\n"));
        const filesystem::Facts after = filesystem::facts(path);
        QCOMPARE(after.mode, before.mode);
        QCOMPARE(after.owner, before.owner);
        QCOMPARE(after.group, before.group);
        QCOMPARE(after.links, before.links);
        if (kept == QLatin1String("hard link"))
            QCOMPARE(contents(otherName), QByteArray("new code\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(),
                 kept == QLatin1String("hard link") ? 2 : 1);
    }

    void importedModulesComeBackByteForByte_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("module in Windows-1252")
            << "modTimer.bas"
            << QByteArray("Attribute VB_Name = \"modTimer\"\r\n"
                          "Option Explicit\r\n"
                          "' Zeitmessung f\xfcr gro\xdf"
                          "e Schleifen \x80\r\n"
                          "Private Declare Function GetTickCount Lib \"kernel32\" () "
                          "As Long\r\n"
                          "\r\n"
                          "Public Function Elapsed(ByVal Start As Long) As Long\r\n"
                          "    Elapsed = GetTickCount() - Start\r\n"
                          "End Function\r\n");
        QTest::newRow("class with its header") << "CStopwatch.cls"
                                               << QByteArray("VERSION 1.0 CLASS\r\n"
                                                             "BEGIN\r\n"
                                                             "  MultiUse = -1  'True\r\n"
                                                             "  Persistable = 0  'NotPersistable\r\n"
                                                             "  DataBindingBehavior = 0  'vbNone\r\n"
                                                             "  DataSourceBehavior  = 0  'vbNone\r\n"
                                                             "  MTSTransactionMode  = 0  'NotAnMTSObject\r\n"
                                                             "END\r\n"
                                                             "Attribute VB_Name = \"CStopwatch\"\r\n"
                                                             "Attribute VB_GlobalNameSpace = False\r\n"
                                                             "Attribute VB_Creatable = True\r\n"
                                                             "Attribute VB_PredeclaredId = False\r\n"
                                                             "Attribute VB_Exposed = False\r\n"
                                                             "Option Explicit\r\n"
                                                             "' \xa9 Caf\xe9 Software\r\n"
                                                             "Private m_Start As Long\r\n"
                                                             "\r\n"
                                                             "Public Sub Reset()\r\n"
                                                             "    m_Start = GetTickCount()\r\n"
                                                             "End Sub\r\n");
    }

    // Imported through the Import window, exported again under the same name in another folder.
    void importedModulesComeBackByteForByte() {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, bytes);
        Session s;
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("out")));
        QVERIFY(writeFile(dir.filePath(fileName), bytes));
        s.main().mnuFileImport_Click();
        ImportWindow* import = s.main().importWindow();
        import->findChild<QLineEdit*>(QStringLiteral("txtCodeName"))->setText(QStringLiteral("Round Trip"));
        import->findChild<QLineEdit*>(QStringLiteral("txtFile"))->setText(dir.filePath(fileName));
        import->cmdImport_Click();
        clickNode(s.main(), findNode(s.main(), kUserCodeCaption, QStringLiteral("Round Trip")));
        const QString exported = dir.filePath(QStringLiteral("out/") + fileName);
        filedialog::setNextFileName(exported);
        s.main().mnuFileExportFile_Click();
        QVERIFY2(MessageBox::shown().isEmpty(), qPrintable(MessageBox::shownTexts().join('|')));
        QCOMPARE(contents(exported), bytes);
    }

    void theProposedNameStaysInTheExportFolder() {
        Session s({}, {{QStringLiteral("../../etc/cron.d/job"), QStringLiteral("x = 1")}});
        clickNode(s.main(), findNode(s.main(), kUserCodeCaption, QStringLiteral("../../etc/cron.d/job")));
        s.main().mnuFileExportFile_Click();
        QCOMPARE(filedialog::lastRequest().proposedName, QStringLiteral("___.._etc_cron.d_job"));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestExportToFile)
#include "tst_exporttofile.moc"
