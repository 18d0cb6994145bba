// The transponder page: choosing a satellite, the editor following the selected row, apply with its
// refusals, add up to the limits, and deleting single rows and ranges with the reselection after each.

#include "gui_harness.h"
#include "radio_group.h"
#include "string_grid.h"
#include "support/db_builders.h"
#include "tables/transponder_table.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWheelEvent>

#include <algorithm>

using namespace tcn;
using namespace tcn::test;

namespace {

constexpr std::uint8_t kVertical = 0x08;

// Satellites "Sat 0".. and, for each satellite s, counts[s] transponders at 10701, 10702.. MHz whose
// records interleave with those of the next satellite; each transponder carries one service.
std::unique_ptr<ChannelDatabase> Database(std::size_t satellites, std::vector<int> counts) {
    auto db = NewDatabase();
    AddSatellites(*db, satellites);
    for (int i = 0; i < *std::max_element(counts.begin(), counts.end()); ++i)
        for (std::size_t s = 0; s < counts.size(); ++s)
            if (i < counts[s]) {
                const auto t =
                    PushTransponder(*db, MakeTransponder(std::uint8_t(s), (10701 + i) * 1000, 27500));
                PushService(*db, MakeService(db->serviceCount, t, IndexedName("S", t)));
            }
    return db;
}

struct Page {
    GuiHarness h;
    StringGrid* grid = h.Find<StringGrid>("TpGrid");
    QComboBox* combo = h.Find<QComboBox>("ComboBox1");
    QLineEdit* frequency = h.Find<QLineEdit>("MaskEdit4");
    QLineEdit* symbolRate = h.Find<QLineEdit>("MaskEdit5");

    explicit Page(const ChannelDatabase& db) {
        if (!h.Load(db)) qFatal("the test file did not load");
        h.ShowPage(1);
    }
    // Chooses satellite s in the opened list, as a click of the user would.
    void Choose(int s) {
        combo->showPopup();
        QAbstractItemView* view = combo->view();
        const QModelIndex item = view->model()->index(s, 0);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
    }
    void Click(const char* button) { QTest::mouseClick(h.Find<QPushButton>(button), Qt::LeftButton); }
    bool Enabled(const char* name) { return h.Find<QWidget>(name)->isEnabled(); }
    QString Text(const char* label) { return h.Find<QLabel>(label)->text(); }
    QStringList Row(int row) {
        QStringList cells;
        for (int c = 0; c < 4; ++c)
            cells << GuiHarness::Cell(grid, row, c);
        return cells;
    }
    // Types `text` over the whole of a field.
    static void Type(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
};

} // namespace

class TransponderPageTest : public QObject {
    Q_OBJECT

  private slots:
    void aFileWithoutSatellitesLeavesEverythingDisabled() {
        Page p(*Database(0, {0}));
        QVERIFY(!p.combo->isEnabled());
        QCOMPARE(p.combo->currentIndex(), -1);
        QCOMPARE(p.combo->placeholderText(), QStringLiteral("Choose Satellite"));
        QCOMPARE(p.Text("StaticText1"),
                 QStringLiteral("Number Of Transponders In The current Satellite : .../..."));
        QCOMPARE(p.Text("StaticText2"),
                 QStringLiteral("Number Of Transponders In The Whole Data Base   : ..../...."));
        for (const char* button : {"SpeedButton4", "SpeedButton5", "SpeedButton6", "SpeedButton7"})
            QVERIFY2(!p.Enabled(button), button);
        QCOMPARE(p.Row(1), QStringList(4, QString()));
    }

