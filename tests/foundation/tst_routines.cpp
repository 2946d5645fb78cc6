#include "foundation/KestrelError.h"
#include "foundation/PublicFunction.h"

#include <QTest>
#include <cmath>

// The text, number and amount routines, one table of cases per routine.
class TestRoutines : public QObject {
    Q_OBJECT
private slots:
    void isAllDigits_data();
    void isAllDigits();
    void isDecimalText_data();
    void isDecimalText();
    void textToAmount_data();
    void textToAmount();
    void textToAmountRejectsNoNumber_data();
    void textToAmountRejectsNoNumber();
    void roundAmountText_data();
    void roundAmountText();
    void roundAmountTextTiesGoToEvenQuotient_data();
    void roundAmountTextTiesGoToEvenQuotient();
    void digitToCapital_data();
    void digitToCapital();
    void amountToCapitals_data();
    void amountToCapitals();
    void amountToFenDigits_data();
    void amountToFenDigits();
    void nextSerial_data();
    void nextSerial();
    void nextSerialRefusesWhatIsNoSerialNumber_data();
    void nextSerialRefusesWhatIsNoSerialNumber();
    void isValidSerial_data();
    void isValidSerial();
    void gbkLength_data();
    void gbkLength();
    void gbkLeft_data();
    void gbkLeft();
    void isAmountText_data();
    void isAmountText();
    void buildConnectionString();
    void dataSourceOf_data();
    void dataSourceOf();
};

void TestRoutines::isAllDigits_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("007") << QStringLiteral("007") << true;
    QTest::newRow("one digit") << QStringLiteral("9") << true;
    QTest::newRow("point") << QStringLiteral("12.5") << false;
    QTest::newRow("minus") << QStringLiteral("-3") << false;
    QTest::newRow("space") << QStringLiteral("1 2") << false;
    QTest::newRow("full-width digits") << QStringLiteral("１２") << false;
    QTest::newRow("chinese") << QStringLiteral("十二") << false;
    QTest::newRow("digits then letter") << QStringLiteral("2008A") << false;
}

void TestRoutines::isAllDigits() {
    QFETCH(QString, text);
    QFETCH(bool, expected);
    QCOMPARE(IsAllDigits(text), expected);
}

void TestRoutines::isDecimalText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("12.50") << QStringLiteral("12.50") << true;
    QTest::newRow("lone point") << QStringLiteral(".") << true;
    QTest::newRow("two points") << QStringLiteral("1.2.3") << true;
    QTest::newRow("minus") << QStringLiteral("-5") << false;
    QTest::newRow("thousands separator") << QStringLiteral("1,000") << false;
    QTest::newRow("leading space") << QStringLiteral(" 12") << false;
    QTest::newRow("trailing space") << QStringLiteral("12 ") << false;
    QTest::newRow("exponent") << QStringLiteral("1e5") << false;
    QTest::newRow("full-width point") << QStringLiteral("1。5") << false;
}

void TestRoutines::isDecimalText() {
    QFETCH(QString, text);
    QFETCH(bool, expected);
    QCOMPARE(IsDecimalText(text), expected);
}

void TestRoutines::textToAmount_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("12.5") << QStringLiteral("12.5") << 12.5;
    QTest::newRow("minus is no amount") << QStringLiteral("-50") << 0.0;
    QTest::newRow("thousands separator") << QStringLiteral("1,000") << 0.0;
    QTest::newRow("space") << QStringLiteral(" 12") << 0.0;
    QTest::newRow("letters") << QStringLiteral("abc") << 0.0;
    QTest::newRow("leading zeros") << QStringLiteral("007") << 7.0;
    QTest::newRow("trailing point") << QStringLiteral("1.") << 1.0;
    QTest::newRow("leading point") << QStringLiteral(".5") << 0.5;
    QTest::newRow("trailing zeros") << QStringLiteral("12.50") << 12.5;
    QTest::newRow("not exact in binary") << QStringLiteral("0.1") << 0.1;
    QTest::newRow("large") << QStringLiteral("123456789012.34") << 123456789012.34;
}

