// The "Edit Satellites" page driven as a user would: the group always shows the stored satellite of the
// selected row, the LNB and DiSEqC rules, Apply with its refusals, Add and Insert up to the last slot, and
// positions that need a third or fourth whole-degree place.

#include "demo_database.h"
#include "gui_harness.h"
#include "radio_group.h"
#include "string_grid.h"
#include "support/db_builders.h"
#include "tables/satellite_table.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWheelEvent>

using namespace tcn;
using namespace tcn::test;

namespace {

// Switching bytes: orientation in bits 6-7, port in bits 4-5, DiSEqC type in bits 0-3.
constexpr std::uint8_t kWest = 0x40, kEast = 0x80;

SatelliteRecord Satellite(std::string_view name, std::uint16_t position, std::uint8_t switching,
                          std::uint8_t lnbType = kLnbUniversal, std::uint16_t low = 9750,
                          std::uint16_t high = 10600) {
    SatelliteRecord rec = MakeSatellite(name, position, switching);
    rec.SetFlags(static_cast<std::uint8_t>(0x01 | (lnbType << 2)));
    rec.SetLnbLow(low);
    rec.SetLnbHigh(high);
    return rec;
}

// Four satellites, each with something the page has to get right.
std::unique_ptr<ChannelDatabase> FourSatellites() {
    auto db = NewDatabase();
    PutSatellite(*db, 0, Satellite("Astra 19.2E", 192, kEast | 0x10 | kDiseqcToneBurst)); // port B
    PutSatellite(*db, 1, Satellite("No side", 0, kDiseqcSwitch11));                       // orientation 0
    PutSatellite(*db, 2,
                 Satellite("Custom LNB", 1305, kWest | 0x30 | kDiseqcToneBurst, kLnbUser, 9000, 10000));
    PutSatellite(*db, 3, Satellite("Far out", 12345, kWest | kDiseqcMotor, 3, 5150, 5750)); // LNB code 3
    db->satelliteCount = 4;
    return db;
}

// The page's controls by name, and the user's gestures on them.
struct Page {
    GuiHarness& h;

    StringGrid* Grid() const { return h.Find<StringGrid>("SatGrid"); }
    QLineEdit* Field(const char* name) const { return h.Find<QLineEdit>(name); }
    RadioGroup* Group(const char* name) const { return h.Find<RadioGroup>(name); }
    QString Text(const char* field) const { return Field(field)->text(); }
    QString Cell(int row, int column) const { return GuiHarness::Cell(Grid(), row, column); }
    SatelliteRecord Stored(int index) const { return ReadSatellite(h.Db(), static_cast<std::size_t>(index)); }

    void Select(int row) const { GuiHarness::ClickCell(Grid(), row, 1); }
    void Click(const char* button) const { QTest::mouseClick(h.Find<QPushButton>(button), Qt::LeftButton); }
    void Choose(const char* group, int i) const {
        QTest::mouseClick(h.Find<QRadioButton>(group + QStringLiteral("Item") + QString::number(i)),
                          Qt::LeftButton);
    }
    void Key(Qt::Key key) const {
        Grid()->setFocus();
        QTest::keyClick(Grid(), key);
    }
    // Types over the whole field, as a paste would: the field's length, mask and validator apply.
    void Type(const char* field, const QString& text) const {
        Field(field)->selectAll();
        Field(field)->insert(text);
    }
};

} // namespace

class SatellitePageTest : public QObject {
    Q_OBJECT

