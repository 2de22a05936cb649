#include "core/GroupNames.h"
#include "core/Version.h"
#include "platform/Shell.h"
#include "support/UiSupport.h"
#include "ui/common/MessageBox.h"
#include "ui/main/MainWindow.h"
#include "ui/settings/AboutBox.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
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
    action(main, QStringLiteral("mnuHelpAbout"))->trigger();
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
        QTest::newRow("1280") << qint64(1310720) << "Database Size: 1280Kb";
        QTest::newRow("1953.125") << qint64(2000000) << "Database Size: 1953.125Kb";
        QTest::newRow("no grouping") << qint64(1024LL * 1234567) << "Database Size: 1234567Kb";
        QTest::newRow("15 digits") << qint64(1000) << "Database Size: 0.9765625Kb";
    }

    void sizeTextIsKilobytesInShortestForm() {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(databaseSizeText(bytes, QLocale::c()), text);
        // The user's decimal separator, and still no grouping.
        QLocale german(QLocale::German, QLocale::Germany);
        QCOMPARE(databaseSizeText(bytes, german), QString(text).replace(QLatin1Char('.'), QLatin1Char(',')));
    }

    void showsTitleVersionAndTheLibraryFileSize_data() {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QString>("size");
        QTest::newRow("1,536 bytes") << 1536 << "Database Size: 1.5Kb";
        QTest::newRow("524,288 bytes") << 524288 << "Database Size: 512Kb";
        QTest::newRow("1,234,567 bytes") << 1234567 << "Database Size: 1205.6318359375Kb";
    }

    void showsTitleVersionAndTheLibraryFileSize() {
        QFETCH(int, bytes);
        QFETCH(QString, size);
        Session s;
        QVERIFY(writeFile(s.folder().libraryPath(), QByteArray(bytes, 'x')));
        withAboutBox(s.main(), [&](AboutBox* box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("About Verdane"));
            QVERIFY(box->isModal());
            QCOMPARE(box->parentWidget(), &s.main());
            QCOMPARE(box->size(), QSize(366, 159));
            QCOMPARE(label(box, "lblTitle"), QStringLiteral("Verdane"));
            QCOMPARE(label(box, "lblVersion"), QStringLiteral("Version ") + QStringLiteral(VERDANE_VERSION));
            QCOMPARE(label(box, "lblDatabaseInfo"), size);
            // Which files are in use: where the program found them, whichever way it was installed.
            const QString files = box->findChild<QLabel*>(QStringLiteral("lblDatabaseInfo"))->toolTip();
            QVERIFY2(files.contains(s.folder().libraryPath()) && files.contains(s.folder().userPath()),
                     qPrintable(files));
            QVERIFY(!label(box, "lblCopyright").isEmpty());
            QVERIFY(!box->findChild<QLabel*>(QStringLiteral("imgImage1"))->pixmap().isNull());
            QCOMPARE(box->findChild<QPushButton*>(QStringLiteral("cmdOK"))->text(), QStringLiteral("&OK"));
            QCOMPARE(box->findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->text(),
                     QStringLiteral("&System Info..."));
        });
        QVERIFY(MessageBox::shown().isEmpty());
    }

    // The icon is drawn from the desktop's SVG file, built into the program: a tile with rounded corners.
    void windowsCarryTheDrawnIcon() {
        Session s;
        const QImage icon = QApplication::windowIcon().pixmap(64).toImage();
        QCOMPARE(icon.size(), QSize(64, 64));
        QCOMPARE(icon.pixelColor(0, 0).alpha(), 0);
        QCOMPARE(icon.pixelColor(32, 32).alpha(), 255);
        QCOMPARE(icon.pixelColor(2, 32).alpha(), 255);
    }

    void missingLibraryShowsErrorAndStillOpens() {
        Session s;
        QVERIFY(QFile::remove(s.folder().libraryPath()));
        withAboutBox(s.main(), [&](AboutBox* box) {
            QCOMPARE(MessageBox::shownTexts(), QStringList{QStringLiteral("Error")});
            QCOMPARE(MessageBox::shown()[0].icon, MessageBox::Icon::Critical);
            QCOMPARE(label(box, "lblTitle"), QStringLiteral("Verdane"));
            QVERIFY(label(box, "lblVersion").startsWith(QStringLiteral("Version ")));
            QCOMPARE(label(box, "lblDatabaseInfo"), QStringLiteral("Database Info"));
        });
    }

    // A team library has no size to show, only its address.
    void teamLibraryShowsItsAddress() {
        const QString url = QStringLiteral("postgresql://vb@db.example/team");
        AboutBox box(nullptr, url, url);
        QCOMPARE(label(&box, "lblDatabaseInfo"), QStringLiteral("Team Library"));
        QVERIFY(box.findChild<QLabel*>(QStringLiteral("lblDatabaseInfo"))->toolTip().contains(url));
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void enterAndEscClose() {
        Session s;
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            withAboutBox(s.main(), [&](AboutBox* box) {
                QTest::keyClick(box, key);
                QVERIFY(!box->isVisible());
            });
        }
    }

    void webAddressOpensTheHomePage() {
        Session s;
        withAboutBox(s.main(), [&](AboutBox* box) {
            auto* link = box->findChild<QLabel*>(QStringLiteral("lblLabel1"));
            QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
            QVERIFY(link->font().underline());
            QCOMPARE(link->palette().color(QPalette::WindowText), QColor(Qt::blue));
            QTest::mouseClick(link, Qt::LeftButton);
        });
        action(s.main(), QStringLiteral("mnuViewBrowser"))->trigger();
        QCOMPARE(m_opened.size(), 2);
        QCOMPARE(m_opened[0], m_opened[1]);
        QCOMPARE(m_opened[0].toString(), QStringLiteral("http://www.quillmere.example"));
    }

    void systemInfoStartsTheFirstAlternativeOnThePath() {
        // Real programs on a temporary PATH; the second of the list is there, and leaves a mark when it runs.
        QTemporaryDir bin;
        const QString mark = bin.filePath(QStringLiteral("ran"));
        QVERIFY(writeFile(bin.filePath(QStringLiteral("kinfocenter")),
                          QStringLiteral("#!/bin/sh\n: > '%1'\n").arg(mark).toUtf8()));
        QVERIFY(QFile::setPermissions(bin.filePath(QStringLiteral("kinfocenter")),
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::WriteOwner));
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", bin.path().toUtf8());
        Session s;
        withAboutBox(s.main(), [&](AboutBox* box) {
            QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("cmdSysInfo")), Qt::LeftButton);
            QVERIFY(box->isVisible());
        });
        QVERIFY(MessageBox::shown().isEmpty());
        QTRY_VERIFY(QFileInfo::exists(mark));

        // With nothing on the PATH, the message, and the box stays open.
        qputenv("PATH", m_emptyPath.path().toUtf8());
        withAboutBox(s.main(), [&](AboutBox* box) {
            box->cmdSysInfo_Click();
            QCOMPARE(MessageBox::shownTexts(),
                     QStringList{QStringLiteral("System Information Is Unavailable At This Time")});
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