void TestRoutines::textToAmount() {
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(TextToAmount(text), expected);
}

void TestRoutines::textToAmountRejectsNoNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("two points") << QStringLiteral("1.2.3");
    QTest::newRow("lone point") << QStringLiteral(".");
    QTest::newRow("two lone points") << QStringLiteral("..");
    QTest::newRow("beyond the double range") << QStringLiteral("1") + QString(400, QLatin1Char('0'));
}

void TestRoutines::textToAmountRejectsNoNumber() {
    QFETCH(QString, text);
    try {
        TextToAmount(text);
        QFAIL("no error raised");
    } catch (const KestrelError& error) {
        // The message names the text the user typed.
        QVERIFY2(error.Message().contains(text.left(20)), qPrintable(error.Message()));
    }
}

void TestRoutines::roundAmountText_data() {
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("expected");
    QTest::newRow("100") << 100.0 << QStringLiteral("100");
    QTest::newRow("12.5 not padded") << 12.5 << QStringLiteral("12.5");
    QTest::newRow("0.1 + 0.2") << 0.1 + 0.2 << QStringLiteral("0.3");
    QTest::newRow("3.14159") << 3.14159 << QStringLiteral("3.1416");
    QTest::newRow("negative") << -1234.5 << QStringLiteral("-1234.5");
    QTest::newRow("0.00004") << 0.00004 << QStringLiteral("0");
    QTest::newRow("-0.00004 has no minus") << -0.00004 << QStringLiteral("0");
    QTest::newRow("zero") << 0.0 << QStringLiteral("0");
    QTest::newRow("negative zero") << -0.0 << QStringLiteral("0");
    QTest::newRow("0.5") << 0.5 << QStringLiteral("0.5");
    QTest::newRow("2.5") << 2.5 << QStringLiteral("2.5");
    QTest::newRow("smallest shown") << 0.0001 << QStringLiteral("0.0001");
    QTest::newRow("negative small") << -0.00015 << QStringLiteral("-0.0001");
    QTest::newRow("just below half") << 12.34565 << QStringLiteral("12.3456");
    QTest::newRow("15 significant digits") << 123456789012.34567 << QStringLiteral("123456789012.346");
    QTest::newRow("2147483647.12345") << 2147483647.12345 << QStringLiteral("2147483647.1234");
    QTest::newRow("15 integer digits") << 999999999999999.0 << QStringLiteral("999999999999999");
    QTest::newRow("16 integer digits") << 1e15 << QStringLiteral("1E15");
    QTest::newRow("16 digits cut to 15") << 1234567890123456.0 << QStringLiteral("1.23456789012346E15");
    QTest::newRow("1e20") << 1e20 << QStringLiteral("1E20");
    QTest::newRow("-1e20") << -1e20 << QStringLiteral("-1E20");
    QTest::newRow("1e300") << 1e300 << QStringLiteral("1E300");
    // The quotient x / 0.0001 overflows; the amount is still shown, not as "inf".
    QTest::newRow("1e305") << 1e305 << QStringLiteral("1E305");
    QTest::newRow("-1.5e308") << -1.5e308 << QStringLiteral("-1.5E308");
}

void TestRoutines::roundAmountText() {
    QFETCH(double, amount);
    QFETCH(QString, expected);
    QCOMPARE(RoundAmountText(amount), expected);
}

void TestRoutines::roundAmountTextTiesGoToEvenQuotient_data() {
    QTest::addColumn<double>("amount");
    QTest::addColumn<double>("quotient");
    QTest::addColumn<QString>("expected");
    // Only an exactly halfway quotient is a tie; it goes to the even integer.
    QTest::newRow("1.23455 up to even") << 1.23455 << 12345.5 << QStringLiteral("1.2346");
    QTest::newRow("0.12345 down to even") << 0.12345 << 1234.5 << QStringLiteral("0.1234");
    QTest::newRow("1.00005 down to even") << 1.00005 << 10000.5 << QStringLiteral("1");
    QTest::newRow("0.00025 down to even") << 0.00025 << 2.5 << QStringLiteral("0.0002");
    QTest::newRow("0.00035 up to even") << 0.00035 << 3.5 << QStringLiteral("0.0004");
    QTest::newRow("0.00005 to zero") << 0.00005 << 0.5 << QStringLiteral("0");
    QTest::newRow("-0.00005 to zero") << -0.00005 << -0.5 << QStringLiteral("0");
    // Not halfway in binary: plain rounding to the nearest.
    QTest::newRow("0.00015 below half") << 0.00015 << 1.4999999999999998 << QStringLiteral("0.0001");
    QTest::newRow("2.00025 below half") << 2.00025 << 20002.499999999996 << QStringLiteral("2.0002");
}

