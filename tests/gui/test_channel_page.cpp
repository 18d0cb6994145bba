// The "Edit Channels" page driven as a user would: the grid and its marks, editing and applying a service,
// the range actions of the popup menu, deleting in a sorted view, Insert through the chooser dialog,
// dragging rows of an interleaved table, the Sort Options controls, the empty view and the layout.

#include "artwork.h"
#include "channel_grid_model.h"
#include "channel_page.h"
#include "gui_harness.h"
#include "radio_group.h"
#include "string_grid.h"
#include "support/db_builders.h"
#include "tform2.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

using namespace tcn;
using namespace tcn::test;

namespace {

using Names = std::vector<std::string>;
using Entries = std::vector<std::uint16_t>;

// TV and radio services interleaved in the table, on two satellites. Mike (scrambled, Viaccess) and Xray
// (scrambled, Nagravision) are in Fav 1, Bravo in Fav 2; Alpha is locked with a video PID of 12000; Oscar
// links to no transponder. TV rows in table order: Mike Bravo Xray Alpha Kilo Delta Golf Oscar.
std::unique_ptr<ChannelDatabase> Interleaved() {
    auto db = NewDatabase();
    AddSatellites(*db, 2);
    PushTransponder(*db, MakeTransponder(0, 11836000, 27500, 0x08));
    PushTransponder(*db, MakeTransponder(1, 10714000, 22000, 0x00));
    const std::pair<const char*, std::uint16_t> tv[] = {
        {"Mike", 0}, {"Bravo", 0}, {"Xray", 1}, {"Alpha", 0},
        {"Kilo", 1}, {"Delta", 0}, {"Golf", 1}, {"Oscar", kNoTransponder}};
    for (int i = 0; i < 8; ++i) {
        ServiceRecord s = MakeService(db->serviceCount, tv[i].second, tv[i].first);
        s.SetVideoPid(100);
        PushService(*db, s);
        if (i == 0 || i == 3 ||
            i == 5) // radio services between Mike and Bravo, Alpha and Kilo, Delta and Golf
            PushService(*db, MakeService(db->serviceCount, 0,
                                         i == 0   ? "Radio One"
                                         : i == 3 ? "Radio Two"
                                                  : "Radio Three",
                                         ServiceRecord::kKindRadio));
    }
    // Table: Mike, Radio One, Bravo, Xray, Alpha, Radio Two, Kilo, Delta, Radio Three, Golf, Oscar.
    db->services[0].SetFlags(0x02);
    db->services[0].SetU8(ServiceRecord::kCa, 5);
    db->services[3].SetFlags(0x02);
    db->services[3].SetU8(ServiceRecord::kCa, 24);
    db->services[4].SetFlags(0x01);
    db->services[4].SetVideoPid(12000);
    SetGroupEntries(*db, 0, {0, 3});
    SetGroupEntries(*db, 1, {2});
    return db;
}

struct ChannelFixture {
    GuiHarness h;
    StringGrid* grid;

    explicit ChannelFixture(const ChannelDatabase& db) {
        if (!h.Load(db)) qFatal("the test file did not load");
        h.ShowPage(2);
        grid = h.Find<StringGrid>(QStringLiteral("ChGrid"));
    }
    ChannelFixture() : ChannelFixture(*Interleaved()) {}

