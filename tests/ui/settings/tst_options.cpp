#include "core/Settings.h"
#include "support/UiSupport.h"
#include "ui/common/MessageBox.h"
#include "ui/main/MainWindow.h"
#include "ui/settings/OptionsWindow.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace verdane;
using namespace verdane::test;

namespace {
struct Controls {
    OptionsWindow* window;
    QLineEdit* service;
    QLineEdit* folder;
    QPushButton* ok;
    QPushButton* cancel;
};

Controls openOptions(MainWindow& main) {
    action(main, "mnuViewOptions")->trigger();
    OptionsWindow* w = main.optionsWindow();
    return {w, w->findChild<QLineEdit*>("txtmIRCService"), w->findChild<QLineEdit*>("txtDefaultFileExportDir"),
            w->findChild<QPushButton*>("cmdOK"), w->findChild<QPushButton*>("cmdCancel")};
}
} // namespace

class TestOptions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<UiEnvironment>(); }
    void init() { m_env->reset(); }

    void firstRunShowsTheDefaults() {
        Session s;
        Controls c = openOptions(s.main());
        QVERIFY(!c.window->isModal());
        QCOMPARE(c.service->text(), "mIRC");
        QCOMPARE(c.folder->text(), QDir::homePath());

        c.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(c.window));
        QCOMPARE(QApplication::focusWidget(), c.cancel);
        for (QWidget* next : std::initializer_list<QWidget*>{c.ok, c.service, c.folder, c.cancel}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }

    void okWritesBothExactlyAsTyped() {
        Session s;
        Controls c = openOptions(s.main());
        // Unchanged: both keys are written, with the defaults.
        QTest::mouseClick(c.ok, Qt::LeftButton);
        QTRY_VERIFY(s.main().optionsWindow() == nullptr);
        QVERIFY(settings::contains(settings::ChatServiceName) && settings::contains(settings::DefFileExportDir));
        QCOMPARE(settings::read(settings::DefFileExportDir), QDir::homePath());

        c = openOptions(s.main());
        c.service->setText(" /run/weechat_fifo_1 ");
        c.folder->clear();
        QTest::keyClick(c.folder, Qt::Key_Return); // Enter is OK
        QTRY_VERIFY(s.main().optionsWindow() == nullptr);
        QCOMPARE(settings::read(settings::ChatServiceName), " /run/weechat_fifo_1 ");
        QCOMPARE(settings::read(settings::DefFileExportDir), QString());
        // An empty folder stays empty when read again.
        c = openOptions(s.main());
        QCOMPARE(c.folder->text(), QString());
        QCOMPARE(c.service->text(), " /run/weechat_fifo_1 ");
    }

    void cancelAndCloseWriteNothing() {
        Session s;
        settings::write(settings::DefFileExportDir, "/stored");
        Controls c = openOptions(s.main());
        c.folder->setText("/edited");
        c.service->setText("edited");
        QTest::mouseClick(c.cancel, Qt::LeftButton);
        QTRY_VERIFY(s.main().optionsWindow() == nullptr);
        QCOMPARE(settings::read(settings::DefFileExportDir), "/stored");
        QVERIFY(!settings::contains(settings::ChatServiceName));

        c = openOptions(s.main());
        QCOMPARE(c.folder->text(), "/stored");
        c.folder->setText("/edited again");
        c.window->close(); // the title bar's close
        QTRY_VERIFY(s.main().optionsWindow() == nullptr);
        QCOMPARE(settings::read(settings::DefFileExportDir), "/stored");

        c = openOptions(s.main());
        c.folder->setText("/escaped");
        QTest::keyClick(c.folder, Qt::Key_Escape);
        QTRY_VERIFY(s.main().optionsWindow() == nullptr);
        QCOMPARE(settings::read(settings::DefFileExportDir), "/stored");
    }

    void reopeningWhileOpenKeepsTheEdits() {
        Session s;
        Controls c = openOptions(s.main());
        c.folder->setText("/not yet saved");
        s.main().mnuViewOptions_Click();
        QCOMPARE(s.main().optionsWindow(), c.window);
        QCOMPARE(c.folder->text(), "/not yet saved");
        QVERIFY(!settings::contains(settings::DefFileExportDir));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