void TestRoutines::roundAmountTextTiesGoToEvenQuotient() {
    QFETCH(double, amount);
    QFETCH(double, quotient);
    QFETCH(QString, expected);
    QCOMPARE(amount / 0.0001, quotient); // the case is what its name says
    QCOMPARE(RoundAmountText(amount), expected);
}

void TestRoutines::digitToCapital_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const QString capitals = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
    for (int d = 0; d <= 9; ++d)
        QTest::addRow("%d", d) << QString::number(d) << QString(capitals[d]);
    QTest::newRow("empty") << QString() << QStringLiteral("拾");
    QTest::newRow("letter") << QStringLiteral("a") << QStringLiteral("拾");
    QTest::newRow("point") << QStringLiteral(".") << QStringLiteral("拾");
    QTest::newRow("two digits") << QStringLiteral("12") << QStringLiteral("拾");
    QTest::newRow("chinese") << QStringLiteral("五") << QStringLiteral("拾");
}

void TestRoutines::digitToCapital() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(DigitToCapital(text), expected);
}

void TestRoutines::amountToCapitals_data() {
    QTest::addColumn<QString>("fen");
    QTest::addColumn<QString>("expected");
    // Every unit is followed by the ideographic space U+3000, the last one included.
    QTest::newRow("123.45") << QStringLiteral("12345") << QStringLiteral("壹佰　贰拾　叁元　肆角　伍分　");
    QTest::newRow("1.00") << QStringLiteral("100") << QStringLiteral("壹元　零角　零分　");
    QTest::newRow("100.00") << QStringLiteral("10000") << QStringLiteral("壹佰　零拾　零元　零角　零分　");
    QTest::newRow("0.50") << QStringLiteral("050") << QStringLiteral("零元　伍角　零分　");
    QTest::newRow("0.00") << QStringLiteral("000") << QStringLiteral("零元　零角　零分　");
    QTest::newRow("ninth unit") << QStringLiteral("123456789")
                                << QStringLiteral("壹佰　贰拾　叁万　肆仟　伍佰　陆拾　柒元　捌角　玖分　");
    // From ten million yuan up the units go on (仟, 亿, 拾, 佰, 仟, 万 ...): no digit is left out.
    QTest::newRow("12,345,678.90") << QStringLiteral("1234567890")
                                   << QStringLiteral(
                                          "壹仟　贰佰　叁拾　肆万　伍仟　陆佰　柒拾　捌元　玖角　零分　");
    QTest::newRow("100,000,000.00 (亿)")
        << QStringLiteral("10000000000")
        << QStringLiteral("壹亿　零仟　零佰　零拾　零万　零仟　零佰　零拾　零元　零角　零分　");
    QTest::newRow("999,999,999,999.99")
        << QStringLiteral("99999999999999")
        << QStringLiteral(
               "玖仟　玖佰　玖拾　玖亿　玖仟　玖佰　玖拾　玖万　玖仟　玖佰　玖拾　玖元　玖角　玖分　");
    QTest::newRow("1,000,000,000,000.00 (万亿)")
        << QStringLiteral("100000000000000")
        << QStringLiteral(
               "壹万　零仟　零佰　零拾　零亿　零仟　零佰　零拾　零万　零仟　零佰　零拾　零元　零角　零分　");
    QTest::newRow("10,000,000,000,000,000.00 (亿亿)")
        << QStringLiteral("1000000000000000000")
        << QStringLiteral("壹亿　零仟　零佰　零拾　零万　零仟　零佰　零拾　零亿　零仟　零佰　零拾　零万　"
                          "零仟　零佰　零拾　零元　零角　零分　");
    QTest::newRow("one digit") << QStringLiteral("5") << QStringLiteral("伍分　");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("non-digit becomes 拾") << QStringLiteral("12a") << QStringLiteral("壹元　贰角　拾分　");
}