    QString Cell(int row, int column) const { return GuiHarness::Cell(grid, row, column); }
    bool Marked(int row, int column) const {
        return grid->model()->index(row - 1, column).data(ChannelGridModel::kCheckMarkRole).toBool();
    }
    QStringList Names() const {
        QStringList names;
        for (int r = 1; r <= grid->model()->rowCount(); ++r)
            names << Cell(r, 1);
        return names;
    }
    void ClickRange(int top, int bottom) {
        GuiHarness::ClickCell(grid, top, 1);
        GuiHarness::ClickCell(grid, bottom, 1, Qt::ShiftModifier);
    }
    void DragRow(int from, int to) {
        const QPoint start = grid->visualRect(grid->model()->index(from - 1, 0)).center();
        const QPoint end = grid->visualRect(grid->model()->index(to - 1, 0)).center();
        QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, start);
        QTest::mouseMove(grid->viewport(), end);
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, end);
    }
    void Click(const QString& radioButton) {
        QTest::mouseClick(h.Find<QRadioButton>(radioButton), Qt::LeftButton);
    }
    // Chooses a combo box item with the mouse, in the box's popup list.
    void Choose(const QString& comboBox, int index) {
        auto* box = h.Find<QComboBox>(comboBox);
        box->showPopup();
        QAbstractItemView* list = box->view();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(index, 0)).center());
    }
    void Type(const QString& field, const QString& text) {
        auto* edit = h.Find<QLineEdit>(field);
        edit->clear();
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    QString Shown(const QString& field) { return h.Find<QLineEdit>(field)->displayText(); }
    void Apply() { QTest::mouseClick(h.Find<QPushButton>(QStringLiteral("SpeedButton8")), Qt::LeftButton); }
    QStringList ComboTexts(const QString& comboBox) {
        auto* box = h.Find<QComboBox>(comboBox);
        QStringList texts;
        for (int i = 0; i < box->count(); ++i)
            texts << box->itemText(i);
        return texts;
    }
    // The chooser dialog is answered with Confirm.
    void ConfirmChooser() {
        h.platform.chooser = [](TForm2& dialog) {
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("SpeedButton1")), Qt::LeftButton);
            return dialog.result();
        };
    }
};

} // namespace

class ChannelPageTest : public QObject {
    Q_OBJECT

  private slots:
    void gridShowsTheViewWithPrefixesMarksAndTheEditGroup() {
        ChannelFixture f;
        QCOMPARE(f.Names(), (QStringList{"$ Mike", "  Bravo", "$ Xray", "  Alpha", "  Kilo", "  Delta",
                                         "  Golf", "  Oscar"}));
        QCOMPARE(f.Cell(3, 0), QStringLiteral("3"));
        QCOMPARE(f.grid->model()->headerData(7, Qt::Horizontal).toString(), QStringLiteral("Fav 5"));
        QCOMPARE(f.grid->columnWidth(1), 157);
        QCOMPARE(f.grid->rowHeight(0), 20);
        QVERIFY(f.Marked(4, 2) && f.Marked(1, 3) && f.Marked(3, 3) && f.Marked(2, 4));
        QVERIFY(!f.Marked(1, 2) && !f.Marked(2, 3) && !f.Marked(1, 4) && f.Cell(4, 2).isEmpty());
        QCOMPARE(f.h.Find<QLineEdit>("chName")->text(), QStringLiteral("Mike"));
        QCOMPARE(f.h.Find<QLabel>("StaticText3")->text(), QStringLiteral("Sat 0  0.0  W"));
        QCOMPARE(f.h.Find<QLabel>("StaticText4")->text(), QStringLiteral("11836     V     27500"));
        QCOMPARE(f.h.Find<RadioGroup>("RadioGroup10")->itemIndex(), 1);
        // Down moves the row the edit group shows; a stored PID above 9999 is shown in full.
        GuiHarness::ClickCell(f.grid, 3, 1);
        QTest::keyClick(f.grid, Qt::Key_Down);
        QCOMPARE(f.Shown("vPid"), QStringLiteral("12000"));
        GuiHarness::ClickCell(f.grid, 8, 1); // no transponder: empty info lines
        QVERIFY(f.h.Find<QLabel>("StaticText3")->text().isEmpty() &&
                f.h.Find<QLabel>("StaticText4")->text().isEmpty());
        QCOMPARE(f.Shown("vPid"), QStringLiteral("100 "));

        // The check mark's top-left corner is 10 pixels right of the cell's left edge, level with its top.
        const QImage shot = f.grid->viewport()->grab().toImage();
        const QRect cell = f.grid->visualRect(f.grid->model()->index(2, 3)); // Xray in Fav 1, not selected
        QImage expected(20, 19, QImage::Format_RGB32);
        expected.fill(shot.pixel(cell.left() + 2, cell.top() + 2));
        QPainter(&expected).drawPixmap(0, 0, CheckMarkPixmap());
        const auto drawnAt = [&](int dx) {
            for (int y = 0; y < 19; ++y)
                for (int x = 0; x < 20; ++x)
                    if ((shot.pixel(cell.left() + dx + x, cell.top() + y) ^ expected.pixel(x, y)) & 0xFFFFFF)
                        return false;
            return true;
        };
        QVERIFY(drawnAt(10) && !drawnAt(9) && !drawnAt(11));
    }

