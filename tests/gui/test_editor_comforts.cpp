// What the window offers beyond its pages: undo and redo of every kind of change on every page (the tables
// compared byte for byte), the history's start at a load, the question about unsaved
// changes, the window's keys, finding a channel, and opening a channel file dropped on the window.

#include "channelfile/file_format.h"
#include "gui_harness.h"
#include "string_grid.h"
#include "support/db_builders.h"
#include "tables/favourite_groups.h"
#include "tform2.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUndoStack>

using namespace tcn;
using namespace tcn::test;

namespace {

using Tables = std::unique_ptr<ChannelDatabase>;

// Two satellites with three transponders each, twelve services over them (the eleventh a radio one), and
// group 1, "News" with a byte behind its terminating zero, holding eight of them.
Tables Sample() {
    auto db = NewDatabase();
    AddSatellites(*db, 2);
    for (std::uint32_t k = 0; k < 6; ++k)
        PushTransponder(*db,
                        MakeTransponder(static_cast<std::uint8_t>(k / 3), 10700000 + 1000 * k, 27500, 0x08));
    const char* names[] = {"Sport Eins", "Nachrichten", "Kino Plus",  "Sport Zwei", "Musik",   "Natur",
                           "Reisen",     "Kochen",      "Sport Drei", "Wetter",     "Radio A", "Kinder"};
    for (std::uint16_t i = 0; i < 12; ++i)
        PushService(*db, MakeService(i, i % 6, names[i],
                                     i == 10 ? ServiceRecord::kKindRadio : ServiceRecord::kKindTv));
    SetGroupEntries(*db, 0, {1, 2, 3, 4, 5, 7, 8, 9});
    SetFavouriteGroupName(*db, 0, "News");
    db->config.bytes[ConfigBuffer::kFavouriteGroups + 12] = 'Z';
    return db;
}

struct Comforts {
    GuiHarness h;

    Comforts() {
        if (!h.Load(*Sample())) qFatal("the test file did not load");
    }
    Tables Now() { return std::make_unique<ChannelDatabase>(h.Db()); }
    // A key as the user presses it, wherever the focus is.
    void Press(int key, Qt::KeyboardModifiers modifiers = {}) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : h.window.get(), static_cast<Qt::Key>(key), modifiers);
    }
    QUndoStack& Steps() { return h.window->History().Stack(); }
    bool Unsaved() { return h.window->History().HasUnsavedChanges(); }
    void Click(const char* button) { QTest::mouseClick(h.Find<QPushButton>(button), Qt::LeftButton); }
    void Type(const char* field, const QString& text) {
        h.Find<QLineEdit>(field)->selectAll();
        QTest::keyClicks(h.Find<QLineEdit>(field), text);
    }
    StringGrid* Grid(const char* name) { return h.Find<StringGrid>(name); }
    // Selects rows top to bottom of a grid, then presses `key` there or drags row top to row `dragTo`.
    void OnRows(StringGrid* grid, int top, int bottom, int key, Qt::KeyboardModifiers modifiers = {},
                int dragTo = 0) {
        GuiHarness::ClickCell(grid, top, 1);
        GuiHarness::ClickCell(grid, bottom, 1, Qt::ShiftModifier);
        const auto centre = [grid](int row) {
            return grid->visualRect(grid->model()->index(row - 1, 0)).center();
        };
        if (key) QTest::keyClick(grid, static_cast<Qt::Key>(key), modifiers);
        if (!dragTo) return;
        QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, centre(top));
        QTest::mouseMove(grid->viewport(), centre(dragTo));
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, centre(dragTo));
    }
    void LockFirstChannel() {
        h.ShowPage(2);
        QTest::keyClick(Grid("ChGrid"), Qt::Key_L, Qt::ControlModifier);
    }
    // Drags a local file onto the window and, when `drop`, drops it; true when the window took it.
    bool Drag(const QString& path, bool drop) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter({10, 10}, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(h.window.get(), &enter);
        if (enter.isAccepted() && drop) QCoreApplication::sendEvent(h.window.get(), &dropped);
        return enter.isAccepted() && (!drop || dropped.isAccepted());
    }
};

} // namespace

