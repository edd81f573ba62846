#include "platform/ColorText.h"

#include <QApplication>
#include <QPalette>
#include <QtTest>

using namespace qm;

class TestColorText : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void toStringNamesAndHex_data();
    void toStringNamesAndHex();
    void allNamesRoundTrip();
    void invalidMessage();
    void plainColoursToQColor();
    void systemColoursFollowPalette();
    void fromQColor();
};

void TestColorText::parse_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<quint32>("expected");

    QTest::newRow("name") << "clRed" << true << quint32(0x0000FF);
    QTest::newRow("name any case") << "clred" << true << quint32(0x0000FF);
    QTest::newRow("name upper case") << "CLSKYBLUE" << true << quint32(0xF0CAA6);
    QTest::newRow("decimal") << "255" << true << quint32(0x0000FF);
    QTest::newRow("plus sign") << "+255" << true << quint32(0x0000FF);
    QTest::newRow("negative wraps") << "-1" << true << quint32(0xFFFFFFFF);
    QTest::newRow("smallest integer") << "-2147483648" << true << quint32(0x80000000);
    QTest::newRow("largest integer") << "2147483647" << true << quint32(0x7FFFFFFF);
    QTest::newRow("hex") << "$FF" << true << quint32(0x0000FF);
    QTest::newRow("hex lower case") << "$00a6a6d2" << true << quint32(0x00A6A6D2);
    QTest::newRow("hex system colour") << "$80000005" << true << quint32(0x80000005);
    QTest::newRow("0x hex") << "0xFF0000" << true << quint32(0xFF0000);
    QTest::newRow("0X hex") << "0X10" << true << quint32(0x10);
    QTest::newRow("system name") << "clBtnFace" << true << Colors::clBtnFace;
    QTest::newRow("none") << "clNone" << true << Colors::clNone;
    QTest::newRow("default") << "clDefault" << true << Colors::clDefault;

    QTest::newRow("empty") << "" << false << quint32(0);
    QTest::newRow("nonsense") << "nonsense" << false << quint32(0);
    QTest::newRow("leading blank") << " 255" << false << quint32(0);
    QTest::newRow("trailing blank") << "255 " << false << quint32(0);
    QTest::newRow("blank around name") << " clRed" << false << quint32(0);
    QTest::newRow("decimal overflow") << "2147483648" << false << quint32(0);
    QTest::newRow("decimal underflow") << "-2147483649" << false << quint32(0);
    QTest::newRow("nine hex digits") << "$100000000" << false << quint32(0);
    QTest::newRow("bare dollar") << "$" << false << quint32(0);
    QTest::newRow("bad hex digit") << "$FG" << false << quint32(0);
    QTest::newRow("signed hex") << "$-1" << false << quint32(0);
    QTest::newRow("bare 0x") << "0x" << false << quint32(0);
    QTest::newRow("sign only") << "-" << false << quint32(0);
    QTest::newRow("non-ASCII digits") << QString::fromUtf8("\xD9\xA1\xD9\xA2") << false << quint32(0);
}

void TestColorText::parse() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(quint32, expected);
    const std::optional<TColor> color = StringToColor(text);
    QCOMPARE(color.has_value(), valid);
    if (valid)
        QCOMPARE(*color, expected);
}

void TestColorText::toStringNamesAndHex_data() {
    QTest::addColumn<quint32>("color");
    QTest::addColumn<QString>("expected");

    QTest::newRow("red") << quint32(0x0000FF) << "clRed";
    QTest::newRow("white") << quint32(0xFFFFFF) << "clWhite";
    QTest::newRow("black") << quint32(0) << "clBlack";
    QTest::newRow("medium grey") << quint32(0xA4A0A0) << "clMedGray";
    QTest::newRow("unnamed") << quint32(0x0058A554) << "$0058A554";
    QTest::newRow("unnamed pale") << quint32(0x00A6A6D2) << "$00A6A6D2";
    QTest::newRow("window") << Colors::clWindow << "clWindow";
    QTest::newRow("info background") << quint32(0x80000018) << "clInfoBk";
    QTest::newRow("menu bar") << quint32(0x8000001E) << "clMenuBar";
    QTest::newRow("unnamed system index") << quint32(0x80000019) << "$80000019";
    QTest::newRow("none") << Colors::clNone << "clNone";
    QTest::newRow("default") << Colors::clDefault << "clDefault";
}

void TestColorText::toStringNamesAndHex() {
    QFETCH(quint32, color);
    QFETCH(QString, expected);
    QCOMPARE(ColorToString(color), expected);
    QCOMPARE(StringToColor(expected), std::optional<TColor>(color));
}

