// Reading the add-parameter fields and the parameters list texts as numbers, and the text
// form of a mass defect in its edit.

#include <QApplication>
#include <QtTest>
#include <clocale>
#include <cmath>
#include <optional>

#include "dialog_framework/number_text.h"
#include "dialog_test_support.h"

Q_DECLARE_METATYPE(std::optional<std::int64_t>)
Q_DECLARE_METATYPE(std::optional<double>)

class NumberTextTest : public QObject {
    Q_OBJECT

  private slots:
    void integerFields_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("allowMinus");
        QTest::addColumn<std::optional<std::int64_t>>("expected");
        const std::optional<std::int64_t> refused;
        QTest::newRow("digits") << "150000" << false << std::optional<std::int64_t>(150000);
        QTest::newRow("leading zeros") << "007" << false << std::optional<std::int64_t>(7);
        QTest::newRow("blanks around") << " \t42 " << false << std::optional<std::int64_t>(42);
        QTest::newRow("empty") << "" << false << refused;
        QTest::newRow("blanks only") << "   " << false << refused;
        QTest::newRow("minus on unsigned") << "-1" << false << refused;
        QTest::newRow("minus on signed") << "-1" << true << std::optional<std::int64_t>(-1);
        QTest::newRow("minus alone") << "-" << true << refused;
        QTest::newRow("plus") << "+1" << true << refused;
        QTest::newRow("inner blank") << "1 0" << false << refused;
        QTest::newRow("trailing letters") << "10x" << false << refused;
        QTest::newRow("decimal point") << "1.0" << true << refused;
        QTest::newRow("non-ASCII digit") << QString::fromUtf8("\u0661") << false << refused;
    }
    void integerFields() {
        QFETCH(QString, text);
        QFETCH(bool, allowMinus);
        QFETCH(std::optional<std::int64_t>, expected);
        QCOMPARE(ParseIntegerField(text, allowMinus), expected);
    }

    // Values far beyond 32 bits must stay beyond the range, not wrap back into it.
    void hugeIntegersStayOutOfRange_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("above uint32") << "99999999999";
        QTest::newRow("wraps to 0 in uint32") << "4294967296";
        QTest::newRow("wraps to 1 in uint64") << "18446744073709551617";
        QTest::newRow("forty digits") << QString(40, QLatin1Char('9'));
    }
    void hugeIntegersStayOutOfRange() {
        QFETCH(QString, text);
        const std::optional<std::int64_t> value = ParseIntegerField(text, false);
        QVERIFY(value.has_value());
        QVERIFY(*value > std::int64_t{0xFFFFFFFF});
        const std::optional<std::int64_t> negative =
            ParseIntegerField(QLatin1Char('-') + text, true);
        QVERIFY(negative.has_value());
        QVERIFY(*negative < std::int64_t{-0x80000000LL});
    }

    void doubleFields_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<double>>("expected");
        const std::optional<double> refused;
        QTest::newRow("trailing zero") << "0.3650" << std::optional<double>(0.365);
        QTest::newRow("integer") << "2" << std::optional<double>(2.0);
        QTest::newRow("negative") << "-0.25" << std::optional<double>(-0.25);
        QTest::newRow("leading point") << ".5" << std::optional<double>(0.5);
        QTest::newRow("exponent") << "1e-3" << std::optional<double>(0.001);
        QTest::newRow("blanks around") << "  0.1\t" << std::optional<double>(0.1);
        QTest::newRow("zero") << "0" << std::optional<double>(0.0);
        QTest::newRow("empty") << "" << refused;
        QTest::newRow("blanks only") << "  " << refused;
        QTest::newRow("letters") << "abc" << refused;
        QTest::newRow("trailing garbage") << "0.36x" << refused;
        QTest::newRow("decimal comma") << "0,365" << refused;
        QTest::newRow("two points") << "1.2.3" << refused;
        // Regression: strtod's other spellings were taken, and a NaN or infinite defect keeps
        // nothing.
        QTest::newRow("nan") << "nan" << refused;
        QTest::newRow("negative nan") << "-NAN" << refused;
        QTest::newRow("inf") << "inf" << refused;
        QTest::newRow("infinity") << "-Infinity" << refused;
        QTest::newRow("beyond a double") << "1e400" << refused;
        QTest::newRow("hexadecimal float") << "0x1p-2" << refused;
        QTest::newRow("hexadecimal integer") << "0x10" << refused;
        QTest::newRow("largest double")
            << "1.7976931348623157e308" << std::optional<double>(1.7976931348623157e308);
        QTest::newRow("underflows to zero") << "1e-400" << std::optional<double>(0.0);
    }
    void doubleFields() {
        QFETCH(QString, text);
        QFETCH(std::optional<double>, expected);
        QCOMPARE(ParseDoubleField(text), expected);
    }

    // The process locale (set from the environment by QApplication) must not turn the decimal
    // point into a comma.
    void decimalPointWhateverTheLocale() {
        const char* german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
        if (german == nullptr) {
            QSKIP("no German locale on this machine");
        }
        const std::optional<double> parsed = ParseDoubleField(QStringLiteral("0.5"));
        const double leading = LeadingDouble(QStringLiteral("0.1235"));
        const QString text = DoubleFieldText(0.25);
        std::setlocale(LC_NUMERIC, "C");
        QCOMPARE(parsed, std::optional<double>(0.5));
        QCOMPARE(leading, 0.1235);
        QCOMPARE(text, QStringLiteral("0.25"));
    }

    void leadingNumbersReadLikeAtoiAndAtof_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("integer");
        QTest::addColumn<double>("real");
        QTest::newRow("plain") << "42" << 42 << 42.0;
        QTest::newRow("stops at blank") << "100 to 900" << 100 << 100.0;
        QTest::newRow("negative") << "-294967296" << -294967296 << -294967296.0;
        QTest::newRow("four decimals") << "0.1235" << 0 << 0.1235;
        QTest::newRow("leading blanks") << "  7" << 7 << 7.0;
        QTest::newRow("no number") << "x1" << 0 << 0.0;
        QTest::newRow("empty") << "" << 0 << 0.0;
    }
    void leadingNumbersReadLikeAtoiAndAtof() {
        QFETCH(QString, text);
        QFETCH(int, integer);
        QFETCH(double, real);
        QCOMPARE(LeadingInt(text), integer);
        QCOMPARE(LeadingDouble(text), real);
    }

    void massDefectEditText_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("typed value") << 0.365 << "0.365";
        QTest::newRow("no binary noise") << 0.1 << "0.1";
        QTest::newRow("negative") << -0.25 << "-0.25";
        QTest::newRow("small") << 0.00001 << "1e-05";
        QTest::newRow("whole") << 3.0 << "3";
    }
    void massDefectEditText() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(DoubleFieldText(value), text);
        // What the edit shows reads back as the same value.
        QCOMPARE(ParseDoubleField(text), std::optional<double>(value));
    }
};

BREVANTO_DIALOG_TEST_MAIN(NumberTextTest)
#include "number_text_test.moc"
