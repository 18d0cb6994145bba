// The "Edit Favourites" page: what it shows for each group, choosing a group, group names typed into the
// edits, dragging a selected block of rows, and "Delete Selected" with the row it leaves current.

#include "gui_harness.h"
#include "radio_group.h"
#include "string_grid.h"
#include "support/db_builders.h"
#include "tables/favourite_groups.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>

using namespace tcn;
using namespace tcn::test;

namespace {

// Twelve services "S0".."S11" (numbered and indexed alike); group 0 holds ten of them out of table order,
// group 1 five, group 2 three, group 3 none; group 4 names a service that does not exist besides two that do.
std::unique_ptr<ChannelDatabase> FavouritesDatabase() {
    auto db = NewDatabase();
    AddSatellites(*db, 1);
    PushTransponder(*db, MakeTransponder(0, 11000000, 27500));
    FillServices(*db, 12);
    SetGroupEntries(*db, 0, {9, 8, 7, 6, 5, 4, 3, 2, 1, 0});
    SetGroupEntries(*db, 1, {10, 11, 0, 1, 2});
    SetGroupEntries(*db, 2, {3, 4, 5});
    SetGroupEntries(*db, 4, {1, 300, 2});
    SetFavouriteGroupName(*db, 0, "News");
    SetFavouriteGroupName(*db, 1, "Sport");
    return db;
}

// A harness with FavouritesDatabase loaded and the favourites page shown.
struct FavouritesFixture {
    GuiHarness h;
    StringGrid* grid;

    explicit FavouritesFixture(const ChannelDatabase& db) {
        if (!h.Load(db)) qFatal("the test file did not load");
        h.ShowPage(3);
        grid = h.Find<StringGrid>(QStringLiteral("FavGrid"));
    }
    FavouritesFixture() : FavouritesFixture(*FavouritesDatabase()) {}

    // Selects rows top to bottom with a click and a shift-click on their names, as a user would.
    void ClickRange(int top, int bottom) {
        GuiHarness::ClickCell(grid, top, 1);
        GuiHarness::ClickCell(grid, bottom, 1, Qt::ShiftModifier);
    }
    // Drags the number cell of row `from` to the number cell of row `to` with the mouse.
    void DragRow(int from, int to) {
        QWidget* viewport = grid->viewport();
        const QPoint start = grid->visualRect(grid->model()->index(from - 1, 0)).center();
        const QPoint end = grid->visualRect(grid->model()->index(to - 1, 0)).center();
        QTest::mousePress(viewport, Qt::LeftButton, {}, start);
        QTest::mouseMove(viewport, end);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, end);
    }
    QAction* FavDelete() { return h.Find<QAction>(QStringLiteral("FavDelete")); }
    QString Line(int g) { return h.Find<QLabel>(QStringLiteral("StaticText%1").arg(13 + g))->text(); }
    std::vector<std::uint16_t> Group(std::size_t g) { return GroupEntries(h.Db(), g); }
};

} // namespace

class FavouritesPageTest : public QObject {
    Q_OBJECT

  private slots:
    void showsEveryGroupsNameAndCountAndTheChosenGroup() {
        FavouritesFixture f;
        // The entry naming no service is gone once the file is open.
        QCOMPARE(f.Line(0), QStringLiteral("Fav1 List Contains: 10 / 200"));
        QCOMPARE(f.Line(4), QStringLiteral("Fav5 List Contains: 2 / 200"));
        QCOMPARE(f.h.Find<QLineEdit>(QStringLiteral("Edit2"))->text(), QStringLiteral("News"));
        QCOMPARE(f.h.Find<RadioGroup>(QStringLiteral("RadioGroup11"))->itemIndex(), 0);

        QCOMPARE(f.grid->dataRowCount(), 10);
        QCOMPARE(GuiHarness::Cell(f.grid, 1, 0), QStringLiteral("1"));
        QCOMPARE(GuiHarness::Cell(f.grid, 1, 1), QStringLiteral("S9"));
        QCOMPARE(f.grid->currentRow(), 1);
        QVERIFY(f.grid->rowMoving());
        QVERIFY(f.FavDelete()->isEnabled());
    }