void TestColorText::allNamesRoundTrip() {
    const QStringList names{"clBlack",
                            "clMaroon",
                            "clGreen",
                            "clOlive",
                            "clNavy",
                            "clPurple",
                            "clTeal",
                            "clGray",
                            "clSilver",
                            "clRed",
                            "clLime",
                            "clYellow",
                            "clBlue",
                            "clFuchsia",
                            "clAqua",
                            "clWhite",
                            "clMoneyGreen",
                            "clSkyBlue",
                            "clCream",
                            "clMedGray",
                            "clScrollBar",
                            "clBackground",
                            "clActiveCaption",
                            "clInactiveCaption",
                            "clMenu",
                            "clWindow",
                            "clWindowFrame",
                            "clMenuText",
                            "clWindowText",
                            "clCaptionText",
                            "clActiveBorder",
                            "clInactiveBorder",
                            "clAppWorkSpace",
                            "clHighlight",
                            "clHighlightText",
                            "clBtnFace",
                            "clBtnShadow",
                            "clGrayText",
                            "clBtnText",
                            "clInactiveCaptionText",
                            "clBtnHighlight",
                            "cl3DDkShadow",
                            "cl3DLight",
                            "clInfoText",
                            "clInfoBk",
                            "clHotLight",
                            "clGradientActiveCaption",
                            "clGradientInactiveCaption",
                            "clMenuHighlight",
                            "clMenuBar",
                            "clNone",
                            "clDefault"};
    QCOMPARE(names.size(), 52);
    QSet<TColor> seen;
    for (const QString& name : names) {
        const std::optional<TColor> color = StringToColor(name);
        QVERIFY2(color.has_value(), qPrintable(name));
        QCOMPARE(ColorToString(*color), name);
        seen.insert(*color);
    }
    QCOMPARE(seen.size(), 52);
    QCOMPARE(*StringToColor(QStringLiteral("clSkyBlue")), 0xF0CAA6u);
    QCOMPARE(*StringToColor(QStringLiteral("clHotLight")), 0x8000001Au);
    QCOMPARE(*StringToColor(QStringLiteral("clMenuBar")), 0x8000001Eu);
}

void TestColorText::invalidMessage() {
    QCOMPARE(InvalidColorMessage(QStringLiteral("nonsense")), "'nonsense' is not a valid integer value");
}

void TestColorText::plainColoursToQColor() {
    QCOMPARE(ToQColor(Colors::clRed), QColor(255, 0, 0));
    QCOMPARE(ToQColor(Colors::clNavy), QColor(0, 0, 128));
    QCOMPARE(ToQColor(0x0058A554), QColor(0x54, 0xA5, 0x58));
    QCOMPARE(ToQColor(Colors::clNone).alpha(), 0);
    QVERIFY(!ToQColor(Colors::clDefault).isValid());
}

void TestColorText::systemColoursFollowPalette() {
    QPalette palette;
    palette.setColor(QPalette::Base, QColor(1, 1, 1));
    palette.setColor(QPalette::Text, QColor(2, 2, 2));
    palette.setColor(QPalette::Button, QColor(3, 3, 3));
    palette.setColor(QPalette::ButtonText, QColor(4, 4, 4));
    palette.setColor(QPalette::Highlight, QColor(5, 5, 5));
    palette.setColor(QPalette::HighlightedText, QColor(6, 6, 6));
    palette.setColor(QPalette::ToolTipBase, QColor(7, 7, 7));
    palette.setColor(QPalette::ToolTipText, QColor(8, 8, 8));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(9, 9, 9));
    palette.setColor(QPalette::Window, QColor(10, 10, 10));
    QApplication::setPalette(palette);

    QCOMPARE(ToQColor(Colors::clWindow), QColor(1, 1, 1));
    QCOMPARE(ToQColor(Colors::clWindowText), QColor(2, 2, 2));
    QCOMPARE(ToQColor(Colors::clBtnFace), QColor(3, 3, 3));
    QCOMPARE(ToQColor(*StringToColor(QStringLiteral("clBtnText"))), QColor(4, 4, 4));
    QCOMPARE(ToQColor(*StringToColor(QStringLiteral("clHighlight"))), QColor(5, 5, 5));
    QCOMPARE(ToQColor(*StringToColor(QStringLiteral("clHighlightText"))), QColor(6, 6, 6));
    QCOMPARE(ToQColor(*StringToColor(QStringLiteral("clInfoBk"))), QColor(7, 7, 7));
    QCOMPARE(ToQColor(*StringToColor(QStringLiteral("clInfoText"))), QColor(8, 8, 8));
    QCOMPARE(ToQColor(*StringToColor(QStringLiteral("clGrayText"))), QColor(9, 9, 9));
    QCOMPARE(ToQColor(*StringToColor(QStringLiteral("clMenu"))), QColor(10, 10, 10));
    // Every system colour gives something to paint with.
    for (TColor index = 0; index <= 30; ++index)
        QVERIFY(ToQColor(0x80000000 + index).isValid());
}

void TestColorText::fromQColor() {
    QCOMPARE(FromQColor(QColor(255, 0, 0)), Colors::clRed);
    QCOMPARE(ColorToString(FromQColor(QColor(255, 0, 0))), "clRed");
    QCOMPARE(ColorToString(FromQColor(QColor(Qt::white))), "clWhite");
    QCOMPARE(FromQColor(QColor(0x54, 0xA5, 0x58)), 0x0058A554u);
    QCOMPARE(FromQColor(ToQColor(0x00A6A6D2)), 0x00A6A6D2u);
    QCOMPARE(FromQColor(QColor(Qt::transparent)), Colors::clNone);
    QCOMPARE(FromQColor(QColor()), Colors::clDefault);
}

QTEST_MAIN(TestColorText)
#include "tst_colortext.moc"
