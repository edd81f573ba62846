#include "platform/widgets/MaskEdit.h"

#include <QLocale>
#include <QtTest>

using namespace qm;

class TestMaskEdit : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }

    void clearedFieldIsFiveCharacters() {
        TMaskEdit edit;
        QCOMPARE(edit.Text(), QStringLiteral("  :  "));
        QCOMPARE(edit.displayText(), QStringLiteral("__:__"));
        QVERIFY(edit.IsBlank());
        QVERIFY(!edit.IsValidTime());
        edit.SetText(QStringLiteral("12:05"));
        edit.Clear();
        QCOMPARE(edit.Text(), QStringLiteral("  :  "));
    }

    void storedFormRoundTrips_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("two-digit hour") << "12:05"
                                        << "12:05";
        QTest::newRow("blank first hour digit") << " 8:30"
                                                << "_8:30";
        QTest::newRow("cleared") << "  :  "
                                 << "__:__";
        QTest::newRow("half typed") << "1 :  "
                                    << "1_:__";
        QTest::newRow("minute half typed") << "12:7 "
                                           << "12:7_";
    }
    void storedFormRoundTrips() {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        TMaskEdit edit;
        edit.SetText(stored);
        QCOMPARE(edit.displayText(), shown);
        QCOMPARE(edit.Text(), stored);
    }

    void typingFillsPositions() {
        TMaskEdit edit;
        edit.setCursorPosition(0);
        QTest::keyClicks(&edit, QStringLiteral("0830"));
        QCOMPARE(edit.Text(), QStringLiteral("08:30"));

        edit.Clear();
        edit.setCursorPosition(0);
        QTest::keyClick(&edit, Qt::Key_Right);
        QTest::keyClicks(&edit, QStringLiteral("830"));
        QCOMPARE(edit.Text(), QStringLiteral(" 8:30"));
        QVERIFY(edit.IsValidTime());

        edit.Clear();
        edit.setCursorPosition(0);
        QTest::keyClicks(&edit, QStringLiteral("ab"));
        QVERIFY(edit.IsBlank());
    }

    // A click anywhere in the field, then digits: they fill it from its first blank place.
    void clickThenTypeFillsFromTheFirstBlank_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<double>("across"); // where the click lands, as a share of the width
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");
        QTest::newRow("empty, right half") << "  :  " << 0.8 << "2115"
                                           << "21:15";
        QTest::newRow("empty, middle") << "  :  " << 0.5 << "0930"
                                       << "09:30";
        QTest::newRow("hour typed, at the end") << "12:  " << 0.95 << "45"
                                                << "12:45";
    }
    void clickThenTypeFillsFromTheFirstBlank() {
        QFETCH(QString, stored);
        QFETCH(double, across);
        QFETCH(QString, typed);
        QFETCH(QString, result);
        TMaskEdit edit;
        edit.resize(edit.sizeHint());
        edit.SetText(stored);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QTest::mouseClick(&edit, Qt::LeftButton, {}, QPoint(int(edit.width() * across), edit.height() / 2));
        QTest::keyClicks(&edit, typed);
        QCOMPARE(edit.Text(), result);
    }

    void validTimes_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("valid");
        QTest::newRow("midnight") << "00:00" << true;
        QTest::newRow("last minute") << "23:59" << true;
        QTest::newRow("one-digit hour") << " 8:30" << true;
        QTest::newRow("hour 24") << "24:00" << false;
        QTest::newRow("hour 25") << "25:00" << false;
        QTest::newRow("minute 60") << "12:60" << false;
        QTest::newRow("nines") << "99:99" << false;
        QTest::newRow("half typed hour") << "1 :  " << false;
        QTest::newRow("half typed minute") << "12:7 " << false;
        QTest::newRow("minutes only") << "  :30" << false;
        QTest::newRow("blank") << "  :  " << false;
    }
    void validTimes() {
        QFETCH(QString, stored);
        QFETCH(bool, valid);
        TMaskEdit edit;
        edit.SetText(stored);
        QCOMPARE(edit.IsValidTime(), valid);
        QCOMPARE(edit.IsBlank(), stored == QStringLiteral("  :  "));
    }

    void separatorFollowsTheLocale() {
        QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
        TMaskEdit edit;
        QCOMPARE(edit.Text(), QStringLiteral("  .  "));
        edit.SetText(QStringLiteral(" 8.30"));
        QCOMPARE(edit.displayText(), QStringLiteral("_8.30"));
        QCOMPARE(edit.Text(), QStringLiteral(" 8.30"));
        QVERIFY(edit.IsValidTime());
    }
};

QTEST_MAIN(TestMaskEdit)
#include "tst_maskedit.moc"