void TestRoutines::amountToCapitals() {
    QFETCH(QString, fen);
    QFETCH(QString, expected);
    const QString result = AmountToCapitals(fen);
    QCOMPARE(result, expected);
    // The separator is the ideographic space, not an ASCII one.
    QVERIFY(!result.contains(QLatin1Char(' ')));
    // One numeral, one unit and one separator per digit.
    QCOMPARE(result.size(), 3 * fen.size());
    QCOMPARE(result.count(QChar(0x3000)), fen.size());
}

void TestRoutines::amountToFenDigits_data() {
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("expected");
    QTest::newRow("123.45") << 123.45 << QStringLiteral("12345");
    QTest::newRow("100") << 100.0 << QStringLiteral("10000");
    QTest::newRow("0.5") << 0.5 << QStringLiteral("050");
    QTest::newRow("0") << 0.0 << QStringLiteral("000");
    QTest::newRow("0.07") << 0.07 << QStringLiteral("007");
    QTest::newRow("negative uses the absolute value") << -123.45 << QStringLiteral("12345");
    QTest::newRow("more decimals rounded") << 19.999 << QStringLiteral("2000");
    QTest::newRow("1.005 is below half in binary") << 1.005 << QStringLiteral("100");
    QTest::newRow("ten million") << 1e7 << QStringLiteral("1000000000");
    // Large amounts: every digit written out, no exponent, no residue of the binary fraction.
    QTest::newRow("12,345,678.9") << 12345678.9 << QStringLiteral("1234567890");
    QTest::newRow("999,999,999.99") << 999999999.99 << QStringLiteral("99999999999");
    QTest::newRow("-999,999,999.99") << -999999999.99 << QStringLiteral("99999999999");
    QTest::newRow("999,999,999,999.99") << 999999999999.99 << QStringLiteral("99999999999999");
    QTest::newRow("1e12") << 1e12 << QStringLiteral("100000000000000");
    QTest::newRow("9,007,199,254,740.99") << 9007199254740.99 << QStringLiteral("900719925474099");
    QTest::newRow("sum with residue 0.1+0.2") << 0.1 + 0.2 << QStringLiteral("030");
    QTest::newRow("large sum with residue") << 123456789.1 + 0.2 << QStringLiteral("12345678930");
}

void TestRoutines::amountToFenDigits() {
    QFETCH(double, amount);
    QFETCH(QString, expected);
    QCOMPARE(AmountToFenDigits(amount), expected);
}

void TestRoutines::nextSerial_data() {
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("expected");
    QTest::newRow("XS20080001") << QStringLiteral("XS20080001") << QStringLiteral("XS20080002");
    QTest::newRow("XS0001") << QStringLiteral("XS0001") << QStringLiteral("XS0002");
    QTest::newRow("XS0009 grows") << QStringLiteral("XS0009") << QStringLiteral("XS00010");
    QTest::newRow("XS0000") << QStringLiteral("XS0000") << QString();
    QTest::newRow("2008") << QStringLiteral("2008") << QStringLiteral("2009");
    QTest::newRow("XS-0019") << QStringLiteral("XS-0019") << QStringLiteral("XS-0020");
    QTest::newRow("ABC") << QStringLiteral("ABC") << QString();
    QTest::newRow("XS99") << QStringLiteral("XS99") << QStringLiteral("XS100");
    QTest::newRow("0") << QStringLiteral("0") << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("chinese prefix") << QStringLiteral("销售08") << QStringLiteral("销售09");
    QTest::newRow("one below the limit") << QStringLiteral("XS2147483646") << QStringLiteral("XS2147483647");
    QTest::newRow("leading zeros before the limit")
        << QStringLiteral("XS0002147483646") << QStringLiteral("XS0002147483647");
}