    void anEmptySatelliteTakesNewTranspondersAtTheEnd() {
        Page p(*Database(3, {2, 0, 1}));
        QCOMPARE(p.combo->count(), 3);
        QCOMPARE(p.Text("StaticText2"),
                 QStringLiteral("Number Of Transponders In The Whole Data Base   : 3/3500"));
        // Typing opens the list at the first match; the keys of the list choose.
        QTest::keyClick(p.combo, Qt::Key_S);
        QVERIFY(p.combo->view()->isVisible());
        QTest::keyClick(p.combo->view(), Qt::Key_Down);
        QTest::keyClick(p.combo->view(), Qt::Key_Return);
        QCOMPARE(p.combo->currentIndex(), 1);
        QCOMPARE(p.h.window->focusWidget(), static_cast<QWidget*>(p.grid)); // the grid has the focus
        QCOMPARE(p.Row(1), QStringList(4, QString()));
        QVERIFY(p.Text("StaticText1").endsWith(QStringLiteral(": 0/200")));
        QVERIFY(p.Enabled("SpeedButton6") && !p.Enabled("SpeedButton7") && !p.Enabled("GroupBox4"));

        p.Click("SpeedButton6");
        QCOMPARE(p.Row(1), (QStringList{"0", "H", "0", "None"}));
        QVERIFY(p.Text("StaticText1").endsWith(QStringLiteral(": 1/200")));
        QVERIFY(p.Text("StaticText2").endsWith(QStringLiteral(": 4/3500")));
        QVERIFY(p.Enabled("GroupBox4") && p.Enabled("SpeedButton7"));
        QCOMPARE(p.frequency->displayText(), QStringLiteral("00000"));
        QCOMPARE(p.h.Find<RadioGroup>("RadioGroup5")->itemIndex(), 0);
        QCOMPARE(p.h.Find<RadioGroup>("RadioGroup6")->itemIndex(), 0);

        QTest::keyClick(p.grid, Qt::Key_Insert);
        QCOMPARE(p.grid->dataRowCount(), 2);
        QCOMPARE(p.grid->currentRow(), 2);
        QCOMPARE(BuildSatelliteTransponderList(p.h.Db(), 1), (std::vector<std::uint16_t>{3, 4}));

        // The choice survives page switches and ends with the next load.
        p.h.ShowPage(0);
        p.h.ShowPage(1);
        QCOMPARE(p.combo->currentIndex(), 1);
        QVERIFY(p.h.Load(*Database(3, {1})));
        p.h.ShowPage(1);
        QCOMPARE(p.combo->currentIndex(), -1);
        QVERIFY(!p.Enabled("SpeedButton6"));
    }

    void addStopsAtTheLimits() {
        Page p(*Database(1, {199}));
        p.Choose(0);
        p.Click("SpeedButton6");
        QCOMPARE(p.grid->currentRow(), 200);
        QVERIFY(!p.Enabled("SpeedButton6"));
        QTest::keyClick(p.grid, Qt::Key_Insert);
        QCOMPARE(p.h.Db().transponderCount, 200);
        QTest::keyClick(p.grid, Qt::Key_Delete);
        QCOMPARE(p.grid->dataRowCount(), 199);
        QVERIFY(p.Enabled("SpeedButton6"));
    }

    void deletingSelectsTheRowOfTheRules_data() {
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("bottom");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("selectedFrequency");
        QTest::newRow("rows 3-5") << 3 << 5 << 3 << "10706";
        QTest::newRow("rows 9-10") << 9 << 10 << 8 << "10708";
        QTest::newRow("rows 1-5") << 1 << 5 << 5 << "10710";
        QTest::newRow("row 10") << 10 << 10 << 9 << "10709";
        QTest::newRow("row 4") << 4 << 4 << 4 << "10705";
    }
    void deletingSelectsTheRowOfTheRules() {
        QFETCH(int, top);
        QFETCH(int, bottom);
        QFETCH(int, selected);
        QFETCH(QString, selectedFrequency);
        Page p(*Database(2, {10, 3}));
        p.Choose(0);
        GuiHarness::ClickCell(p.grid, top, 1);
        if (bottom != top) GuiHarness::ClickCell(p.grid, bottom, 2, Qt::ShiftModifier);
        QCOMPARE(p.grid->selectedRange(), std::make_pair(top, bottom));
        p.Click("SpeedButton7");

        QCOMPARE(p.grid->dataRowCount(), 10 - (bottom - top + 1));
        QCOMPARE(p.grid->selectedRange(), std::make_pair(selected, selected));
        QCOMPARE(GuiHarness::Cell(p.grid, selected, 0), selectedFrequency);
        QCOMPARE(p.frequency->displayText(), selectedFrequency);
        // The services went with their transponders; the other satellite kept all of its own.
        QCOMPARE(int(p.h.Db().serviceCount), 13 - (bottom - top + 1));
        QCOMPARE(BuildSatelliteTransponderList(p.h.Db(), 1).size(), std::size_t{3});
    }

