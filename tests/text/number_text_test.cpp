#include "text/number_text.h"

#include "text/clipboard_table.h"
#include "text/decimal_text.h"

#include <QLocale>
#include <QMimeData>
#include <QTest>

#include <cmath>
#include <limits>
#include <memory>

using namespace ornavel;

class NumberTextTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void parse_data();
    void parse();
    void parseKeepsSignOfZero();
    void roundHalfEven_data();
    void roundHalfEven();
    void numberText_data();
    void numberText();
    void resultText_data();
    void resultText();
    void resultTextUsesTheLocaleSeparator();
    void inputNumberReadsTheLocaleSeparator_data();
    void inputNumberReadsTheLocaleSeparator();
    void shortenedNumberText_data();
    void shortenedNumberText();
    void tableMimeData();
};

void NumberTextTest::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::addColumn<bool>("whole"); // the number took the whole text but its blanks
    const double inf = std::numeric_limits<double>::infinity();

    QTest::newRow("empty") << "" << 0.0 << false;
    QTest::newRow("lone blank") << " " << 0.0 << false;
    QTest::newRow("letters only") << "abc" << 0.0 << false;
    QTest::newRow("blank then digit") << " 2" << 2.0 << true;
    QTest::newRow("blanks inside the number") << "1 2. 5" << 12.5 << true;
    QTest::newRow("tab and newline skipped") << "\t3\n" << 3.0 << true;
    QTest::newRow("comma ends the number") << "2,5" << 2.0 << false;
    QTest::newRow("trailing junk") << "2.5abc" << 2.5 << false;
    QTest::newRow("junk first") << "x2" << 0.0 << false;
    QTest::newRow("leading point") << ".5" << 0.5 << true;
    QTest::newRow("trailing point") << "5." << 5.0 << true;
    QTest::newRow("lone point") << "." << 0.0 << false;
    QTest::newRow("lone minus") << "-" << 0.0 << false;
    QTest::newRow("minus") << "-2" << -2.0 << true;
    QTest::newRow("plus") << "+2" << 2.0 << true;
    QTest::newRow("sign then blank") << "- 2" << -2.0 << true;
    QTest::newRow("two signs") << "--2" << 0.0 << false;
    QTest::newRow("exponent") << "1.5e3" << 1500.0 << true;
    QTest::newRow("capital exponent with sign") << "25E-1" << 2.5 << true;
    QTest::newRow("incomplete exponent") << "2e" << 2.0 << false;
    QTest::newRow("exponent sign without digits") << "2e+" << 2.0 << false;
    QTest::newRow("exactly 1.4") << "1.4" << 1.4 << true;
    QTest::newRow("many digits") << "5.640440812823317" << 5.640440812823317 << true;
    QTest::newRow("overflow") << "1e400" << inf << true;
    QTest::newRow("negative overflow") << "-1e400" << -inf << true;
    QTest::newRow("overflow from long mantissa") << "123456789e305" << inf << true;
    QTest::newRow("underflow") << "1e-400" << 0.0 << true;
    QTest::newRow("underflow below point") << "0.0001e-330" << 0.0 << true;
    QTest::newRow("huge exponent digits") << "1e99999999999999999999" << inf << true;
    QTest::newRow("exponent past a long's range") << "1e9999999999999999999" << inf << true;
    QTest::newRow("largest double") << "1.7976931348623157e308" << std::numeric_limits<double>::max() << true;
    QTest::newRow("nan is not a number") << "nan" << 0.0 << false;
    QTest::newRow("inf is not a number") << "inf" << 0.0 << false;
    QTest::newRow("hex is not read") << "0x10" << 0.0 << false;
    QTest::newRow("non-ASCII digit ends it, digits after") << QString::fromUtf8("2٣5") << 2.0 << false;
    QTest::newRow("no-break space ends it, unlike a blank") << QString::fromUtf8("1\u00a02") << 1.0 << false;
}

void NumberTextTest::parse()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QFETCH(bool, whole);
    bool readWhole = !whole;
    QCOMPARE(parseNumber(text, u".", &readWhole), expected);
    QCOMPARE(readWhole, whole);
}

void NumberTextTest::parseKeepsSignOfZero()
{
    QVERIFY(std::signbit(parseNumber(u"-0")));
    QVERIFY(!std::signbit(parseNumber(u"0")));
}

