// The text form of a rule in the parameters list and the reading back of a row.

#include <QApplication>
#include <QtTest>

#include "dialog_test_support.h"
#include "dialogs/parameter_row.h"
#include "params/mass_range.h"

namespace {}  // namespace

using params::CMassRange;
using params::MakeMassRange;

Q_DECLARE_METATYPE(CMassRange)

class ParameterRowTest : public QObject {
    Q_OBJECT

  private slots:
    void rowTextsAndReadBack_data() {
        QTest::addColumn<CMassRange>("rule");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<CMassRange>("readBack");
        QTest::newRow("default") << CMassRange() << QStringList{"1", "0 to 0", "0.0000", "0", "0"}
                                 << CMassRange();
        QTest::newRow("typical") << MakeMassRange(3, 100, 900, 0.365, 25, 50)
                                 << QStringList{"3", "100 to 900", "0.3650", "25", "50"}
                                 << MakeMassRange(3, 100, 900, 0.365, 25, 50);
        QTest::newRow("rounded to four decimals") << MakeMassRange(1, 0, 0, 0.123456, 0, 0)
                                                  << QStringList{"1", "0 to 0", "0.1235", "0", "0"}
                                                  << MakeMassRange(1, 0, 0, 0.1235, 0, 0);
        QTest::newRow("rounded up to a whole")
            << MakeMassRange(1, 0, 0, 0.99996, 0, 0)
            << QStringList{"1", "0 to 0", "1.0000", "0", "0"} << MakeMassRange(1, 0, 0, 1.0, 0, 0);
        QTest::newRow("negative defect") << MakeMassRange(1, 0, 0, -0.05, 0, 0)
                                         << QStringList{"1", "0 to 0", "-0.0500", "0", "0"}
                                         << MakeMassRange(1, 0, 0, -0.05, 0, 0);
        QTest::newRow("low above high") << MakeMassRange(2, 500, 100, 0.0, 1, 2)
                                        << QStringList{"2", "500 to 100", "0.0000", "1", "2"}
                                        << MakeMassRange(2, 500, 100, 0.0, 1, 2);
        // Beyond 2^31 an unsigned field shows as its signed 32-bit value and still reads back.
        QTest::newRow("above 2^31")
            << MakeMassRange(-7, 3000000000u, 4294967295u, 0.5, 2147483648u, 150000)
            << QStringList{"-7", "-1294967296 to -1", "0.5000", "-2147483648", "150000"}
            << MakeMassRange(-7, 3000000000u, 4294967295u, 0.5, 2147483648u, 150000);
    }
    void rowTextsAndReadBack() {
        QFETCH(CMassRange, rule);
        QFETCH(QStringList, texts);
        QFETCH(CMassRange, readBack);
        const ParameterRowTexts shown = RowTextsOf(rule);
        QCOMPARE(QStringList(shown.begin(), shown.end()), texts);
        QVERIFY(RuleFromRowTexts(shown) == readBack);
    }
};

BREVANTO_DIALOG_TEST_MAIN(ParameterRowTest)
#include "parameter_row_test.moc"