    void applyStoresTheFieldsAndRefusesBadNumbersWithoutChangingAByte() {
        ChannelFixture f;
        GuiHarness::ClickCell(f.grid, 2, 1); // Bravo
        f.Type("chName", QStringLiteral("Bravo \u00e9 New"));
        f.Type("proName", QStringLiteral("A provider longer than twenty"));
        f.Type("serID", QStringLiteral("1234"));
        f.Type("vPid", QStringLiteral("9000")); // above 8191: the stored PID stays
        f.Type("aPid", QStringLiteral("200"));
        f.Click(QStringLiteral("RadioGroup10Item1"));
        f.Apply();
        const ServiceRecord& bravo = f.h.Db().services[2];
        QCOMPARE(bravo.Name(), std::string_view("Bravo \xe9 New"));
        QCOMPARE(bravo.Provider(), std::string_view("A provider longer th"));
        QVERIFY(bravo.ServiceId() == 1234 && bravo.VideoPid() == 100 && bravo.AudioPid() == 200 &&
                bravo.Scrambled());
        QCOMPARE(f.Cell(2, 1), QString::fromLatin1("$ Bravo \xe9 New"));
        QVERIFY(f.grid->currentRow() == 2 && f.grid->hasFocus());
        GuiHarness::ClickCell(f.grid, 4, 1); // an unchanged PID above 9999 survives an apply
        f.Apply();
        QCOMPARE(f.h.Db().services[4].VideoPid(), 12000);
        QVERIFY(f.h.platform.messages.empty());

        // The first bad number in the order service id, video, audio, PCR is named, and nothing is stored.
        const auto before = std::make_unique<ChannelDatabase>(f.h.Db());
        const std::pair<const char*, QString> bad[] = {
            {"serID", QString()}, {"serID", "70000"}, {"aPid", "12 4"}};
        for (const auto& [field, text] : bad) {
            f.h.platform.Clear();
            f.Type("chName", QStringLiteral("Changed"));
            f.h.Find<QLineEdit>(field)->setText(text);
            f.h.Find<QLineEdit>("pcrPid")->clear(); // also bad, but read last
            f.Apply();
            QCOMPARE(f.h.platform.messages.size(), std::size_t{1});
            QCOMPARE(f.h.platform.LastMessage(),
                     QStringLiteral("'%1' is not a valid integer value").arg(text));
            QCOMPARE(f.h.platform.messages.back().caption, QStringLiteral("Error"));
            QVERIFY(f.h.Db() == *before);
            GuiHarness::ClickCell(f.grid, 4, 1);
        }

        // Radio in the TV view: the service leaves the grid and the row number stays, clamped.
        GuiHarness::ClickCell(f.grid, 8, 1);
        f.Click(QStringLiteral("RadioGroup9Item1"));
        f.Apply();
        QVERIFY(f.grid->model()->rowCount() == 7 && f.grid->currentRow() == 7);
        QCOMPARE(f.h.Find<QLineEdit>("chName")->text(), QStringLiteral("Golf"));
    }

    void applyKeepsStoredTextsLongerThanTheirFieldsUnlessTheyWereEdited() {
        // A file from elsewhere: a channel name of 31 characters (no terminating zero in its area), a
        // provider of 25 and bytes behind the provider's zero.
        auto db = Interleaved();
        ServiceRecord& mike = db->services[0];
        const std::string name(31, 'N'), provider = "A provider of 25 letters!";
        mike.SetText(ServiceRecord::kName, 31, 31, name);
        mike.SetText(ServiceRecord::kProvider, 30, 30, provider);
        mike.SetU8(ServiceRecord::kProvider + 28, 0x7E);
        ChannelFixture f(*db);
        const ServiceRecord before = f.h.Db().services[0];
        QCOMPARE(f.h.Find<QLineEdit>("chName")->text(), QString(30, QLatin1Char('N')));
        f.Type("serID", QStringLiteral("4321"));
        f.Apply();
        ServiceRecord expected = before;
        expected.SetServiceId(4321);
        QCOMPARE(DifferingOffsets(f.h.Db().services[0], expected), std::vector<std::size_t>{});

        // An edited field stores what it shows; the untouched one still keeps its bytes.
        f.Type("chName", QStringLiteral("Mike"));
        f.Apply();
        QCOMPARE(f.h.Db().services[0].Name(), std::string_view("Mike"));
        QCOMPARE(f.h.Db().services[0].Provider(), std::string_view(provider));
        f.Type("proName", QStringLiteral("Short"));
        f.Apply();
        QCOMPARE(f.h.Db().services[0].Provider(), std::string_view("Short"));
    }