void NumberTextTest::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");
    QTest::newRow("already short") << 4.5 << 4.5;
    QTest::newRow("down") << 2.666664 << 2.66666;
    QTest::newRow("up") << 2.666666666666667 << 2.66667;
    QTest::newRow("just below a tie") << 1.6874999999999998 << 1.6875;
    // The double's exact value decides: 0.000025 is stored just above the halfway point.
    QTest::newRow("stored above a decimal tie") << 0.000025 << 0.00003;
    QTest::newRow("stored below a decimal tie") << 2.123455 << 2.12345;
    QTest::newRow("below a tie, seen as 1.100015") << 1.100015 << 1.10001;
    QTest::newRow("exact tie to even, down") << 0.015625 << 0.01562;
    QTest::newRow("exact tie to even, up") << 0.046875 << 0.04688;
    QTest::newRow("past a tie") << 2.1234450001 << 2.12345;
    QTest::newRow("carry through nines") << 9.999995 << 10.0;
    QTest::newRow("negative, above a decimal tie") << -0.000015 << -0.00002;
    QTest::newRow("rounds to one unit") << 0.000006 << 0.00001;
    QTest::newRow("stored above half a unit") << 0.000005 << 0.00001;
    QTest::newRow("below half a unit goes to zero") << 0.0000049999999999 << 0.0;
    QTest::newRow("far below a unit") << 3e-9 << 0.0;
    QTest::newRow("huge unchanged") << 1.1666666666666667e40 << 1.1666666666666667e40;
    QTest::newRow("smallest subnormal") << std::numeric_limits<double>::denorm_min() << 0.0;
}

void NumberTextTest::roundHalfEven()
{
    QFETCH(double, value);
    QFETCH(double, expected);
    QCOMPARE(ornavel::roundHalfEven(value, 5), expected);
}

void NumberTextTest::numberText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("whole number") << 1.0 << "1";
    QTest::newRow("no grouping") << 1234567.0 << "1234567";
    QTest::newRow("leading zero") << 0.57735 << "0.57735";
    QTest::newRow("negative") << -2.5 << "-2.5";
    QTest::newRow("fifteen digits drop the tail") << 116.50000000000001 << "116.5";
    QTest::newRow("smallest fifth decimal") << 0.00001 << "0.00001";
    QTest::newRow("negative small") << -0.00304 << "-0.00304";
    QTest::newRow("largest plain") << 999999999999999.0 << "999999999999999";
    QTest::newRow("exponent from 1e15") << 1e15 << "1E+15";
    QTest::newRow("exponent form") << 1.1666666666666667e40 << "1.16666666666667E+40";
    QTest::newRow("three-digit exponent") << -2.5e300 << "-2.5E+300";
    QTest::newRow("tiny uses an exponent") << 1.5e-16 << "1.5E-16";
    QTest::newRow("infinity is never text") << std::numeric_limits<double>::infinity() << "";
    QTest::newRow("nan is never text") << std::numeric_limits<double>::quiet_NaN() << "";
}

void NumberTextTest::numberText()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(ornavel::numberText(value, u"."), expected);
}

void NumberTextTest::resultText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("M2 for M1 = 2") << 0.5773502691896257 << "0.57735";
    QTest::newRow("exact") << 4.5 << "4.5";
    QTest::newRow("rounded up") << 2.666666666666667 << "2.66667";
    QTest::newRow("just below 1.6875") << 1.6874999999999998 << "1.6875";
    QTest::newRow("trailing zero dropped") << 9.489701104355184 << "9.4897";
    QTest::newRow("one") << 1.0 << "1";
    QTest::newRow("just above 116.5") << 116.50000000000001 << "116.5";
    QTest::newRow("small ratio") << 0.003044752643416091 << "0.00304";
    QTest::newRow("negative rounding to zero") << -0.000001 << "0";
    QTest::newRow("rounds to the smallest unit") << 0.0000051 << "0.00001";
    QTest::newRow("stored below a decimal tie") << 1.100015 << "1.10001";
    QTest::newRow("stored above a tie its product by 1e5 hits") << 2.5e-05 << "0.00003";
    // From 1e10, rounded once to 15 digits, not to five decimals first.
    QTest::newRow("15 digits from the exact value") << 22449864766.94795227 << "22449864766.948";
}

