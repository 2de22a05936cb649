#include "core/GroupNames.h"
#include "platform/Shell.h"
#include "support/UiSupport.h"
#include "ui/common/MessageBox.h"
#include "ui/main/MainWindow.h"
#include "ui/settings/AboutBox.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace verdane;
using namespace verdane::test;

namespace {

// Runs the About box from the menu; check looks at it while it is open and closes it.
void withAboutBox(MainWindow& main, const std::function<void(AboutBox*)>& check) {
    bool checked = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<AboutBox*>(QApplication::activeModalWidget());
        if (!box) {
            for (QWidget* w : QApplication::topLevelWidgets())
                box = box ? box : qobject_cast<AboutBox*>(w);
        }
        QVERIFY(box);
        check(box);
        checked = true;
        if (box->isVisible())
            box->reject();
    });
    action(main, "mnuHelpAbout")->trigger();
    QVERIFY(checked);
}

QString label(AboutBox* box, const char* name) {
    return box->findChild<QLabel*>(QString::fromLatin1(name))->text();
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        m_env = std::make_unique<UiEnvironment>();
        shell::recordInsteadOfOpening(&m_opened);
    }
    void init() {
        m_env->reset();
        m_opened.clear();
    }

    void sizeTextIsKilobytesInShortestForm_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("1.5") << qint64(1536) << "Database Size: 1.5Kb";
        QTest::newRow("512") << qint64(524288) << "Database Size: 512Kb";
        QTest::newRow("1205.6318359375") << qint64(1234567) << "Database Size: 1205.6318359375Kb";
        QTest::newRow("no grouping") << qint64(1024LL * 1234567) << "Database Size: 1234567Kb";
    }

    void sizeTextIsKilobytesInShortestForm() {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(databaseSizeText(bytes, QLocale::c()), text);
        // The user's decimal separator, and still no grouping.
        QLocale german(QLocale::German, QLocale::Germany);
        QCOMPARE(databaseSizeText(bytes, german), QString(text).replace('.', ','));
    }

    // The box as a user meets it: the library's size and the files in use, the address that opens the home page,
    // Enter and Esc closing it; with the library gone, the error and the box all the same.
    void aUserLooksAtTheAboutBox() {
        Session s;
        QVERIFY(writeFile(s.folder().libraryPath(), QByteArray(1536, 'x')));
        withAboutBox(s.main(), [&](AboutBox* box) {
            QVERIFY(box->isModal());
            QCOMPARE(label(box, "lblDatabaseInfo"), "Database Size: 1.5Kb");
            const QString files = box->findChild<QLabel*>("lblDatabaseInfo")->toolTip();
            QVERIFY2(files.contains(s.folder().libraryPath()) && files.contains(s.folder().userPath()),
                     qPrintable(files));
            QVERIFY(label(box, "lblVersion").contains(QRegularExpression("^Version \\d+\\.\\d+\\.\\d+$")));
            QTest::mouseClick(box->findChild<QLabel*>("lblLabel1"), Qt::LeftButton);
            QTest::keyClick(box, Qt::Key_Return);
            QVERIFY(!box->isVisible());
        });
        action(s.main(), "mnuViewBrowser")->trigger();
        QCOMPARE(m_opened.size(), 2);
        QCOMPARE(m_opened[0], m_opened[1]);
        QVERIFY(MessageBox::shown().isEmpty());

        QVERIFY(QFile::remove(s.folder().libraryPath()));
        withAboutBox(s.main(), [&](AboutBox* box) {
            QCOMPARE(MessageBox::shownTexts(), QStringList{"Error"});
            QVERIFY(label(box, "lblVersion").startsWith("Version "));
            QCOMPARE(label(box, "lblDatabaseInfo"), "Database Info");
            QTest::keyClick(box, Qt::Key_Escape);
            QVERIFY(!box->isVisible());
        });
        // The windows' icon is the drawn one: a tile with rounded corners.
        const QImage icon = QApplication::windowIcon().pixmap(64).toImage();
        QCOMPARE(icon.pixelColor(0, 0).alpha(), 0);
        QCOMPARE(icon.pixelColor(32, 32).alpha(), 255);
    }

    void systemInfoStartsTheFirstAlternativeOnThePath() {
        // Real programs on a temporary PATH; the second of the list is there, and leaves a mark when it runs.
        QTemporaryDir bin;
        const QString mark = bin.filePath("ran");
        QVERIFY(writeFile(bin.filePath("kinfocenter"), QStringLiteral("#!/bin/sh\n: > '%1'\n").arg(mark).toUtf8()));
        QVERIFY(QFile::setPermissions(bin.filePath("kinfocenter"),
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::WriteOwner));
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", bin.path().toUtf8());
        Session s;
        withAboutBox(s.main(), [&](AboutBox* box) {
            QTest::mouseClick(box->findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
            QVERIFY(box->isVisible());
        });
        QVERIFY(MessageBox::shown().isEmpty());
        QTRY_VERIFY(QFileInfo::exists(mark));

        // With nothing on the PATH, the message, and the box stays open.
        qputenv("PATH", m_emptyPath.path().toUtf8());
        withAboutBox(s.main(), [&](AboutBox* box) {
            box->cmdSysInfo_Click();
            QCOMPARE(MessageBox::shownTexts(), QStringList{"System Information Is Unavailable At This Time"});
            QCOMPARE(MessageBox::shown()[0].icon, MessageBox::Icon::None);
            QVERIFY(box->isVisible());
        });
        qputenv("PATH", oldPath);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
    QList<QUrl> m_opened;
    QTemporaryDir m_emptyPath;
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