    void anEmptyGroupShowsOneBlankRowWithoutMovingOrDeleting() {
        FavouritesFixture f;
        QTest::mouseClick(f.h.Find<QRadioButton>(QStringLiteral("RadioGroup11Item3")), Qt::LeftButton);
        QCOMPARE(f.grid->dataRowCount(), 1);
        QVERIFY(GuiHarness::Cell(f.grid, 1, 1).isEmpty());
        QVERIFY(!f.grid->rowMoving());
        QVERIFY(!f.FavDelete()->isEnabled());
        QTest::keyClick(f.grid, Qt::Key_Delete); // nothing to delete, nothing said
        QVERIFY(f.h.platform.messages.empty());

        // Back to a filled group, and the choice outlives the next file opened.
        QTest::mouseClick(f.h.Find<QRadioButton>(QStringLiteral("RadioGroup11Item2")), Qt::LeftButton);
        QCOMPARE(GuiHarness::Cell(f.grid, 3, 1), QStringLiteral("S5"));
        QVERIFY(f.h.Load(*FavouritesDatabase(), QStringLiteral("/data/other.TCN")));
        f.h.ShowPage(3);
        QCOMPARE(f.h.Find<RadioGroup>(QStringLiteral("RadioGroup11"))->itemIndex(), 2);
        QCOMPARE(GuiHarness::Cell(f.grid, 1, 1), QStringLiteral("S3"));
    }

