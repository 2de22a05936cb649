#include "core/GroupNames.h"
#include "core/Settings.h"
#include "exchange/ExportFormat.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "support/UiSupport.h"
#include "ui/main/CodeView.h"
#include "ui/main/MainToolBar.h"
#include "ui/main/MainWindow.h"

#include <QDir>
#include <QFile>
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
    void initTestCase() { m_env = std::make_unique<TestEnvironment>(); }
    void init() { m_env->reset(); }

    void dialogIsAskedAsTheUserExpects() {
        Session s({{QStringLiteral("Math"), {{QStringLiteral("Counter"), kCounter}}}});
        clickNode(s.main(), findNode(s.main(), QStringLiteral("Math"), QStringLiteral("Counter")));
        s.main().menuAction(QStringLiteral("mnuFileExportFile"))->trigger();
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
        s.main().toolBar()->button(QStringLiteral("ExportFile"))->trigger();
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

    void textOutsideTheCodePageAndOverwriting() {
        Session s;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.bas"));
        QVERIFY(writeFile(path, QByteArray("an older and much longer file that must go away entirely")));
        s.main().codeView()->setCode(QStringLiteral("MsgBox \"\u00e9t\u00e9 \u20ac \u6f22\""));
        filedialog::setNextFileName(path);
        s.main().mnuFileExportFile_Click();
        QCOMPARE(contents(path), QByteArray("MsgBox \"\xe9t\xe9 \x80 ?\"\r\n"));
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

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestExportToFile)
#include "tst_exporttofile.moc"