    void lockFavouritesAndSelectAllWorkOnTheSelectedRange() {
        ChannelFixture f;
        f.ClickRange(3, 4); // Xray unlocked, Alpha locked
        QTest::keyClick(f.grid, Qt::Key_L, Qt::ControlModifier);
        QVERIFY(f.h.Db().services[3].Locked() && !f.h.Db().services[4].Locked());
        QVERIFY(f.Marked(3, 2) && !f.Marked(4, 2));
        QVERIFY(f.grid->selectedRange() == std::make_pair(3, 4) && f.grid->currentRow() == 4);

        f.ClickRange(1, 3); // Fav 1 holds Mike and Xray, not Bravo
        QTest::keyClick(f.grid, Qt::Key_F1, Qt::ControlModifier);
        QCOMPARE(GroupEntries(f.h.Db(), 0), Entries{2});
        QVERIFY(!f.Marked(1, 3) && f.Marked(2, 3) && !f.Marked(3, 3));
        f.h.Find<QAction>("Fav2")->trigger(); // through the menu, on the reselected range
        QCOMPARE(GroupEntries(f.h.Db(), 1), (Entries{0, 3}));
        QTest::keyClick(f.grid, Qt::Key_A); // only Ctrl+A selects
        QCOMPARE(f.grid->selectedRange(), std::make_pair(1, 3));
        QTest::keyClick(f.grid, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(f.grid->selectedRange() == std::make_pair(1, 8) && f.grid->currentRow() == 8);
        // A shift-click extends from the row the program made current, not from the row clicked before;
        // pressing Ctrl alone moves nothing.
        GuiHarness::ClickCell(f.grid, 3, 1);
        QTest::keyClick(f.grid, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(f.grid, Qt::Key_Control);
        GuiHarness::ClickCell(f.grid, 5, 1, Qt::ShiftModifier);
        QVERIFY(f.grid->selectedRange() == std::make_pair(5, 8) && f.grid->currentRow() == 5);
        QTest::keyClick(f.grid, Qt::Key_Up);
        GuiHarness::ClickCell(f.grid, 2, 1, Qt::ShiftModifier);
        QCOMPARE(f.grid->selectedRange(), std::make_pair(2, 4));

        // A full group: the rows that are not members are refused, the members still leave.
        auto db = NewDatabase();
        AddSatellites(*db, 1);
        PushTransponder(*db, MakeTransponder(0, 11000000, 27500));
        FillServices(*db, 260);
        Entries full;
        for (std::uint16_t i = 10; i < 210; ++i)
            full.push_back(i);
        SetGroupEntries(*db, 4, full);
        ChannelFixture g(*db);
        g.ClickRange(1, 12);
        QTest::keyClick(g.grid, Qt::Key_F5, Qt::ControlModifier);
        QCOMPARE(GroupEntries(g.h.Db(), 4), Entries(full.begin() + 2, full.end()));
    }

    void deleteInASortedViewRemovesExactlyTheSelectedServices() {
        ChannelFixture f;
        f.Click(
            QStringLiteral("RadioGroup8Item1")); // A - Z: Alpha(4) Bravo(2) Delta Golf Kilo Mike Oscar Xray
        f.ClickRange(1, 2);
        QTest::keyClick(f.grid, Qt::Key_Delete);
        QCOMPARE(ServiceNames(f.h.Db()), (Names{"Mike", "Radio One", "Xray", "Radio Two", "Kilo", "Delta",
                                                "Radio Three", "Golf", "Oscar"}));
        QVERIFY(GroupEntries(f.h.Db(), 1).empty()); // Bravo left Fav 2 with it
        QVERIFY(f.grid->currentRow() == 1 && f.Cell(1, 1) == QStringLiteral("  Delta"));
    }

    void theEmptyViewShowsTheEmptyEditorAndInsertFillsIt() {
        auto db = NewDatabase();
        AddSatellites(*db, 1);
        PushTransponder(*db, MakeTransponder(0, 11000000, 27500));
        PushService(*db, MakeService(0, 0, "Only"));
        ChannelFixture f(*db);
        f.grid->setFocus();
        QTest::keyClick(f.grid, Qt::Key_Delete); // the only row
        QVERIFY(f.h.Db().serviceCount == 0 && f.grid->model()->rowCount() == 1 && f.Cell(1, 0).isEmpty());
        QVERIFY(!f.h.Find<QGroupBox>("GroupBox5")->isEnabled() &&
                !f.h.Find<QPushButton>("SpeedButton8")->isEnabled());
        QCOMPARE(f.Shown("serID") + f.Shown("pcrPid") + f.Shown("vPid") + f.Shown("aPid"),
                 QString(17, QLatin1Char('0')));
        QCOMPARE(f.h.Find<RadioGroup>("RadioGroup9")->itemIndex() +
                     f.h.Find<RadioGroup>("RadioGroup10")->itemIndex(),
                 -2);
        for (const char* name : {"Lock", "Fav1", "Fav2", "Fav3", "Fav4", "Fav5", "DeleteCh"})
            QVERIFY(!f.h.Find<QAction>(name)->isEnabled());
        QVERIFY(!f.grid->rowMoving());

        // The empty radio view takes Insert: a cancelled chooser adds nothing, a confirmed one a last row.
        f.Click(QStringLiteral("RadioGroup7Item1"));
        f.h.platform.chooser = [](TForm2&) { return 2; };
        QTest::keyClick(f.grid, Qt::Key_Insert);
        QVERIFY(f.h.platform.choosersShown == 1 && f.h.Db().serviceCount == 0);
        f.ConfirmChooser();
        QTest::keyClick(f.grid, Qt::Key_Insert);
        QVERIFY(f.h.Db().serviceCount == 1 && f.h.Db().services[0].Kind() == ServiceRecord::kKindRadio);
        QVERIFY(f.Cell(1, 1) == QStringLiteral("  Noname") && f.h.Find<QAction>("Lock")->isEnabled());
    }

    void draggingASelectedRangeMovesItsServicesAroundTheRadioOnes() {
        ChannelFixture f;
        f.ClickRange(2, 3); // Bravo, Xray onto Delta
        f.DragRow(2, 6);
        QCOMPARE(ServiceNames(f.h.Db()), (Names{"Mike", "Radio One", "Alpha", "Radio Two", "Kilo", "Delta",
                                                "Bravo", "Xray", "Radio Three", "Golf", "Oscar"}));
        QCOMPARE(f.grid->currentRow(), 6);
        QCOMPARE(GroupEntries(f.h.Db(), 0), (Entries{0, 7})); // Xray kept its Fav 1
        f.ClickRange(4, 5); // Delta, Bravo onto Alpha, dragged by the range's last row
        f.DragRow(5, 2);
        QCOMPARE(ServiceNames(f.h.Db()), (Names{"Mike", "Radio One", "Delta", "Bravo", "Alpha", "Radio Two",
                                                "Kilo", "Xray", "Radio Three", "Golf", "Oscar"}));
        QVERIFY(f.h.platform.messages.empty());

        const auto before = std::make_unique<ChannelDatabase>(f.h.Db());
        f.ClickRange(2, 3);
        f.DragRow(6, 1); // outside the recorded selection: undone, with a message
        QVERIFY(f.h.Db() == *before && f.grid->currentRow() == 1);
        QCOMPARE(f.h.platform.LastMessage(), QStringLiteral("You must move Selection."));
        QCOMPARE(f.h.platform.messages.back().caption, QStringLiteral("Move Error"));
        f.Click(QStringLiteral("RadioGroup8Item3")); // no dragging in a filtered view
        QVERIFY(!f.grid->rowMoving());
    }

    void insertAndTheSortOptionsFollowTheViewSettingsWithTheirResets() {
        ChannelFixture f;
        f.ConfirmChooser();
        QTest::keyClick(f.grid, Qt::Key_Insert);
        QVERIFY(f.Cell(9, 1) == QStringLiteral("  Noname") && f.grid->currentRow() == 9);
        QCOMPARE(f.ComboTexts("ComboBox2"), (QStringList{"All Satellites", "Sat 0", "Sat 1"}));
        QVERIFY(!f.h.Find<QComboBox>("ComboBox3")->isEnabled());
        f.Click(QStringLiteral("RadioGroup8Item5")); // caID: the scrambled services
        QTest::keyClick(f.grid, Qt::Key_Insert);     // no Insert in a filtered view
        QCOMPARE(f.h.platform.choosersShown, 1);
        QCOMPARE(f.Names(), (QStringList{"$ Mike", "$ Xray"}));
        QCOMPARE(f.ComboTexts("ComboBox3"), (QStringList{"All Systems", "Viaccess", "Nagravision"}));
        f.Choose(QStringLiteral("ComboBox3"), 2);
        QCOMPARE(f.Names(), QStringList{"$ Xray"});
        f.h.window->channelPage()->Render(f.h.Db()); // filling and selecting the controls runs none of their handlers
        QCOMPARE(f.h.Find<QComboBox>("ComboBox3")->currentIndex(), 2);
        f.Click(QStringLiteral("RadioGroup8Item6")); // "Sort by" resets "Additional List"
        QCOMPARE(f.ComboTexts("ComboBox3"), (QStringList{"All Providers", "Others", "Noname"}));
        QCOMPARE(f.h.Find<QComboBox>("ComboBox3")->currentIndex(), 0);

        f.Choose(QStringLiteral("ComboBox2"), 2); // Sat 1 resets "Sort by" to 1-2-3
        QCOMPARE(f.Names(), (QStringList{"$ Xray", "  Kilo", "  Golf"}));
        QCOMPARE(f.h.Find<RadioGroup>("RadioGroup8")->itemIndex(), 0);
        QVERIFY(!f.h.Find<QComboBox>("ComboBox3")->isEnabled() && !f.grid->rowMoving());
        QTest::keyClick(f.grid, Qt::Key_Insert); // nor with one satellite
        QCOMPARE(f.h.platform.choosersShown, 1);
        f.Click(QStringLiteral("RadioGroup7Item1")); // Radio: all satellites, 1-2-3
        QCOMPARE(f.Names(), (QStringList{"  Radio One", "  Radio Two", "  Radio Three"}));
        QVERIFY(f.h.Find<QComboBox>("ComboBox2")->currentIndex() == 0 && f.grid->rowMoving() &&
                f.grid->hasFocus());
        QCOMPARE(f.h.Find<RadioGroup>("RadioGroup7")->itemIndex(), 1);
    }

    void everyControlFitsThePageWithoutOverlap() {
        ChannelFixture f;
        f.Click(QStringLiteral("RadioGroup8Item5"));
        const QList<QWidget*> widgets = f.h.Find<QWidget>("TabSheet3")->findChildren<QWidget*>();
        const auto shown = [](QWidget* w) {
            return !w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")) &&
                   w->isVisible() && !w->isWindow() && !qobject_cast<QComboBox*>(w->parentWidget());
        };
        for (QWidget* w : widgets) {
            if (!shown(w)) continue;
            QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), qPrintable(w->objectName()));
            if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w))
                QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(w->objectName()));
            if (auto* box = qobject_cast<QGroupBox*>(w))
                QVERIFY2(box->fontMetrics().horizontalAdvance(box->title()) + 16 <= box->width(),
                         qPrintable(box->title()));
            for (QWidget* other : widgets)
                if (other != w && other->parentWidget() == w->parentWidget() && shown(other))
                    QVERIFY2(!w->geometry().intersects(other->geometry()), qPrintable(w->objectName()));
        }
    }
};

QTEST_MAIN(ChannelPageTest)
#include "test_channel_page.moc"
