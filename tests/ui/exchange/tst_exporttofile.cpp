#include "core/GroupNames.h"
#include "core/Settings.h"
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

class TestExportToFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<UiEnvironment>(); }

    // The dialog proposes the shown snippet's name, made safe, and starts in the export folder read at every export;
    // the chosen file's name (never its folder) decides whether a class module is written. A module imported through
    // the Import window comes back byte for byte; characters the code page cannot hold are written as "?" only when
    // the user agrees; a file that cannot be written is named with why. How files are written is
    // tst_exchangeformats' business.
    void exportsAsTheUserExpects() {
        const QByteArray module = "Attribute VB_Name = \"modTimer\"\r\n' \xa9 Caf\xe9 f\xfcr Gr\xf6\xdf \x80\r\n";
        Session s({}, {{"../../etc/cron.d/job", "x = 1"}});
        clickNode(s.main(), findNode(s.main(), kUserCodeCaption, "../../etc/cron.d/job"));
        s.main().mnuFileExportFile_Click(); // cancelled: nothing written, nothing said
        QCOMPARE(filedialog::lastRequest().proposedName, "___.._etc_cron.d_job");

        QTemporaryDir dir;
        settings::write(settings::DefFileExportDir, dir.path());
        QVERIFY(QDir(dir.path()).mkdir("x.cls"));
        QVERIFY(writeFile(dir.filePath("modTimer.bas"), module));
        s.main().mnuFileImport_Click();
        s.main().importWindow()->findChild<QLineEdit*>("txtCodeName")->setText("Timer");
        s.main().importWindow()->findChild<QLineEdit*>("txtFile")->setText(dir.filePath("modTimer.bas"));
        s.main().importWindow()->cmdImport_Click();
        clickNode(s.main(), findNode(s.main(), kUserCodeCaption, "Timer"));
        s.main().mnuViewRefresh_Click(); // no node selected any more, the pane still shows the snippet
        const QString out = dir.filePath("x.cls/modTimer.bas");
        auto exportTo = [&](const QString& path) {
            filedialog::setNextFileName(path);
            action(s.main(), "mnuFileExportFile")->trigger();
        };
        exportTo(out);
        QCOMPARE(filedialog::lastRequest().proposedName, "Timer");
        QCOMPARE(filedialog::lastRequest().directory, dir.path());
        QCOMPARE(fileBytes(out), module);
        QVERIFY(MessageBox::shown().isEmpty());

        s.main().codeView()->setCode("' \u0151");
        MessageBox::setNextAnswer(MessageBox::Button::Cancel);
        exportTo(out);
        QCOMPARE(fileBytes(out), module);
        s.main().codeView()->setCode("' \U0001F600 a \u0151 \u6f22");
        exportTo(out);
        QCOMPARE(fileBytes(out), "' ? a ? ?\r\n");
        QCOMPARE(QDir(dir.filePath("x.cls")).entryList(QDir::Files | QDir::Hidden), QStringList{"modTimer.bas"});
        QVERIFY(QFile::setPermissions(out, QFileDevice::ReadOwner));
        exportTo(out);
        QCOMPARE(fileBytes(out), "' ? a ? ?\r\n");
        const QList<MessageBox::Shown> boxes = MessageBox::shown();
        QCOMPARE(boxes.size(), 4);
        QVERIFY2(boxes[0].text.contains("1 character") && boxes[0].text.contains("\"\u0151\" (U+0151)"),
                 qPrintable(boxes[0].text));
        QVERIFY2(boxes[1].text.contains("3 characters") && boxes[1].text.contains("\"\U0001F600\" (U+1F600)"),
                 qPrintable(boxes[1].text));
        QCOMPARE(boxes[3].text, "The code could not be exported to " + out + ": the file is read-only.");
        QCOMPARE(boxes[3].icon, MessageBox::Icon::Critical);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestExportToFile)
#include "tst_exporttofile.moc"
