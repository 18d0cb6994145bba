// "Compare with..." in the Tools menu: a chosen file against the tables as they stand, the same
// differences tcntool diff reports, a refused file, and a double click that shows the item on its page.

#include "channelfile/file_format.h"
#include "compare_window.h"
#include "demo_database.h"
#include "gui_harness.h"
#include "support/temp_dir.h"
#include "tables/service_table.h"
#include "tool_commands.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>

#include <sstream>

using namespace tcn;
using namespace tcn::test;

namespace {

// The rows of the compare window's tree as "<what> | <old> | <new>", branch headers included.
QStringList TreeRows(QTreeView* tree) {
    QStringList rows;
    const QAbstractItemModel* model = tree->model();
    for (int b = 0; b < model->rowCount(); ++b) {
        const QModelIndex branch = model->index(b, 0);
        rows << branch.data().toString();
        for (int r = 0; r < model->rowCount(branch); ++r)
            rows << QStringLiteral("%1 | %2 | %3")
                        .arg(model->index(r, 0, branch).data().toString(), model->index(r, 1, branch).data().toString(),
                             model->index(r, 2, branch).data().toString());
    }
    return rows;
}

} // namespace

class CompareWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void theWindowShowsWhatTcntoolDiffReportsForTheSamePair() {
        GuiHarness h;
        const ChannelDatabase demo = BuildDemoDatabase(false);
        QVERIFY(h.Load(demo, QStringLiteral("/data/demo.TCN")));
        // Edits through the window: a channel renamed, one dragged to the top, one deleted.
        h.ShowPage(2);
        auto* grid = h.Find<QTableView>("ChGrid");
        GuiHarness::ClickCell(grid, 3, 1);
        const QString oldName = h.Find<QLineEdit>("chName")->text();
        h.Find<QLineEdit>("chName")->setText(QStringLiteral("Renamed"));
        QTest::mouseClick(h.Find<QPushButton>("SpeedButton8"), Qt::LeftButton);
        GuiHarness::ClickCell(grid, 7, 1);
        QTest::keyClick(grid, Qt::Key_Delete);

        h.platform.openAnswers = QStringList{QStringLiteral("/data/demo.TCN")}; // the file being edited
        h.Find<QAction>("CompareWith")->trigger();
        auto* window = h.window->findChild<CompareWindow*>(QStringLiteral("CompareWindow"));
        QVERIFY(window && window->isVisible());
        QVERIFY(h.platform.messages.empty());
        QCOMPARE(h.Status(), QStringLiteral("Service DataBase CRC : OK")); // the read reports nothing
        auto* tree = window->findChild<QTreeView*>(QStringLiteral("CompareTree"));

        // The same pair on disk through tcntool diff --json.
        TempDir dir;
        WriteFileBytes(dir / "old.TCN", BuildChannelFileImage(demo));
        WriteFileBytes(dir / "new.TCN", BuildChannelFileImage(h.Db()));
        std::ostringstream json;
        QCOMPARE(RunDiff(dir / "old.TCN", dir / "new.TCN", true, json), kExitDifferent);
        const auto report = nlohmann::ordered_json::parse(json.str());
        QStringList expected;
        for (const auto& d : report["differences"]) {
            QString what = QStringLiteral("%1 ").arg(QString::fromStdString(
                d["kind"] == "added" ? "+" : d["kind"] == "removed" ? "-" : d["kind"] == "changed" ? "~" : ">"));
            if (d["area"] == "favourites") what += QStringLiteral("Fav%1 ").arg(d["group"].get<int>());
            what += QString::fromStdString(d["label"].get<std::string>());
            expected << what;
        }
        QStringList shown;
        for (const QString& row : TreeRows(tree))
            if (row.contains(QLatin1String(" | "))) shown << row.section(QStringLiteral(" | "), 0, 0);
        QCOMPARE(shown, expected);
        QVERIFY(TreeRows(tree).contains(QStringLiteral("~ Renamed | name %1 | name Renamed").arg(oldName)));

        // The filter keeps the rows that hold the text; a double click shows the service, selected.
        window->findChild<QLineEdit*>(QStringLiteral("CompareFilter"))->setText(QStringLiteral("Renamed"));
        const QModelIndex row = tree->model()->index(0, 0, tree->model()->index(0, 0));
        QCOMPARE(row.data().toString(), QStringLiteral("~ Renamed"));
        emit tree->doubleClicked(row);
        QCOMPARE(h.Find<QTabWidget>("PageControl1")->currentIndex(), 2);
        QCOMPARE(h.Find<QLineEdit>("chName")->text(), QStringLiteral("Renamed"));
    }

    void aRefusedFileShowsItsMessageAndNothingElse() {
        GuiHarness h;
        QVERIFY(h.Load(BuildDemoDatabase(false)));
        const auto before = std::make_unique<ChannelDatabase>(h.Db());
        h.files.Put("/data/broken.TCN", {1, 2, 3});
        h.platform.openAnswers = QStringList{QStringLiteral("/data/broken.TCN")};
        QTest::keyClick(h.window.get(), Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(h.platform.messages.size(), std::size_t{1});
        QVERIFY(h.platform.LastMessage().startsWith(QStringLiteral("Error[")));
        QVERIFY(!h.window->findChild<CompareWindow*>(QStringLiteral("CompareWindow")));
        QVERIFY(h.Db() == *before);
        QCOMPARE(h.Find<QLineEdit>("Path")->text(), QStringLiteral("/data/test.TCN"));
        QCOMPARE(h.Status(), QStringLiteral("Service DataBase CRC : OK"));
        QVERIFY(!h.window->History().HasUnsavedChanges());
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    CompareWindowTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_compare_window.moc"