class EditorComfortsTest : public QObject {
    Q_OBJECT

  private slots:
    void everyKindOfChangeOnEveryPageIsOneStepBackAndForth() {
        Comforts c;
        std::vector<Tables> states;
        const auto done = [&] { states.push_back(c.Now()); };
        done();
        c.Type("Edit1", QStringLiteral("Renamed"));
        c.Click("SpeedButton1");
        done();
        c.Click("SpeedButton3"); // the add and the apply that fills the new satellite
        done();

        c.h.ShowPage(1);
        QAbstractItemView* satellites = c.h.Find<QComboBox>("ComboBox1")->view();
        c.h.Find<QComboBox>("ComboBox1")->showPopup();
        QTest::mouseClick(satellites->viewport(), Qt::LeftButton, {},
                          satellites->visualRect(satellites->model()->index(0, 0)).center());
        c.Type("MaskEdit4", QStringLiteral("12345"));
        c.Click("SpeedButton5");
        done();
        c.Click("SpeedButton6");
        done();
        // Deleting a transponder deletes its services; the favourites still name the old service numbers
        // until the channel page resolves them, and that belongs to the delete's step.
        c.OnRows(c.Grid("TpGrid"), 1, 1, Qt::Key_Delete);
        const Tables unresolved = c.Now();
        c.h.ShowPage(2);
        QVERIFY(!(c.h.Db() == *unresolved));
        done();

        StringGrid* channels = c.Grid("ChGrid");
        GuiHarness::ClickCell(channels, 2, 1);
        c.Type("chName", QStringLiteral("Neu"));
        c.Click("SpeedButton8");
        done();
        c.OnRows(channels, 1, 3, Qt::Key_L, Qt::ControlModifier);
        done();
        c.OnRows(channels, 2, 4, Qt::Key_F5, Qt::ControlModifier);
        done();
        c.OnRows(channels, 5, 6, Qt::Key_Delete);
        done();
        c.h.platform.chooser = [](TForm2& dialog) {
            dialog.findChild<QPushButton*>("SpeedButton1")->click(); // Confirm
            return dialog.result();
        };
        QTest::keyClick(channels, Qt::Key_Insert);
        done();
        c.OnRows(channels, 2, 3, 0, {}, 7);
        done();
        QTest::mouseClick(c.h.Find<QWidget>("RadioGroup8Item1"), Qt::LeftButton); // a view change is no step

        c.h.ShowPage(3);
        StringGrid* favourites = c.Grid("FavGrid");
        c.OnRows(favourites, 1, 2, 0, {}, 4);
        done();
        c.OnRows(favourites, 2, 2, Qt::Key_Delete);
        done();
        // A burst of typing in a name is one step; leaving the field ends it.
        auto* name = c.h.Find<QLineEdit>("Edit2");
        name->setFocus();
        c.Type("Edit2", QStringLiteral("Nachrichten"));
        done();
        favourites->setFocus();
        name->setFocus();
        QTest::keyClick(name, Qt::Key_Exclam);
        done();

        QCOMPARE(c.Steps().count(), int(states.size()) - 1);
        for (std::size_t i = states.size() - 1; i-- > 0;) { // Ctrl+Z with the focus in the name field
            c.Press(Qt::Key_Z, Qt::ControlModifier);
            QVERIFY2(c.h.Db() == *states[i], qPrintable(QString::number(i)));
        }
        QVERIFY(!c.Steps().canUndo() && !c.Unsaved());
        for (std::size_t i = 1; i < states.size(); ++i) {
            c.Press(i % 2 ? Qt::Key_Y : Qt::Key_Z,
                    Qt::ControlModifier | (i % 2 ? Qt::NoModifier : Qt::ShiftModifier));
            QVERIFY2(c.h.Db() == *states[i], qPrintable(QString::number(i)));
        }
        c.Press(Qt::Key_Z, Qt::ControlModifier);
        c.Press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(name->text(), QStringLiteral("News")); // the page is drawn anew after each key
    }

