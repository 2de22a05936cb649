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

    // A default holds only while its key is absent: what the user stored, even empty, is read back as it was.
    void valuesRoundTripExactlyAsText() {
        // Exports go to the home folder until told otherwise: the folder the file dialogs start in here.
        QCOMPARE(settings::read(settings::DefFileExportDir), QDir::homePath());
        QCOMPARE(settings::read(settings::ChatServiceName), "mIRC");
        QVERIFY(!settings::contains(settings::DefFileExportDir));
        for (const char* value : {"", "C:\\Projects\\", "  spaced  ", "a,b;c=d", "@Variant(odd)",
                                  "/home/\u00e9l\u00e8ve/export", "[Settings]"}) {
            QVERIFY(settings::write(settings::DefFileExportDir, value));
            QCOMPARE(settings::read(settings::DefFileExportDir), value);
        }
        QVERIFY(settings::contains(settings::DefFileExportDir));
        // The store is the per-user file of the application "Verdane", section "Settings".
        QFile file(m_env->settingsFile());
        QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll().contains("[Settings]"));
    }

    // The placement is text a user may have edited: what is not a usable number is refused whole.
    void placementIsStoredInTwips() {
        QCOMPARE(readPlacement(), std::optional<Placement>(Placement{1000, 1000, 6500, 6500}));
        QVERIFY(writePlacement(QRect(-20, 40, 500, 300)));
        QCOMPARE(readPlacement(), std::optional<Placement>(Placement{-300, 600, 7500, 4500}));
        settings::write(settings::MainTop, " 30 ");
        settings::write(settings::MainWidth, "9000.5");
        QCOMPARE(readPlacement(), std::optional<Placement>(Placement{-300, 30, 9000.5, 4500}));
        for (const char* unusable : {"wide", "", "6500px", "-10", "inf", "1e300"}) {
            settings::write(settings::MainHeight, unusable);
            QVERIFY2(!readPlacement(), unusable);
        }
        QCOMPARE(twipsToPixels(1000), 67);
        QCOMPARE(twipsToPixels(-450), -30);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