  private slots:
    void startsEmptyAndShowsTheFirstSatelliteAfterALoad() {
        GuiHarness h;
        Page p{h};
        // The page control is disabled until a file loads; inside it Add is enabled and the group is not.
        QWidget* pages = h.Find<QWidget>("PageControl1");
        QVERIFY(!h.Find<QWidget>("GroupBox1")->isEnabledTo(pages));
        QVERIFY(h.Find<QWidget>("SpeedButton3")->isEnabledTo(pages));
        QCOMPARE(p.Grid()->model()->rowCount(), 1);
        QCOMPARE(p.Text("MaskEdit1"), QStringLiteral("00,0"));
        QCOMPARE(p.Text("MaskEdit2"), QStringLiteral("00000"));

        QVERIFY(h.Load(*FourSatellites()));
        QCOMPARE(p.Cell(1, 2), QStringLiteral("19.2  E"));
        QCOMPARE(p.Text("MaskEdit1"), QStringLiteral("19,2"));
        QCOMPARE(p.Text("MaskEdit2"), QStringLiteral("09750"));
        QCOMPARE(p.Group("RadioGroup4")->items().size(), 2); // ToneBurst on Port B: ports A and B
        QCOMPARE(p.Group("RadioGroup4")->itemIndex(), 1);
    }

