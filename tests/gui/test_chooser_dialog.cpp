// The satellite and transponder chooser: what it lists and preselects, how a satellite change, typed text,
// Confirm, Cancel and Escape decide what it hands back, and that it leaves the tables alone.

#include "support/db_builders.h"
#include "tform2.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace tcn;
using namespace tcn::test;

namespace {

// A built dialog over its own tables, with its controls found by name.
struct Chooser {
    explicit Chooser(const ChannelDatabase& db) : dialog(db) {}
    TForm2 dialog;
    QComboBox* satellites() { return Find<QComboBox>("ComboBox1"); }
    QComboBox* transponders() { return Find<QComboBox>("ComboBox2"); }
    QPushButton* confirm() { return Find<QPushButton>("SpeedButton1"); }
    QPushButton* cancel() { return Find<QPushButton>("SpeedButton2"); }
    template <typename T> T* Find(const char* name) {
        T* control = dialog.findChild<T*>(QString::fromLatin1(name));
        if (!control) qFatal("no control named %s", name);
        return control;
    }
    // The texts of a box's items.
    static QStringList Items(QComboBox* box) {
        QStringList texts;
        for (int i = 0; i < box->count(); ++i)
            texts << box->itemText(i);
        return texts;
    }
    // Replaces the text of a box as a user would: select all, then type.
    static void Type(QComboBox* box, const QString& text) {
        QTest::keyClick(box->lineEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box->lineEdit(), text);
    }
};

// Satellite 0 "Astra" with transponders at table indices 1 and 3, satellite 1 "Empty" with none,
// satellite 2 "Hot" with one at index 4; index 0 and 2 belong to satellite 5, which is not listed.
std::unique_ptr<ChannelDatabase> ThreeSatellites() {
    auto db = NewDatabase();
    PutSatellite(*db, 0, MakeSatellite("Astra", 192, 0x80));
    PutSatellite(*db, 1, MakeSatellite("Empty", 50, 0x40));
    PutSatellite(*db, 2, MakeSatellite("Hot", 130, 0x80));
    db->satelliteCount = 3;
    PushTransponder(*db, MakeTransponder(5, 10700000, 22000, 0x01));
    PushTransponder(*db, MakeTransponder(0, 11362500, 27500, 0x0B)); // 500 kHz above 11362, V, 3/4
    PushTransponder(*db, MakeTransponder(5, 10800000, 22000, 0x01));
    PushTransponder(*db, MakeTransponder(0, 12603000, 22000, 0x05)); // H, 7/8
    PushTransponder(*db, MakeTransponder(2, 10992999, 29900, 0x0E)); // V, Auto
    return db;
}

} // namespace

class ChooserDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void withoutSatellitesOnlyCancelIsLeft() {
        auto db = NewDatabase();
        PushTransponder(*db, MakeTransponder(0, 11000000, 27500));
        Chooser c(*db);
        QCOMPARE(c.dialog.windowTitle(), QStringLiteral("Select A Satellite & A Transponder"));
        QVERIFY(!c.satellites()->isEnabled());
        QCOMPARE(c.satellites()->currentText(), QStringLiteral("Choose Satellite"));
        QCOMPARE(c.satellites()->count(), 0);
        QVERIFY(!c.transponders()->isEnabled());
        QCOMPARE(c.transponders()->count(), 0);
        QVERIFY(!c.confirm()->isEnabled());
        QVERIFY(c.cancel()->isEnabled());