    void aRedoAfterAPageResolvedTheGroupsKeepsTheirMembers() {
        // Two transponder deletes leave the groups unresolved; the second is undone, the favourites page
        // then resolves the groups, and the redo must still give the tables after the second delete.
        Comforts c;
        c.h.ShowPage(1);
        QAbstractItemView* satellites = c.h.Find<QComboBox>("ComboBox1")->view();
        c.h.Find<QComboBox>("ComboBox1")->showPopup();
        QTest::mouseClick(satellites->viewport(), Qt::LeftButton, {},
                          satellites->visualRect(satellites->model()->index(0, 0)).center());
        c.OnRows(c.Grid("TpGrid"), 1, 1, Qt::Key_Delete); // Sport Eins and Reisen go
        c.OnRows(c.Grid("TpGrid"), 1, 1, Qt::Key_Delete); // Nachrichten and Kochen go
        const Tables deleted = c.Now();
        c.Press(Qt::Key_Z, Qt::ControlModifier);
        c.h.ShowPage(3);
        c.Press(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(c.h.Db().serviceCount, deleted->serviceCount);
        QStringList members;
        for (int r = 1; r <= c.Grid("FavGrid")->dataRowCount(); ++r)
            members << GuiHarness::Cell(c.Grid("FavGrid"), r, 1);
        QCOMPARE(members, (QStringList{"Kino Plus", "Sport Zwei", "Musik", "Natur", "Sport Drei", "Wetter"}));
    }

    void aLoadStartsTheHistoryAndUnsavedChangesAreAskedAbout() {
        Comforts c;
        const Tables loaded = c.Now();
        c.LockFirstChannel();
        const Tables changed = c.Now();
        // Cancel stops an open before its dialog; a refused file keeps the tables and their history.
        c.h.platform.unsavedAnswers = {UnsavedChoice::Cancel};
        QVERIFY(!c.h.OpenThroughDialog(QStringLiteral("/data/other.TCN")) &&
                c.h.platform.lastStartFolder.isEmpty());
        c.h.files.Put("/data/list.txt", {1, 2, 3});
        QVERIFY(!c.h.OpenThroughDialog(QStringLiteral("/data/list.txt"))); // discarded, then refused
        QVERIFY(c.h.Db() == *changed && c.Steps().canUndo() && c.Unsaved());
        // Cancel, and a save that fails (the new file is read-only), keep the window open.
        c.h.platform.unsavedAnswers = {UnsavedChoice::Cancel, UnsavedChoice::Save};
        c.h.files.Put("/data/NEW_test.TCN", {1}, /*readOnly=*/true);
        QVERIFY(!c.h.window->close() && !c.h.window->close() && c.Unsaved());
        QCOMPARE(c.h.platform.lastUnsavedFile, QStringLiteral("NEW_test.TCN"));
        // Saved is clean; undoing past the save is not.
        c.h.files.Put("/data/NEW_test.TCN", {1});
        c.Press(Qt::Key_S, Qt::ControlModifier);
        c.LockFirstChannel();
        c.Press(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!c.Unsaved());
        c.Press(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(c.Unsaved());
        // Save, then open: the new tables start a fresh history.
        c.h.platform.unsavedAnswers = {UnsavedChoice::Save};
        QVERIFY(c.h.OpenThroughDialog(QStringLiteral("/data/test.TCN")));
        QVERIFY(c.h.files.Get("/data/NEW_test.TCN") == BuildChannelFileImage(*loaded));
        QVERIFY(!c.Steps().canUndo() && !c.Unsaved() && !c.h.Find<QAction>("UndoAction")->isEnabled());
        // Save, then close.
        c.LockFirstChannel();
        c.h.platform.unsavedAnswers = {UnsavedChoice::Save};
        QVERIFY(c.h.window->close());
        QVERIFY(c.h.files.Get("/data/NEW_test.TCN") == BuildChannelFileImage(c.h.Db()));
        QCOMPARE(c.h.platform.unsavedAsked, 6);
    }

    void windowKeysBesideThePageKeys() {
        Comforts c;
        c.LockFirstChannel(); // Ctrl+L stays the page's
        c.Press(Qt::Key_S, Qt::ControlModifier);
        QVERIFY(c.h.platform.messages.back().caption == QStringLiteral("Success") && !c.Unsaved());
        QTest::keyClick(c.Grid("ChGrid"), Qt::Key_F1, Qt::ControlModifier); // Fav1, not the help
        c.Press(Qt::Key_F1);
        QCOMPARE(c.h.platform.opened.size(), std::size_t{1});
        c.h.platform.openAnswers = {QStringLiteral("/data/test.TCN")};
        c.Press(Qt::Key_O, Qt::ControlModifier); // asks about the Fav1 change (Discard), then opens
        QVERIFY(c.h.platform.openAnswers.isEmpty() && !c.Unsaved());
        c.Press(Qt::Key_Q, Qt::ControlModifier); // nothing unsaved: no question
        QVERIFY(c.h.platform.unsavedAsked == 1 && !c.h.window->isVisible());
    }

    void ctrlFFindsChannelsWithoutChangingTheView() {
        Comforts c;
        c.h.ShowPage(2);
        StringGrid* grid = c.Grid("ChGrid");
        const QRect gridArea = grid->geometry();
        auto* field = c.h.Find<QLineEdit>("FindField");
        QTest::keyClick(grid, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(field->hasFocus() && gridArea.contains(field->geometry()) &&
                !field->geometry().intersects(grid->geometry()));
        QTest::keyClicks(field, QStringLiteral("SPORT"));
        QCOMPARE(grid->currentRow(), 1); // the current row holds it already
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY(grid->currentRow() == 4 &&
                c.h.Find<QLineEdit>("chName")->text() == QStringLiteral("Sport Zwei"));
        QTest::keyClick(field, Qt::Key_F3);
        QTest::keyClick(field, Qt::Key_F3); // past Sport Drei, from the top again
        QCOMPARE(grid->currentRow(), 1);
        field->clear();
        QTest::keyClicks(field, QStringLiteral("kin"));
        QTest::keyClick(field, Qt::Key_Return); // Kinder stands behind the radio service the view leaves out
        QVERIFY(grid->currentRow() == 11 && GuiHarness::Cell(grid, 11, 1) == QStringLiteral("  Kinder"));
        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(!field->isVisible() && grid->hasFocus() && grid->geometry() == gridArea &&
                !c.Steps().canUndo());
        c.h.ShowPage(0); // Ctrl+F belongs to the channel page
        c.Press(Qt::Key_F, Qt::ControlModifier);
        QVERIFY(!field->isVisible());
    }

    void aDroppedChannelFileOpensAsOpenWould() {
        Comforts c;
        c.h.files.Put("/data/dropped.tcn", BuildChannelFileImage(*Sample()));
        QVERIFY(!c.Drag(QStringLiteral("/data/notes.txt"), false));
        c.LockFirstChannel();
        c.h.platform.unsavedAnswers = {UnsavedChoice::Cancel};
        QVERIFY(c.Drag(QStringLiteral("/data/dropped.tcn"), true));
        QCOMPARE(c.h.window->Session().Context().SourcePath, std::string("/data/test.TCN"));
        QVERIFY(c.Drag(QStringLiteral("/data/dropped.tcn"), true)); // discarded this time
        QVERIFY(c.h.Find<QLineEdit>("Path")->text() == QStringLiteral("/data/dropped.tcn") &&
                !c.Steps().canUndo());
    }
};

QTEST_MAIN(EditorComfortsTest)
#include "test_editor_comforts.moc"