    void ctrlAThenDeleteEmptiesTheSatellite() {
        Page p(*Database(2, {5, 2}));
        p.Choose(0);
        QTest::keyClick(p.grid, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(p.grid->selectedRange(), std::make_pair(1, 5));
        // With Ctrl held, Delete is not the page's key.
        QTest::keyClick(p.grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(p.grid->dataRowCount(), 5);
        QTest::keyClick(p.grid, Qt::Key_Delete);
        QCOMPARE(p.Row(1), QStringList(4, QString()));
        QVERIFY(p.Text("StaticText1").endsWith(QStringLiteral(": 0/200")));
        QVERIFY(p.Text("StaticText2").endsWith(QStringLiteral(": 2/3500")));
        QVERIFY(p.Enabled("SpeedButton6") && !p.Enabled("SpeedButton7") && !p.Enabled("GroupBox4"));
        QCOMPARE(ServiceLinks(p.h.Db()), (std::vector<std::uint16_t>{0, 1}));
    }

    void theEditorShowsTheStoredRecordOfTheSelectedRow() {
        auto db = Database(1, {2});
        db->transponders[0] = MakeTransponder(0, 11778500, 27500, 0x30 | kVertical | 3);
        db->transponders[1] = MakeTransponder(0, 12000000, 30000, 7);
        Page p(*db);
        p.Choose(0);
        QCOMPARE(p.Row(1), (QStringList{"11778", "V", "27500", "3/4"}));
        QCOMPARE(p.Row(2), (QStringList{"12000", "H", "30000", "Auto"}));
        QCOMPARE(p.frequency->displayText(), QStringLiteral("11778"));

        // Unapplied input is dropped by a row change, the wheel and Cancel.
        Page::Type(p.frequency, "99999");
        QTest::keyClick(p.grid, Qt::Key_Down);
        QCOMPARE(p.frequency->displayText(), QStringLiteral("12000"));
        QCOMPARE(p.h.Find<RadioGroup>("RadioGroup6")->itemIndex(), 6);
        Page::Type(p.symbolRate, "1");
        QWheelEvent wheel({10, 10}, p.grid->viewport()->mapToGlobal(QPointF(10, 10)), {}, {0, -120},
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(p.grid->viewport(), &wheel);
        QCOMPARE(p.symbolRate->displayText(), QStringLiteral("30000"));
        Page::Type(p.symbolRate, "1");
        p.Click("SpeedButton4");
        QCOMPARE(p.symbolRate->displayText(), QStringLiteral("30000"));

        // Apply unchanged: 500 kHz dropped, code 7 stored as 6, nothing else touched.
        QTest::keyClick(p.grid, Qt::Key_Up);
        p.Click("SpeedButton5");
        QTest::keyClick(p.grid, Qt::Key_Down);
        QTest::mouseClick(p.h.Find<QWidget>("RadioGroup5Item1"), Qt::LeftButton);
        p.Click("SpeedButton5");
        QCOMPARE(p.h.Db().transponders[0], MakeTransponder(0, 11778000, 27500, 0x30 | kVertical | 3));
        QCOMPARE(p.h.Db().transponders[1], MakeTransponder(0, 12000000, 30000, kVertical | 6));
        QCOMPARE(p.Row(2), (QStringList{"12000", "V", "30000", "Auto"}));
        QVERIFY(p.h.platform.messages.empty());
    }

    void badNumbersAreRefusedAndStoreNothing() {
        auto db = Database(1, {1});
        db->transponders[0].SetFrequency(4294967295u); // more MHz than the five digits hold
        Page p(*db);
        p.Choose(0);
        QCOMPARE(p.frequency->displayText(), QStringLiteral("4294967"));
        const auto before = std::make_unique<ChannelDatabase>(p.h.Db());
        struct Case {
            QString frequency, symbolRate, message;
        };
        for (const Case& c : {Case{"9999999", "00001", "'9999999' is not a valid integer value"},
                              Case{"12 34", "70000", "'12 34' is not a valid integer value"},
                              Case{"11000", "70000", "'70000' is not a valid integer value"}}) {
            p.h.platform.Clear();
            Page::Type(p.frequency, c.frequency);
            Page::Type(p.symbolRate, c.symbolRate);
            p.Click("SpeedButton5");
            QCOMPARE(p.h.platform.messages.size(), std::size_t{1});
            QCOMPARE(p.h.platform.LastMessage(), c.message);
            QCOMPARE(p.h.platform.messages[0].caption, QStringLiteral("Error"));
            QVERIFY(p.h.Db() == *before);
            QCOMPARE(p.symbolRate->displayText(), c.symbolRate); // the input stays for correcting
        }
        // An unchanged wide frequency is stored as shown.
        p.Click("SpeedButton4");
        p.Click("SpeedButton5");
        QCOMPARE(p.h.Db().transponders[0].Frequency(), 4294967000u);
    }
};

QTEST_MAIN(TransponderPageTest)
#include "test_transponder_page.moc"
