// The main window: start-up state, Open (cancelled, refused, loaded), Save in every state, Help and the
// banner, and the page dispatch.

#include "application.h"
#include "demo_database.h"
#include "gui_harness.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

using namespace tcn;
using namespace tcn::test;

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void startsWithDisabledPagesOnPageZeroAndIdle() {
        GuiHarness h;
        QCOMPARE(h.window->windowTitle(), QStringLiteral("T.A.R.V R7D Vazu PC Rivavad Irizov V2.0"));
        QCOMPARE(h.window->size(), QSize(700, 699));
        auto* pages = h.Find<QTabWidget>("PageControl1");
        QVERIFY(!pages->isEnabled());
        QCOMPARE(pages->currentIndex(), 0);
        QCOMPARE(pages->count(), 4);
        QCOMPARE(pages->tabText(2), QStringLiteral("Edit Channels"));
        QCOMPARE(h.Status(), QStringLiteral("Idle"));
        QVERIFY(h.Find<QPushButton>("Save")->isEnabled());
        QVERIFY(h.Find<QLineEdit>("Path")->text().isEmpty());
    }

    void cancellingTheDialogChangesNothing() {
        GuiHarness h;
        QVERIFY(!h.OpenThroughDialog(QString()));
        QVERIFY(h.platform.messages.empty());
        QCOMPARE(h.Status(), QStringLiteral("Idle"));
        QVERIFY(h.Find<QLineEdit>("Path")->text().isEmpty());
    }

    void aWrongExtensionIsRefusedButThePathShowsTheChoice() {
        GuiHarness h;
        h.files.Put("/data/list.txt", {1, 2, 3});
        QVERIFY(!h.OpenThroughDialog(QStringLiteral("/data/list.txt")));
        QCOMPARE(h.Find<QLineEdit>("Path")->text(), QStringLiteral("/data/list.txt"));
        QCOMPARE(h.platform.messages.size(), std::size_t{1});
        QVERIFY(h.platform.LastMessage().startsWith(QStringLiteral("Error[0]")));
        QVERIFY(!h.Find<QTabWidget>("PageControl1")->isEnabled());
        // The dialog starts where the last choice was made.
        h.OpenThroughDialog(QString());
        QCOMPARE(h.platform.lastStartFolder, QStringLiteral("/data/"));
    }

    void aGoodFileLoadsOntoPageZero() {
        GuiHarness h;
        QVERIFY(h.Load(BuildDemoDatabase(false), QStringLiteral("/data/demo.tcn")));
        auto* pages = h.Find<QTabWidget>("PageControl1");
        QVERIFY(pages->isEnabled());
        QCOMPARE(pages->currentIndex(), 0);
        QCOMPARE(h.Status(), QStringLiteral("Service DataBase CRC : OK"));
        QVERIFY(h.platform.messages.empty());
        QCOMPARE(h.Find<QLineEdit>("Path")->text(), QStringLiteral("/data/demo.tcn"));
    }

    void aRefusedOpenShowsPageZeroAsTheTablesHoldItAfterAnUndo() {
        // A refused open shows page 0 without rendering it; an undo made on another page must not leave
        // it showing a satellite name that the tables no longer hold.
        GuiHarness h;
        QVERIFY(h.Load(BuildDemoDatabase(false)));
        auto* grid = h.Find<QTableView>("SatGrid");
        const QString stored = GuiHarness::Cell(grid, 1, 1);
        h.Find<QLineEdit>("Edit1")->setText(QStringLiteral("Renamed"));
        QTest::mouseClick(h.Find<QPushButton>("SpeedButton1"), Qt::LeftButton);
        QCOMPARE(GuiHarness::Cell(grid, 1, 1), QStringLiteral("Renamed"));
        h.ShowPage(1);
        QTest::keyClick(h.window.get(), Qt::Key_Z, Qt::ControlModifier);
        h.files.Put("/data/broken.TCN", {1, 2, 3});
        QVERIFY(!h.OpenThroughDialog(QStringLiteral("/data/broken.TCN")));
        QCOMPARE(h.Find<QTabWidget>("PageControl1")->currentIndex(), 0);
        QCOMPARE(GuiHarness::Cell(grid, 1, 1), stored);
    }

    void saveReportsAndEndsIdleInEveryState() {
        GuiHarness h;
        QTest::mouseClick(h.Find<QPushButton>("Save"), Qt::LeftButton);
        QCOMPARE(h.platform.LastMessage(), QStringLiteral("Level[9] : Couldn't create New TCN File."));
        QCOMPARE(h.Status(), QStringLiteral("Idle"));

        const ChannelDatabase demo = BuildDemoDatabase(false);
        QVERIFY(h.Load(demo, QStringLiteral("/data/demo.TCN")));
        h.platform.Clear();
        QTest::mouseClick(h.Find<QPushButton>("Save"), Qt::LeftButton);
        QCOMPARE(h.platform.messages.back().caption, QStringLiteral("Success"));
        QCOMPARE(h.Status(), QStringLiteral("Idle"));
        QVERIFY(h.files.Get("/data/NEW_demo.TCN") == h.files.Get("/data/demo.TCN"));
    }

    void noContextMenuChangesTheStatusLine() {
        // Hovering and choosing an item of either grid's menu leaves the text of the load on the status line.
        GuiHarness h;
        QVERIFY(h.Load(BuildDemoDatabase(false)));
        const QString loaded = QStringLiteral("Service DataBase CRC : OK");
        QCOMPARE(h.Status(), loaded);
        struct MenuItem {
            int page;
            const char *grid, *menu, *item;
        };
        for (const MenuItem& m : {MenuItem{3, "FavGrid", "PopupMenu2", "FavDelete"},
                                  MenuItem{2, "ChGrid", "PopupMenu1", "Lock"},
                                  MenuItem{2, "ChGrid", "PopupMenu1", "Fav2"},
                                  MenuItem{2, "ChGrid", "PopupMenu1", "DeleteCh"}}) {
            h.ShowPage(m.page);
            auto* grid = h.Find<QTableView>(m.grid);
            GuiHarness::ClickCell(grid, 1, 1);
            const QPoint cell = grid->visualRect(grid->model()->index(0, 1)).center();
            QContextMenuEvent request(QContextMenuEvent::Mouse, cell, grid->viewport()->mapToGlobal(cell));
            QCoreApplication::sendEvent(grid->viewport(), &request);
            auto* menu = h.Find<QMenu>(m.menu);
            QTRY_VERIFY(menu->isVisible());
            const QPoint item = menu->actionGeometry(h.Find<QAction>(m.item)).center();
            QTest::mouseMove(menu, item);
            QCOMPARE(h.Status(), loaded);
            QTest::mouseClick(menu, Qt::LeftButton, {}, item);
            QTRY_VERIFY(!menu->isVisible());
            QCOMPARE(h.Status(), loaded);
        }
    }

    void helpAndBannerOpenTheirTargets() {
        GuiHarness h;
        QTest::mouseClick(h.Find<QPushButton>("SpeedButton9"), Qt::LeftButton);
        QTest::mouseClick(h.Find<QWidget>("banner"), Qt::LeftButton);
        QCOMPARE(h.platform.opened.size(), std::size_t{2});
        QCOMPARE(h.platform.opened[0], QUrl::fromLocalFile(QStringLiteral("/work/dir/Rivavad Irizov.chm")));
        QCOMPARE(h.platform.opened[1].scheme(), QStringLiteral("https"));
        QVERIFY(h.platform.messages.empty());
    }

    void withoutTheHelpFileF1OpensTheManualAndWithNeitherSaysSo() {
        GuiHarness h;
        h.files.Remove("/work/dir/Rivavad Irizov.chm");
        QVERIFY(TForm1::DefaultManualPaths().first().endsWith(QStringLiteral("/share/doc/tcnedit/manual.html")));
        h.window->SetManualPaths({QStringLiteral("/usr/share/doc/tcnedit/manual.html"), QStringLiteral("/src/docs/manual.html")});
        h.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
        const auto f1 = [&h] {
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus ? focus : h.window.get(), Qt::Key_F1);
        };
        h.files.Put("/src/docs/manual.html", {'<'});
        f1();
        h.files.Put("/usr/share/doc/tcnedit/manual.html", {'<'});
        QTest::mouseClick(h.Find<QPushButton>("SpeedButton9"), Qt::LeftButton);
        QCOMPARE(h.platform.opened, (std::vector<QUrl>{QUrl::fromLocalFile(QStringLiteral("/src/docs/manual.html")),
                                                       QUrl::fromLocalFile(QStringLiteral("/usr/share/doc/tcnedit/manual.html"))}));
        QVERIFY(h.platform.messages.empty());

        h.files.Remove("/usr/share/doc/tcnedit/manual.html");
        h.files.Remove("/src/docs/manual.html");
        f1();
        QCOMPARE(h.platform.opened.size(), std::size_t{2});
        QCOMPARE(h.platform.messages.size(), std::size_t{1});
        QCOMPARE(h.platform.messages[0].caption, QStringLiteral("Help"));
        QVERIFY(h.platform.LastMessage().contains(QStringLiteral("Rivavad Irizov.chm")));
        // The help file back in the start-up folder wins over the manual again.
        h.files.Put("/src/docs/manual.html", {'<'});
        h.files.Put("/work/dir/Rivavad Irizov.chm", {'I'});
        f1();
        QCOMPARE(h.platform.opened.back(), QUrl::fromLocalFile(QStringLiteral("/work/dir/Rivavad Irizov.chm")));
    }

    void inputArrivingDuringALoadOrSaveIsDropped() {
        GuiHarness h;
        QVERIFY(h.Load(BuildDemoDatabase(false)));
        h.platform.Clear();
        // A click on Save queued while a compression run drains the queue must not start a save.
        auto* save = h.Find<QPushButton>("Save");
        const QPointF centre = save->rect().center();
        QCoreApplication::postEvent(save, new QMouseEvent(QEvent::MouseButtonPress, centre, save->mapToGlobal(centre),
                                                         Qt::LeftButton, Qt::LeftButton, {}));
        QCoreApplication::postEvent(save, new QMouseEvent(QEvent::MouseButtonRelease, centre,
                                                         save->mapToGlobal(centre), Qt::LeftButton, {}, {}));
        h.window->Session().DrainMessages();
        QCoreApplication::processEvents();
        QVERIFY(h.platform.messages.empty());
        QVERIFY(h.files.Get("/data/NEW_test.TCN").empty());
    }

    void anExceptionEscapingAHandlerIsShownAndTheProgramCarriesOn() {
        auto* app = static_cast<TcnApplication*>(QCoreApplication::instance());
        QString shown;
        app->showException = [&](const QString& text) { shown = text; };
        struct Throwing : QObject {
            bool event(QEvent* e) override {
                if (e->type() == QEvent::User) throw std::runtime_error("handler failed");
                return QObject::event(e);
            }
        } receiver;
        QEvent event(QEvent::User);
        QCOMPARE(QCoreApplication::sendEvent(&receiver, &event), false);
        QCOMPARE(shown, QStringLiteral("handler failed"));
        app->showException = nullptr;
    }
};

// The program's own application class, so that exceptions escaping a handler can be tested.
int main(int argc, char** argv) {
    TcnApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    MainWindowTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "test_main_window.moc"