void TestRoutines::nextSerial() {
    QFETCH(QString, serial);
    QFETCH(QString, expected);
    QCOMPARE(NextSerial(serial), expected);
}

void TestRoutines::nextSerialRefusesWhatIsNoSerialNumber_data() {
    QTest::addColumn<QString>("serial");
    // No wrong serial may be proposed: past the 32-bit limit, or a number part that is no integer.
    QTest::newRow("the next would pass 2147483647") << QStringLiteral("XS2147483647");
    QTest::newRow("above 2147483647") << QStringLiteral("XS2147483648");
    QTest::newRow("XS123456789012") << QStringLiteral("XS123456789012");
    QTest::newRow("eleven digits") << QStringLiteral("99999999999");
    QTest::newRow("letter after the digits") << QStringLiteral("XS2008A");
    QTest::newRow("A1B2") << QStringLiteral("A1B2");
    QTest::newRow("2008-01") << QStringLiteral("2008-01");
}

void TestRoutines::nextSerialRefusesWhatIsNoSerialNumber() {
    QFETCH(QString, serial);
    try {
        const QString next = NextSerial(serial);
        QFAIL(qPrintable(QStringLiteral("proposed ") + next));
    } catch (const KestrelError& error) {
        QVERIFY2(error.Message().contains(serial), qPrintable(error.Message()));
    }
}

void TestRoutines::isValidSerial_data() {
    QTest::addColumn<QString>("serial");
    QTest::addColumn<bool>("expected");
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("XS20080001") << QStringLiteral("XS20080001") << true;
    QTest::newRow("ABC") << QStringLiteral("ABC") << true;
    QTest::newRow("A0B") << QStringLiteral("A0B") << true;
    QTest::newRow("0") << QStringLiteral("0") << true;
    QTest::newRow("XS2008A") << QStringLiteral("XS2008A") << false;
    QTest::newRow("A1B2") << QStringLiteral("A1B2") << false;
    QTest::newRow("2008-01") << QStringLiteral("2008-01") << false;
    QTest::newRow("beyond 32 bits is still a shape") << QStringLiteral("XS123456789012") << true;
    QTest::newRow("zeros then digits") << QStringLiteral("XS-0019") << true;
    QTest::newRow("space after digits") << QStringLiteral("XS12 ") << false;
}

void TestRoutines::isValidSerial() {
    QFETCH(QString, serial);
    QFETCH(bool, expected);
    QCOMPARE(IsValidSerial(serial), expected);
}

void TestRoutines::gbkLength_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("bytes");
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("latin") << QStringLiteral("Kestrel") << 7;
    QTest::newRow("chinese") << QStringLiteral("客户排序方式") << 12;
    QTest::newRow("mixed") << QStringLiteral("A客B户") << 6;
    QTest::newRow("full-width semicolon") << QStringLiteral("业务管理；") << 10;
    QTest::newRow("ideographic space") << QStringLiteral("　") << 2;
}

void TestRoutines::gbkLength() {
    QFETCH(QString, text);
    QFETCH(int, bytes);
    QCOMPARE(GbkLength(text), bytes);
    QCOMPARE(ToGbk(text).size(), bytes);
    QCOMPARE(FromGbk(ToGbk(text)), text);
}

void TestRoutines::gbkLeft_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("maxBytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("fits") << QStringLiteral("abc") << 10 << QStringLiteral("abc");
    QTest::newRow("exact") << QStringLiteral("中文") << 4 << QStringLiteral("中文");
    QTest::newRow("latin cut") << QStringLiteral("abcdef") << 4 << QStringLiteral("abcd");
    QTest::newRow("never splits a character") << QStringLiteral("中文字") << 3 << QStringLiteral("中");
    QTest::newRow("one byte short of a character") << QStringLiteral("中") << 1 << QString();
    QTest::newRow("mixed odd") << QStringLiteral("a中文") << 2 << QStringLiteral("a");
    QTest::newRow("mixed even") << QStringLiteral("a中文") << 3 << QStringLiteral("a中");
    QTest::newRow("card name of 18 bytes")
        << QStringLiteral("上海岚峰贸易有限公司第一分公司") << 18 << QStringLiteral("上海岚峰贸易有限公");
    QTest::newRow("zero") << QStringLiteral("abc") << 0 << QString();
    QTest::newRow("empty") << QString() << 5 << QString();
}