void NumberTextTest::resultText()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(ornavel::resultText(value), expected);
}

void NumberTextTest::resultTextUsesTheLocaleSeparator()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(ornavel::resultText(0.5773502691896257), QStringLiteral("0,57735"));
    QCOMPARE(ornavel::resultText(1234.5), QStringLiteral("1234,5"));
    QCOMPARE(ornavel::resultText(1.1666666666666667e16), QStringLiteral("1,16666666666667E+16"));
}

void NumberTextTest::inputNumberReadsTheLocaleSeparator_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale arabic(QLocale::Arabic, QLocale::Egypt);
    QTest::newRow("US, group separator ends it")
        << QLocale(QLocale::English, QLocale::UnitedStates) << "1,234" << 1.0;
    QTest::newRow("German comma") << german << "2,5" << 2.5;
    QTest::newRow("German point still read") << german << "2.5" << 2.5;
    QTest::newRow("German, a second separator ends it") << german << "1.234,5" << 1.234;
    QTest::newRow("German comma with exponent") << german << "-1,5e3" << -1500.0;
    QTest::newRow("French, narrow no-break group ends it")
        << QLocale(QLocale::French, QLocale::France) << QString::fromUtf8("1\u202f234,5") << 1.0;
    QTest::newRow("Arabic separator") << arabic << QString::fromUtf8("2\u066b5") << 2.5;
}

void NumberTextTest::inputNumberReadsTheLocaleSeparator()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(double, expected);
    QLocale::setDefault(locale);
    QCOMPARE(inputNumber(text), expected);
}

void NumberTextTest::shortenedNumberText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("point");
    QTest::addColumn<QString>("expected");
    QTest::newRow("exponent kept") << "1.16666666666667E+40" << 5 << "." << QString::fromUtf8("1.1666…E+40");
    QTest::newRow("plain number takes an exponent")
        << "11666666666.5" << 4 << "." << QString::fromUtf8("1.166…E+10");
    QTest::newRow("cut, never rounded")
        << "-8.81284854347331E+43" << 3 << "." << QString::fromUtf8("-8.81…E+43");
    QTest::newRow("one digit left") << "-999999.99999" << 1 << "." << QString::fromUtf8("-9…E+05");
    QTest::newRow("nothing cut, no ellipsis") << "123400000000000" << 4 << "."
                                              << "1.234E+14";
    QTest::newRow("below one") << "0.000123456" << 2 << "." << QString::fromUtf8("1.2…E-04");
    QTest::newRow("typed, with blanks and an exponent")
        << " 12345e-3 " << 3 << "." << QString::fromUtf8("1.23…E+01");
    QTest::newRow("comma locale") << "3219,35923" << 3 << "," << QString::fromUtf8("3,21…E+03");
    QTest::newRow("junk after the number") << "2.50x" << 3 << "."
                                           << "";
    QTest::newRow("exponent without digits") << "2e" << 3 << "."
                                             << "";
    QTest::newRow("blank inside is not one number") << "1 2" << 3 << "."
                                                    << "";
}

void NumberTextTest::shortenedNumberText()
{
    QFETCH(QString, text);
    QFETCH(int, digits);
    QFETCH(QString, point);
    QFETCH(QString, expected);
    // As the number box reads its text: text that is not one number has no short form.
    const auto number = wholeDecimal(text.trimmed(), point, Blanks::Around);
    QCOMPARE(number ? ornavel::shortenedNumberText(*number, digits, point) : QString(), expected);
}

// The clipboard's labelled table: plain text as written; HTML with its charset and every cell
// escaped, so that a quantity or value holding markup pastes as itself.
void NumberTextTest::tableMimeData()
{
    const std::unique_ptr<QMimeData> data(ornavel::tableMimeData({{"γ", "1.4"}, {"a<b", "1 & 2"}}));
    QCOMPARE(data->text(), QStringLiteral("γ = 1.4\na<b = 1 & 2\n"));
    QCOMPARE(data->html(),
             QStringLiteral("<meta charset=\"utf-8\">\n<table>\n<tr><td>γ</td><td>1.4</td></tr>\n"
                            "<tr><td>a&lt;b</td><td>1 &amp; 2</td></tr>\n</table>\n"));
}

QTEST_GUILESS_MAIN(NumberTextTest)
#include "number_text_test.moc"