        QTest::mouseClick(c.cancel(), Qt::LeftButton);
        QCOMPARE(c.dialog.result(), TForm2::kCancelled);
        QCOMPARE(c.dialog.ChooserResult(), -1);
    }

    void listsSatellitesAndTranspondersAndConfirmsTheFirstAtOnce() {
        auto db = ThreeSatellites();
        const auto before = *db;
        Chooser c(*db);
        QCOMPARE(Chooser::Items(c.satellites()),
                 (QStringList{"Astra  19.2  E", "Empty  5.0  W", "Hot  13.0  E"}));
        QCOMPARE(c.satellites()->currentIndex(), 0);
        QVERIFY(c.satellites()->isEnabled());
        // Whole MHz, rounded down; the records of other satellites are not listed.
        QCOMPARE(Chooser::Items(c.transponders()),
                 (QStringList{"11362  V  27500  3/4", "12603  H  22000  7/8"}));
        QCOMPARE(c.transponders()->currentIndex(), 0);
        QVERIFY(c.transponders()->isEnabled());
        QVERIFY(c.confirm()->isEnabled());
        QCOMPARE(c.dialog.ChooserResult(), -1); // nothing handed back before Confirm

        QTest::mouseClick(c.confirm(), Qt::LeftButton);
        QCOMPARE(c.dialog.result(), TForm2::kConfirmed);
        QCOMPARE(c.dialog.ChooserResult(), 1);
        QVERIFY(*db == before);
    }

    void aSatelliteWithoutTranspondersAndBack() {
        auto db = ThreeSatellites();
        Chooser c(*db);
        QTest::keyClick(c.transponders(), Qt::Key_Down); // second transponder of satellite 0
        QCOMPARE(c.transponders()->currentIndex(), 1);

        QTest::keyClick(c.satellites(), Qt::Key_Down); // "Empty"
        QCOMPARE(c.transponders()->currentText(), QStringLiteral("No Transponders"));
        QCOMPARE(c.transponders()->count(), 0);
        QVERIFY(!c.transponders()->isEnabled());
        QVERIFY(!c.confirm()->isEnabled());

        QTest::keyClick(c.satellites(), Qt::Key_Down); // "Hot": its only transponder is preselected
        QVERIFY(c.transponders()->isEnabled());
        QVERIFY(c.confirm()->isEnabled());
        QCOMPARE(Chooser::Items(c.transponders()), QStringList{"10992  V  29900  Auto"});
        QTest::mouseClick(c.confirm(), Qt::LeftButton);
        QCOMPARE(c.dialog.ChooserResult(), 4);
    }

    void changingTheSatelliteDiscardsTheEarlierChoice() {
        auto db = ThreeSatellites();
        Chooser c(*db);
        QTest::keyClick(c.transponders(), Qt::Key_Down); // index 3 chosen
        QTest::keyClick(c.satellites(), Qt::Key_Down);
        QTest::keyClick(c.satellites(), Qt::Key_Up); // back to satellite 0: its first again
        QCOMPARE(c.transponders()->currentIndex(), 0);
        QTest::mouseClick(c.confirm(), Qt::LeftButton);
        QCOMPARE(c.dialog.ChooserResult(), 1);
    }

    void typedTextChoosesOnlyAnItemItSpells() {
        auto db = ThreeSatellites();
        {
            Chooser c(*db);
            Chooser::Type(c.transponders(), QStringLiteral("12603  H  22000  7/8"));
            QCOMPARE(c.transponders()->currentIndex(), 1);
            Chooser::Type(c.transponders(), QStringLiteral("12603"));
            QCOMPARE(c.transponders()->currentIndex(), -1);
            QCOMPARE(c.transponders()->currentText(), QStringLiteral("12603")); // the typing stays
            QVERIFY(c.confirm()->isEnabled());
            QTest::mouseClick(c.confirm(), Qt::LeftButton);
            QCOMPARE(c.dialog.result(), TForm2::kConfirmed);
            QCOMPARE(c.dialog.ChooserResult(), -1);
        }
        {
            // A satellite text that names none lists no transponders.
            Chooser c(*db);
            Chooser::Type(c.satellites(), QStringLiteral("Astr"));
            QCOMPARE(c.satellites()->currentIndex(), -1);
            QCOMPARE(c.transponders()->currentText(), QStringLiteral("No Transponders"));
            QVERIFY(!c.confirm()->isEnabled());
            QTest::keyClicks(c.satellites()->lineEdit(), QStringLiteral("a  19.2  E"));
            QCOMPARE(c.satellites()->currentIndex(), 0);
            QTest::mouseClick(c.confirm(), Qt::LeftButton);
            QCOMPARE(c.dialog.ChooserResult(), 1);
        }
    }

    void escapeHandsBackNothing() {
        auto db = ThreeSatellites();
        Chooser c(*db);
        c.dialog.show();
        QTest::keyClick(&c.dialog, Qt::Key_Escape);
        QVERIFY(!c.dialog.isVisible());
        QCOMPARE(c.dialog.result(), 0);
        QCOMPARE(c.dialog.ChooserResult(), -1);
    }

    void listsEveryTransponderOfACrowdedSatellite() {
        auto db = NewDatabase();
        AddSatellites(*db, 1);
        for (std::uint32_t i = 0; i < 250; ++i)
            PushTransponder(*db, MakeTransponder(0, 10000000 + 1000 * i, 27500));
        Chooser c(*db);
        QCOMPARE(c.transponders()->count(), 250);
        QCOMPARE(c.transponders()->itemText(249), QStringLiteral("10249  H  27500  None"));
        c.transponders()->setCurrentIndex(249);
        QTest::mouseClick(c.confirm(), Qt::LeftButton);
        QCOMPARE(c.dialog.ChooserResult(), 249);
    }
};

QTEST_MAIN(ChooserDialogTest)
#include "test_chooser_dialog.moc"