void TestRoutines::gbkLeft() {
    QFETCH(QString, text);
    QFETCH(int, maxBytes);
    QFETCH(QString, expected);
    const QString left = GbkLeft(text, maxBytes);
    QCOMPARE(left, expected);
    QVERIFY(GbkLength(left) <= std::max(maxBytes, 0));
}

void TestRoutines::isAmountText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<bool>("negative");
    QTest::addColumn<bool>("expected");
    QTest::newRow("whole") << QStringLiteral("100") << 2 << false << true;
    QTest::newRow("two decimals") << QStringLiteral("12.34") << 2 << false << true;
    QTest::newRow("too many decimals") << QStringLiteral("12.345") << 2 << false << false;
    QTest::newRow("trailing point") << QStringLiteral("12.") << 2 << false << true;
    QTest::newRow("leading point") << QStringLiteral(".5") << 2 << false << true;
    QTest::newRow("lone point") << QStringLiteral(".") << 2 << false << false;
    QTest::newRow("two points") << QStringLiteral("1.2.3") << 2 << false << false;
    QTest::newRow("empty") << QString() << 2 << false << false;
    QTest::newRow("minus refused") << QStringLiteral("-5") << 2 << false << false;
    QTest::newRow("minus allowed") << QStringLiteral("-5.5") << 2 << true << true;
    QTest::newRow("lone minus") << QStringLiteral("-") << 2 << true << false;
    QTest::newRow("space") << QStringLiteral(" 5") << 2 << false << false;
    QTest::newRow("too long for a number") << QString(400, QLatin1Char('9')) << 2 << false << false;
    QTest::newRow("long but a number") << QString(300, QLatin1Char('9')) << 2 << false << true;
}

void TestRoutines::isAmountText() {
    QFETCH(QString, text);
    QFETCH(int, decimals);
    QFETCH(bool, negative);
    QFETCH(bool, expected);
    QCOMPARE(IsAmountText(text, decimals, negative), expected);
}

void TestRoutines::buildConnectionString() {
    QCOMPARE(BuildConnectionString(QStringLiteral("C:\\A\\Kestrel.mdb"), QStringLiteral("Qolmarn")),
             QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\A\\Kestrel.mdb;"
                            "Persist Security Info=False;Jet OLEDB:Database Password=Qolmarn"));
    QCOMPARE(BuildConnectionString(QString(), QString()),
             QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=;"
                            "Persist Security Info=False;Jet OLEDB:Database Password="));
}

void TestRoutines::dataSourceOf_data() {
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<QString>("expected");
    const QString password = QStringLiteral("Qolmarn");
    for (const QString& path :
         {QStringLiteral("/home/user/岚峰/Kestrel.mdb"), QStringLiteral("C:\\A\\Kestrel.mdb"),
          QStringLiteral("/tmp/a;b/Kestrel.mdb"), QStringLiteral("/tmp/with space/Kestrel.mdb")})
        QTest::newRow(qPrintable(path)) << BuildConnectionString(path, password) << path;
    QTest::newRow("password with separator")
        << BuildConnectionString(QStringLiteral("/x/K.mdb"), QStringLiteral("a;Data Source=/y"))
        << QStringLiteral("/x/K.mdb");
    QTest::newRow("no data source") << QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0") << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("only the path") << QStringLiteral("Data Source=/x/K.mdb") << QStringLiteral("/x/K.mdb");
}

void TestRoutines::dataSourceOf() {
    QFETCH(QString, connectionString);
    QFETCH(QString, expected);
    QCOMPARE(DataSourceOf(connectionString), expected);
}

QTEST_GUILESS_MAIN(TestRoutines)
#include "tst_routines.moc"
