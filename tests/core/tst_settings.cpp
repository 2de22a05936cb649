#include "core/Placement.h"
#include "core/Settings.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace verdane;
using namespace verdane::test;

class TestSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<TestEnvironment>(); }
    void init() { m_env->reset(); }

    void defaultsApplyOnlyWhileAKeyIsAbsent() {
        // Exports go to the home folder until told otherwise: the folder the file dialogs start in here.
        QCOMPARE(settings::read(settings::DefFileExportDir), QDir::homePath());
        QCOMPARE(settings::read(settings::ChatServiceName), "mIRC");
        QVERIFY(!settings::contains(settings::DefFileExportDir));
        QVERIFY(settings::write(settings::DefFileExportDir, QString()));
        QVERIFY(settings::contains(settings::DefFileExportDir));
        QCOMPARE(settings::read(settings::DefFileExportDir), QString());
    }

    void valuesRoundTripExactlyAsText() {
        const QStringList values{
            "C:\\Projects\\", "  spaced  ", "a,b;c=d", "@Variant(odd)", "/home/\u00e9l\u00e8ve/export", "[Settings]"};
        for (const QString& value : values) {
            QVERIFY(settings::write(settings::DefFileExportDir, value));
            QCOMPARE(settings::read(settings::DefFileExportDir), value);
        }
        // The store is the per-user file of the application "Verdane", section "Settings".
        QFile file(m_env->settingsFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("[Settings]"));
    }

    void placementDefaultsAndParsing() {
        QCOMPARE(readPlacement(), std::optional<Placement>(Placement{1000, 1000, 6500, 6500}));
        settings::write(settings::MainLeft, "-450");
        settings::write(settings::MainTop, " 30 ");
        settings::write(settings::MainWidth, "9000.5");
        QCOMPARE(readPlacement(), std::optional<Placement>(Placement{-450, 30, 9000.5, 6500}));
    }

    void placementRefusesWhatIsNotAUsableNumber_data() {
        QTest::addColumn<QString>("stored");
        QTest::newRow("text") << "wide";
        QTest::newRow("empty") << QString();
        QTest::newRow("number with text") << "6500px";
        QTest::newRow("negative size") << "-10";
        QTest::newRow("not finite") << "inf";
        QTest::newRow("beyond any screen") << "1e300";
    }

    void placementRefusesWhatIsNotAUsableNumber() {
        QFETCH(QString, stored);
        settings::write(settings::MainWidth, stored);
        QVERIFY(!readPlacement());
    }

    void placementIsWrittenInTwips() {
        QVERIFY(writePlacement(QRect(-20, 40, 500, 300)));
        QCOMPARE(settings::read(settings::MainLeft), "-300");
        QCOMPARE(settings::read(settings::MainTop), "600");
        QCOMPARE(settings::read(settings::MainWidth), "7500");
        QCOMPARE(settings::read(settings::MainHeight), "4500");
        QCOMPARE(twipsToPixels(1000), 67);
        QCOMPARE(twipsToPixels(-450), -30);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