    void unappliedEditsAreDroppedByRowChangeWheelAndCancel() {
        GuiHarness h;
        Page p{h};
        QVERIFY(h.Load(*FourSatellites()));
        const ConfigBuffer before = h.Db().config;
        p.Type("Edit1", QStringLiteral("Typed"));
        p.Key(Qt::Key_Down);
        QCOMPARE(p.Text("Edit1"), QStringLiteral("No side"));
        p.Key(Qt::Key_Up);

        p.Choose("RadioGroup3", 4);
        p.Click("SpeedButton2");
        QCOMPARE(p.Group("RadioGroup3")->itemIndex(), 1);

        p.Type("MaskEdit1", QStringLiteral("33,3"));
        QWheelEvent wheel(QPointF(20, 20), p.Grid()->mapToGlobal(QPointF(20, 20)), {}, QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(p.Grid()->viewport(), &wheel);
        QCOMPARE(p.Text("MaskEdit1"), QStringLiteral("19,2"));
        QVERIFY(h.Db().config == before);
    }

    void lnbTypeRulesAndTheUserPairFallback() {
        GuiHarness h;
        Page p{h};
        QVERIFY(h.Load(*FourSatellites()));
        // User picked after Normal offers the Normal pair.
        p.Choose("RadioGroup2", 1);
        p.Choose("RadioGroup2", 2);
        QVERIFY(p.Field("MaskEdit2")->isEnabled());
        QCOMPARE(p.Text("MaskEdit2"), QStringLiteral("05150"));
        QCOMPARE(p.Text("MaskEdit3"), QStringLiteral("05750"));

        // An invalid pair becomes Universal without a message, and the page shows it so.
        p.Type("MaskEdit2", QStringLiteral("10600"));
        p.Type("MaskEdit3", QStringLiteral("09750"));
        p.Click("SpeedButton1");
        QVERIFY(h.platform.messages.empty());
        QCOMPARE(p.Stored(0).LnbLow(), std::uint16_t{9750});
        QCOMPARE(p.Group("RadioGroup2")->itemIndex(), 0);
        QVERIFY(!p.Field("MaskEdit3")->isEnabled());
        QCOMPARE(p.Text("MaskEdit3"), QStringLiteral("10600"));

        // A stored User pair (and code 3, read as User) is shown in enabled fields.
        p.Select(3);
        QCOMPARE(p.Text("MaskEdit2"), QStringLiteral("09000"));
        p.Select(4);
        QCOMPARE(p.Group("RadioGroup2")->itemIndex(), 2);
        QVERIFY(p.Field("MaskEdit2")->isEnabled());
        QCOMPARE(p.Text("MaskEdit3"), QStringLiteral("05750"));
    }

    void diseqcTypeRulesAndPorts() {
        GuiHarness h;
        Page p{h};
        QVERIFY(h.Load(*FourSatellites()));
        // ToneBurst on Port B switched to Switch 1.0: four ports offered, Port A chosen and stored.
        p.Choose("RadioGroup3", 2);
        QCOMPARE(p.Group("RadioGroup4")->items().size(), 4);
        QCOMPARE(p.Group("RadioGroup4")->itemIndex(), 0);
        p.Click("SpeedButton1");
        QCOMPARE(p.Stored(0).Switching(), std::uint8_t(kEast | kDiseqcSwitch10));
        // A click on the type already chosen keeps the chosen port.
        p.Choose("RadioGroup4", 3);
        p.Choose("RadioGroup3", 2);
        QCOMPARE(p.Group("RadioGroup4")->itemIndex(), 3);
        // A stored ToneBurst on Port D shows Port B, the last port it offers.
        p.Select(3);
        QCOMPARE(p.Group("RadioGroup4")->itemIndex(), 1);
    }

    void positionsAndSidesApplyExactlyAsShownOrTyped() {
        GuiHarness h;
        Page p{h};
        QVERIFY(h.Load(*FourSatellites()));
        // Orientation code 0 keeps the side shown before (East), and an apply stores it; 00,0 stores 0.
        p.Select(2);
        QCOMPARE(p.Cell(2, 2), QStringLiteral("0.0  "));
        QCOMPARE(p.Text("MaskEdit1"), QStringLiteral("00,0"));
        p.Click("SpeedButton1");
        QCOMPARE(p.Cell(2, 2), QStringLiteral("0.0  E"));
        QCOMPARE(p.Stored(1).Position(), std::uint16_t{0});
        // Wider than three places: shown in full, and an apply leaves it as it was.
        p.Select(4);
        QCOMPARE(p.Text("MaskEdit1"), QStringLiteral("1234,5"));
        p.Click("SpeedButton1");
        QCOMPARE(p.Stored(3).Position(), std::uint16_t{12345});
        // Back to three places; two digits typed into three, and a blank tenth read as whole degrees.
        p.Select(1);
        p.Type("MaskEdit1", QStringLiteral("1234"));
        QCOMPARE(p.Text("MaskEdit1"), QStringLiteral("123,4"));
        p.Click("SpeedButton1");
        QCOMPARE(p.Cell(1, 2), QStringLiteral("123.4  E"));
        p.Type("MaskEdit1", QStringLiteral("28,2"));
        p.Click("SpeedButton1");
        QCOMPARE(p.Stored(0).Position(), std::uint16_t{282});
        p.Type("MaskEdit1", QStringLiteral("19,"));
        p.Click("SpeedButton1");
        QCOMPARE(p.Stored(0).Position(), std::uint16_t{190});
        QVERIFY(h.platform.messages.empty());
    }

    void textThatIsNoNumberChangesNoByteAndNamesTakeNineteen() {
        GuiHarness h;
        Page p{h};
        QVERIFY(h.Load(*FourSatellites()));
        const ConfigBuffer before = h.Db().config;
        p.Type("Edit1", QStringLiteral("Renamed"));
        p.Type("MaskEdit1", QStringLiteral("1 9,2"));
        p.Click("SpeedButton1");
        QCOMPARE(h.platform.LastMessage(), QStringLiteral("'1 9,2' is not a valid floating point value"));
        QCOMPARE(p.Text("Edit1"), QStringLiteral("Renamed")); // the input stays for correction

        p.Click("SpeedButton2");
        p.Choose("RadioGroup2", 2);
        p.Type("MaskEdit3", QStringLiteral("1060"));
        p.Click("SpeedButton1");
        QCOMPARE(h.platform.LastMessage(), QStringLiteral("'1060_' is not a valid integer value"));
        QCOMPARE(h.platform.messages.size(), std::size_t{2});
        QVERIFY(h.Db().config == before);

        // Names take 19 ISO-8859-1 characters.
        p.Click("SpeedButton2");
        p.Type("Edit1", QStringLiteral("T\u00fcrksat 42E and more"));
        p.Click("SpeedButton1");
        QCOMPARE(QByteArray::fromStdString(std::string(p.Stored(0).Name())),
                 QByteArray("T\xfcrksat 42E and mor"));
        QCOMPARE(p.Cell(1, 1), QStringLiteral("T\u00fcrksat 42E and mor"));
    }

    void applyKeepsATwentyByteNameUnlessItWasEdited() {
        // A name that fills all 20 bytes of its field, without a terminating zero: the field shows 19.
        auto db = FourSatellites();
        SatelliteRecord wide = ReadSatellite(*db, 1);
        wide.SetText(SatelliteRecord::kName, SatelliteRecord::kNameSize, SatelliteRecord::kNameSize,
                     "Twenty characters!!!");
        PutSatellite(*db, 1, wide);
        GuiHarness h;
        Page p{h};
        QVERIFY(h.Load(*db));
        p.Select(2);
        QCOMPARE(p.Text("Edit1"), QStringLiteral("Twenty characters!!"));
        p.Type("MaskEdit1", QStringLiteral("0045"));
        p.Click("SpeedButton1");
        QCOMPARE(p.Stored(1).Name(), std::string_view("Twenty characters!!!"));
        QCOMPARE(p.Stored(1).Position(), 45);

        p.Type("Edit1", QStringLiteral("Typed"));
        p.Click("SpeedButton1");
        QCOMPARE(p.Stored(1).Name(), std::string_view("Typed"));
    }

    void addCopiesTheStoredSelectionUpToTheLastSlot() {
        GuiHarness h;
        Page p{h};
        QVERIFY(h.Load(BuildDemoDatabase(false)));
        const SatelliteRecord freeSlot = p.Stored(8);
        p.Select(3);
        p.Type("Edit1", QStringLiteral("Not applied"));
        p.Click("SpeedButton3");
        QCOMPARE(p.Grid()->currentRow(), 9);
        QCOMPARE(p.Cell(9, 0), QStringLiteral("9"));
        QCOMPARE(p.Cell(9, 1), p.Cell(3, 1));
        // Name, position and settings from satellite 3; the reserved bytes and flag bits of its own slot.
        SatelliteRecord expected = p.Stored(2);
        for (std::size_t i : {26, 27, 28, 29, 30, 31, 32, 33, 34, 37, 38, 39})
            expected.bytes[i] = freeSlot.bytes[i];
        expected.SetFlags(static_cast<std::uint8_t>((freeSlot.Flags() & 0xF2) | (expected.Flags() & 0x0D)));
        QVERIFY(p.Stored(8) == expected);

        // Insert adds as well, up to the 80th satellite, which disables Add.
        for (int n = 10; n <= 80; ++n)
            p.Key(Qt::Key_Insert);
        QCOMPARE(h.Db().satelliteCount, std::uint8_t{80});
        QVERIFY(!h.Find<QWidget>("SpeedButton3")->isEnabled());
        const ConfigBuffer full = h.Db().config;
        p.Key(Qt::Key_Insert);
        QVERIFY(h.Db().config == full);
        QVERIFY(h.Load(*FourSatellites(), QStringLiteral("/data/small.TCN")));
        QVERIFY(h.Find<QWidget>("SpeedButton3")->isEnabled());
        QCOMPARE(p.Grid()->currentRow(), 4);
    }

    void addToAFileWithoutSatellites() {
        GuiHarness h;
        Page p{h};
        QVERIFY(h.Load(*FourSatellites()));
        auto db = NewDatabase();
        SatelliteRecord unused = Satellite("Old bytes", 77, kEast | kDiseqcSwitch10 | 0x20);
        unused.SetFlags(0x08); // not in use
        PutSatellite(*db, 0, unused);
        QVERIFY(h.Load(*db, QStringLiteral("/data/empty.TCN")));
        QVERIFY(!h.Find<QWidget>("GroupBox1")->isEnabled());
        QCOMPARE(p.Cell(1, 0), QString());

        // Nothing of the earlier file is left in the group: no name, position 0, West, Universal, and the
        // DiSEqC bits the slot held.
        p.Click("SpeedButton3");
        QVERIFY(h.Find<QWidget>("GroupBox1")->isEnabled());
        QVERIFY(p.Stored(0).Name().empty());
        QCOMPARE(p.Stored(0).Flags(), std::uint8_t{0x01});
        QCOMPARE(p.Stored(0).Switching(), std::uint8_t(kWest | kDiseqcSwitch10 | 0x20));
        QCOMPARE(p.Stored(0).LnbLow(), std::uint16_t{9750});
        QCOMPARE(p.Cell(1, 2), QStringLiteral("0.0  W"));
    }
};

QTEST_MAIN(SatellitePageTest)
#include "test_satellite_page.moc"