    void groupNamesAreStoredAsTypedAndOnlyWhenTyped() {
        // Bytes behind the name's terminating zero survive showing the page.
        auto db = FavouritesDatabase();
        FavouriteGroupRecord rec = db->config.Group(1);
        rec.bytes[FavouriteGroupRecord::kName + 10] = 0x5A;
        db->config.SetGroup(1, rec);
        FavouritesFixture f(*db);
        QVERIFY(f.h.Db().config.Group(1).bytes == rec.bytes);

        auto* edit = f.h.Find<QLineEdit>(QStringLiteral("Edit2"));
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, QStringLiteral("Caf"));
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QStringLiteral("\u00e9"), Qt::NoModifier);
        QCOMPARE(FavouriteGroupName(f.h.Db(), 0), std::string("Caf\xe9"));
        // A character without an 8-bit form cannot be typed.
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QStringLiteral("\u20ac"), Qt::NoModifier);
        QCOMPARE(edit->text(), QStringLiteral("Caf\u00e9"));

        // Twenty characters fill the field without a terminating zero; a 21st is not taken.
        QTest::keyClicks(edit, QStringLiteral("0123456789ABCDEFG"));
        const FavouriteGroupRecord stored = f.h.Db().config.Group(0);
        QCOMPARE(std::string(stored.bytes.begin(), stored.bytes.begin() + 20),
                 std::string("Caf\xe9"
                             "0123456789ABCDEF"));
        QCOMPARE(FavouriteGroupName(f.h.Db(), 0).size(), std::size_t{20});
        QCOMPARE(FavouriteGroupCount(f.h.Db(), 0), std::uint16_t{10});
        QCOMPARE(f.Line(0), QStringLiteral("Fav1 List Contains: 10 / 200"));
    }

    void draggingTheSelectedBlockMovesItInOrder() {
        FavouritesFixture f;
        // Rows 3 to 5 hold S7, S6, S5; row 4 dragged to row 1 puts them at positions 0 to 2.
        f.ClickRange(3, 5);
        f.DragRow(4, 1);
        QCOMPARE(f.Group(0), (std::vector<std::uint16_t>{7, 6, 5, 9, 8, 4, 3, 2, 1, 0}));
        QCOMPARE(GuiHarness::Cell(f.grid, 1, 1), QStringLiteral("S7"));
        QCOMPARE(f.grid->currentRow(), 1);

        // The block, now rows 1 to 3, dragged by its middle row to row 8 ends at positions 5 to 7.
        f.ClickRange(1, 3);
        f.grid->moveRow(2, 8);
        QCOMPARE(f.Group(0), (std::vector<std::uint16_t>{9, 8, 4, 3, 2, 7, 6, 5, 1, 0}));
        QCOMPARE(GuiHarness::Cell(f.grid, 8, 1), QStringLiteral("S5"));
        QCOMPARE(f.grid->currentRow(), 8);
        QVERIFY(f.h.platform.messages.empty());
    }

    void draggingARowOutsideTheSelectionChangesNothing() {
        FavouritesFixture f;
        const ConfigBuffer before = f.h.Db().config;
        // Nothing recorded yet: every row lies outside the selection.
        f.DragRow(2, 1);
        QCOMPARE(f.h.platform.messages.size(), std::size_t{1});

        f.ClickRange(3, 5);
        f.DragRow(7, 2);
        QCOMPARE(f.h.platform.messages.size(), std::size_t{2});
        QCOMPARE(f.h.platform.messages.back().text, QStringLiteral("You must move Selection."));
        QCOMPARE(f.h.platform.messages.back().caption, QStringLiteral("Move Error"));
        QVERIFY(f.h.Db().config.bytes == before.bytes);
        QCOMPARE(GuiHarness::Cell(f.grid, 7, 1), QStringLiteral("S3"));
        QCOMPARE(f.grid->currentRow(), 2);

        // A drop on the header row names no position: the block stays whole where it was.
        f.ClickRange(3, 5);
        f.grid->moveRow(4, 0);
        QVERIFY(f.h.Db().config.bytes == before.bytes);
        QCOMPARE(f.h.platform.messages.size(), std::size_t{2});
    }

    void aSelectionRecordedInALongerGroupMovesOnlyShownRows() {
        FavouritesFixture f;
        f.ClickRange(1, 8);
        QTest::mouseClick(f.h.Find<QRadioButton>(QStringLiteral("RadioGroup11Item2")), Qt::LeftButton);
        f.grid->moveRow(1, 3); // the three shown rows dropped on their own last row: nothing moves
        QCOMPARE(f.Group(2), (std::vector<std::uint16_t>{3, 4, 5}));
    }

    void deleteSelectedRemovesTheRowsAndKeepsTheCursorInside() {
        FavouritesFixture f;
        QTest::mouseClick(f.h.Find<QRadioButton>(QStringLiteral("RadioGroup11Item1")), Qt::LeftButton);
        f.ClickRange(2, 4);
        QTest::keyClick(f.grid, Qt::Key_Delete);
        QCOMPARE(f.Group(1), (std::vector<std::uint16_t>{10, 2}));
        QCOMPARE(f.grid->dataRowCount(), 2);
        QCOMPARE(f.grid->currentRow(), 2);
        QCOMPARE(f.Line(1), QStringLiteral("Fav2 List Contains: 2 / 200"));

        // The last of three rows, through the grid's menu: the new last row becomes current.
        QTest::mouseClick(f.h.Find<QRadioButton>(QStringLiteral("RadioGroup11Item2")), Qt::LeftButton);
        GuiHarness::ClickCell(f.grid, 3, 1);
        auto* menu = f.h.Find<QMenu>(QStringLiteral("PopupMenu2"));
        QVERIFY(menu->actions().contains(f.FavDelete()));
        QCOMPARE(f.FavDelete()->shortcut(), QKeySequence(Qt::Key_Delete));
        f.FavDelete()->trigger();
        QCOMPARE(f.Group(2), (std::vector<std::uint16_t>{3, 4}));
        QCOMPARE(f.grid->currentRow(), 2);

        // Ctrl+A (either case) selects every row; deleting them all leaves the empty group's grid.
        QTest::keyClick(f.grid, Qt::Key_A);
        QCOMPARE(f.grid->selectedRange(), std::make_pair(2, 2));
        QTest::keyClick(f.grid, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.grid->selectedRange(), std::make_pair(1, 2));
        QTest::keyClick(f.grid, Qt::Key_Delete);
        QCOMPARE(FavouriteGroupCount(f.h.Db(), 2), std::uint16_t{0});
        QCOMPARE(f.grid->dataRowCount(), 1);
        QVERIFY(!f.FavDelete()->isEnabled());
        QVERIFY(!f.grid->rowMoving());
    }
};

QTEST_MAIN(FavouritesPageTest)
#include "test_favourites_page.moc"
