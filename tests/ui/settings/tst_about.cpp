#include "platform/Shell.h"
#include "support/UiSupport.h"
#include "ui/common/MessageBox.h"
#include "ui/main/MainWindow.h"
#include "ui/settings/AboutBox.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace verdane;
using namespace verdane::test;

class TestAbout : public QObject {
    Q_OBJECT
    QList<QUrl> m_opened;

private Q_SLOTS:
    // Kilobytes in the shortest form, up to 15 digits, with the user's decimal separator and no grouping.
    void sizeTextIsKilobytesInShortestForm() {
        for (const auto& [bytes, kilobytes] :
             {std::pair{1536LL, "1.5"}, {1234567LL, "1205.6318359375"}, {1024LL * 1234567, "1234567"}}) {
            const QString text = QString("Database Size: %1Kb").arg(kilobytes);
            QCOMPARE(databaseSizeText(bytes, QLocale::c()), text);
            QCOMPARE(databaseSizeText(bytes, QLocale(QLocale::German, QLocale::Germany)),
                     QString(text).replace('.', ','));
        }
    }

    // A team library has no size to show, only its address.
    void teamLibraryShowsItsAddress() {
        const QString url = "postgresql://vb@db.example/team";
        AboutBox box(nullptr, url, url);
        auto* info = child<QLabel>(&box, "lblDatabaseInfo");
        QCOMPARE(info->text(), "Team Library");
        QVERIFY(info->toolTip().contains(url));
    }

    // The library's size, the files in use when the pointer rests on it, the address that opens the home page as
    // the menu does, System Information started from the programs on the PATH (a real one, which leaves a mark), and
    // Enter closing the box. Then, with the library and the program gone: the error, the messages and Esc.
    void aUserLooksAtTheAboutBox() {
        UiEnvironment env;
        shell::recordInsteadOfOpening(&m_opened);
        QTemporaryDir bin;
        const QString program = bin.filePath("kinfocenter"); // the second of those looked for
        QVERIFY(writeFile(program, QString("#!/bin/sh\n: > '%1'\n").arg(bin.filePath("ran")).toUtf8()));
        QVERIFY(QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toUtf8());
        Session s;
        QVERIFY(writeFile(s.folder().libraryPath(), QByteArray(1536, 'x')));
        auto withAboutBox = [&](const std::function<void(AboutBox*, QLabel*)>& check) {
            bool checked = false;
            QTimer::singleShot(0, [&] {
                auto* box = s.main().findChild<AboutBox*>();
                QVERIFY(box);
                check(box, box->findChild<QLabel*>("lblDatabaseInfo"));
                checked = !box->isVisible();
                if (box->isVisible())
                    box->reject();
            });
            action(s.main(), "mnuHelpAbout")->trigger();
            return checked;
        };
        QVERIFY(withAboutBox([&](AboutBox* box, QLabel* info) {
            QCOMPARE(info->text(), "Database Size: 1.5Kb");
            QVERIFY(info->toolTip().contains(s.folder().libraryPath()) &&
                    info->toolTip().contains(s.folder().userPath()));
            QTest::mouseClick(box->findChild<QLabel*>("lblLabel1"), Qt::LeftButton);
            QTest::mouseClick(box->findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
            QVERIFY(box->isVisible());
            QTest::keyClick(box, Qt::Key_Return);
        }));
        QTRY_VERIFY(QFileInfo::exists(bin.filePath("ran")));
        action(s.main(), "mnuViewBrowser")->trigger();
        QCOMPARE(m_opened.size(), 2);
        QCOMPARE(m_opened[0], m_opened[1]);
        QVERIFY(MessageBox::shown().isEmpty());

        QVERIFY(QFile::remove(s.folder().libraryPath()) && QFile::remove(program));
        QVERIFY(withAboutBox([&](AboutBox* box, QLabel* info) {
            QCOMPARE(info->text(), "Database Info");
            QTest::mouseClick(box->findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
            QCOMPARE(MessageBox::shownTexts(),
                     QStringList({"Error", "System Information Is Unavailable At This Time"}));
            QVERIFY(box->isVisible());
            QTest::keyClick(box, Qt::Key_Escape);
        }));
        qputenv("PATH", path);
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
