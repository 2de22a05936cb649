#include "core/GroupNames.h"
#include "platform/Clipboard.h"
#include "support/SpecialFiles.h"
#include "support/UiSupport.h"
#include "ui/common/FileDialog.h"
#include "ui/common/MessageBox.h"
#include "ui/exchange/ImportWindow.h"
#include "ui/main/MainWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace verdane;
using namespace verdane::test;

class TestImportWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<UiEnvironment>(); }

    // What a user does with the window: import too early, from an empty clipboard, from a pipe, under a name User
    // Code holds, then type a name, browse for a file and import with Enter. The tree lists the new snippet, and the
    // pane keeps what it showed until the user clicks it. What the reader refuses is tst_importreader's business.
    void aUserImportsAFile() {
        Session s({{"Math", {{"Sum", "s"}}}}, {{"Twin", "first"}});
        clickNode(s.main(), findNode(s.main(), "Math", "Sum"));
        ImportWindow* w = nullptr;
        QLineEdit* name = nullptr;
        QLineEdit* path = nullptr;
        auto open = [&](const QString& typed = {}) {
            action(s.main(), "mnuFileImport")->trigger();
            w = s.main().importWindow();
            name = w->findChild<QLineEdit*>("txtCodeName");
            path = w->findChild<QLineEdit*>("txtFile");
            name->setText(typed);
        };
        open();
        auto* browse = w->findChild<QPushButton*>("cmdBrowse");
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(QApplication::focusWidget(), name);
        // What stops an import is said once, and leaves the window, its inputs and the user's file as they were.
        auto stopped = [&](const QString& message, MessageBox::Icon icon = MessageBox::Icon::None) {
            auto state = [&] {
                return name->text() + '|' + path->text() + '|' + fileDigest(s.folder().userPath()).toHex();
            };
            const QString before = state();
            MessageBox::clearShown();
            QTest::mouseClick(w->findChild<QPushButton*>("cmdImport"), Qt::LeftButton);
            const QList<MessageBox::Shown> shown = MessageBox::shown();
            const bool kept = w->isVisible() && state() == before;
            return kept && shown.size() == 1 && shown[0].text.contains(message) && shown[0].icon == icon
                       ? QString()
                       : "kept: " + QString::number(kept) + ", shown: " + MessageBox::shownTexts().join('|');
        };
        QCOMPARE(stopped("Please give the code snippet a name"), QString());
        name->setText("Twin");
        QTest::mouseClick(w->findChild<QRadioButton*>("optClipboard"), Qt::LeftButton);
        QVERIFY(!path->isEnabled() && !browse->isEnabled());
        QCOMPARE(stopped("Please copy the code to the clipboard"), QString());
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QApplication::clipboard()->setImage(picture);
        QCOMPARE(stopped("Please copy the code to the clipboard"), QString());
        clipboard::setText("second");
        QCOMPARE(stopped("\"Twin\""), QString());

        QTest::mouseClick(w->findChild<QRadioButton*>("optFile"), Qt::LeftButton);
        QVERIFY(path->isEnabled() && browse->isEnabled());
        QTemporaryDir dir;
        QVERIFY(makeFifo(dir.filePath("pipe")));
        path->setText(dir.filePath("pipe"));
        QCOMPARE(stopped("is a pipe (FIFO), not a file"), QString());
        QTest::mouseClick(browse, Qt::LeftButton); // cancelled
        QCOMPARE(path->text(), dir.filePath("pipe"));
        name->clear();
        QTest::keyClicks(name, "  " + QString(60, 'n'));
        const QString typed = "  " + QString(48, 'n'); // the most a name may hold, spaces included
        // The menu entry shows the same window again, with its inputs.
        s.main().mnuFileImport_Click();
        QCOMPARE(s.main().importWindow(), w);

        // The keyboard is back in this window once the file is chosen: Enter imports.
        const QString chosen = dir.filePath("Module1.bas");
        QVERIFY(writeFile(chosen, "Attribute VB_Name = \"Module1\"\nSub A()\n"));
        MessageBox::clearShown();
        filedialog::setNextFileName(chosen);
        QTest::mouseClick(browse, Qt::LeftButton);
        QCOMPARE(path->text(), chosen);
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(s.main().importWindow() == nullptr);
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(paneText(s.main()), "s");
        clickNode(s.main(), findNode(s.main(), kUserCodeCaption, typed));
        QCOMPARE(paneText(s.main()), "Attribute VB_Name = \"Module1\"\r\nSub A()\r\n");

        // From the clipboard, lines get Windows line breaks too.
        open("Clip");
        w->findChild<QRadioButton*>("optClipboard")->click();
        clipboard::setText("a\nb");
        w->cmdImport_Click();
        clickNode(s.main(), findNode(s.main(), kUserCodeCaption, "Clip"));
        QCOMPARE(paneText(s.main()), "a\r\nb");

        // A store that fails is an error, which stops the import too.
        QVERIFY(DatabaseFile::exec(s.folder().userPath(), "DROP TABLE UserCode"));
        open("Lost");
        w->findChild<QRadioButton*>("optClipboard")->click();
        QCOMPARE(stopped(kUserFileName, MessageBox::Icon::Critical), QString());
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestImportWindow)
#include "tst_importwindow.moc"
