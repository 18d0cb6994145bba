// The Tools menu. "Compare with...": a chosen file against the tables as they stand, the same differences
// tcntool diff reports, a refused file, a double click that shows the item on its page. "Order like
// another file...": the preview with tcntool reorder's counts, Apply as one undo step, Cancel. "Export
// channels as CSV...": what tcntool export --csv writes, and a failed write that leaves nothing behind.

#include "channelfile/file_format.h"
#include "compare_window.h"
#include "demo_database.h"
#include "gui_harness.h"
#include "support/temp_dir.h"
#include "tables/favourite_groups.h"
#include "tables/service_table.h"
#include "testkit/fault_injecting_file_system.h"
#include "tool_commands.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QTreeWidget>

#include <algorithm>
#include <numeric>
#include <random>
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

// The demo list as a rescan gives it back: services shuffled and numbered afresh, favourites gone.
ChannelDatabase Rescanned(const ChannelDatabase& original) {
    ChannelDatabase copy = original;
    std::vector<std::size_t> order(original.serviceCount);
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(42));
    for (std::size_t i = 0; i < order.size(); ++i)
        copy.services[i] = original.services[order[i]];
    RenumberServices(copy);
    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
        ClearFavouriteGroup(copy, g);
        SetFavouriteGroupName(copy, g, "");
    }
    return copy;
}

// The counts of the preview's first two branches (services, favourite entries), rule by rule, as
// "<count>" texts, and the number of reference services without a counterpart.
struct PreviewCounts {
    QStringList services, favourites;
    QString missing;
};
PreviewCounts ReadPreview(QDialog& dialog) {
    auto* tree = dialog.findChild<QTreeWidget*>(QStringLiteral("PreviewTree"));
    PreviewCounts counts;
    for (int i = 0; i < tree->topLevelItem(0)->childCount(); ++i)
        counts.services << tree->topLevelItem(0)->child(i)->text(1);
    for (int i = 0; i < tree->topLevelItem(1)->childCount(); ++i)
        counts.favourites << tree->topLevelItem(1)->child(i)->text(1);
    counts.missing = tree->topLevelItem(2)->text(1);
    return counts;
}

} // namespace

class ToolsMenuTest : public QObject {
    Q_OBJECT

  private slots:
    void orderingAShuffledCopyLikeTheOriginalGivesItBackAsOneUndoStep() {
        GuiHarness h;
        const ChannelDatabase demo = BuildDemoDatabase(false);
        h.files.Put("/data/demo.TCN", BuildChannelFileImage(demo));
        QVERIFY(h.Load(Rescanned(demo), QStringLiteral("/data/rescan.TCN")));
        const auto rescanned = std::make_unique<ChannelDatabase>(h.Db());

        // Cancel changes nothing.
        h.platform.openAnswers = QStringList{QStringLiteral("/data/demo.TCN")};
        h.Find<QAction>("OrderLike")->trigger();
        QCOMPARE(h.platform.dialogsShown, 1);
        QVERIFY(h.Db() == *rescanned && !h.window->History().HasUnsavedChanges());

        h.platform.openAnswers = QStringList{QStringLiteral("/data/demo.TCN")};
        h.platform.dialog = [](QDialog& preview) {
            QTest::mouseClick(preview.findChild<QPushButton*>(QStringLiteral("ApplyReorder")), Qt::LeftButton);
            return preview.result();
        };
        h.Find<QAction>("OrderLike")->trigger();
        QCOMPARE(h.Find<QTabWidget>("PageControl1")->currentIndex(), 2);
        QTest::mouseClick(h.Find<QPushButton>("Save"), Qt::LeftButton);
        QVERIFY(h.files.Get("/data/NEW_rescan.TCN") == h.files.Get("/data/demo.TCN"));
        QTest::keyClick(h.window.get(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(h.Db() == *rescanned);
    }

    void thePreviewCountsWhatTcntoolReorderCounts() {
        // A rescan that lost two services, renamed one and moved a transponder by 1 MHz.
        const ChannelDatabase demo = BuildDemoDatabase(false);
        ChannelDatabase rescan = Rescanned(demo);
        DeleteService(rescan, 5);
        DeleteService(rescan, 9);
        rescan.services[20].SetText(ServiceRecord::kName, ServiceRecord::kNameArea, ServiceRecord::kNameMax, "New name");
        rescan.services[20].SetServiceId(9999);
        rescan.transponders[3].SetFrequency(rescan.transponders[3].Frequency() + 1000);
        RenumberServices(rescan);
        TempDir dir;
        const ScopedWorkingDirectory cwd(dir.Path());
        WriteFileBytes(dir / "demo.TCN", BuildChannelFileImage(demo));
        WriteFileBytes(dir / "rescan.TCN", BuildChannelFileImage(rescan));
        std::ostringstream json;
        QCOMPARE(RunReorder(dir / "demo.TCN", dir / "rescan.TCN", true, json), kExitOk);
        const auto report = nlohmann::ordered_json::parse(json.str());

        GuiHarness h;
        h.files.Put("/data/demo.TCN", BuildChannelFileImage(demo));
        QVERIFY(h.Load(rescan, QStringLiteral("/data/rescan.TCN")));
        h.platform.openAnswers = QStringList{QStringLiteral("/data/demo.TCN")};
        PreviewCounts shown;
        h.platform.dialog = [&](QDialog& preview) {
            shown = ReadPreview(preview);
            return int(QDialog::Rejected);
        };
        h.Find<QAction>("OrderLike")->trigger();
        const auto expect = [](const nlohmann::ordered_json& counts, const char* last) {
            QStringList texts;
            for (const char* rule : {"tuning", "tuning_within_2_mhz", "name", "name_ignoring_case", last})
                texts << QString::number(counts[rule].get<int>());
            return texts;
        };
        QCOMPARE(shown.services, expect(report["services"], "unmatched"));
        QCOMPARE(shown.favourites, expect(report["favourites"], "dropped"));
        QCOMPARE(shown.missing, QString::number(report["reference_without_counterpart"].size()));
        QVERIFY(shown.services[1] != QStringLiteral("0")); // the moved transponder's services
    }

    void theCsvIsWhatTcntoolExportWritesAndAFailedWriteLeavesNothing() {
        GuiHarness h;
        QVERIFY(h.Load(BuildDemoDatabase(false), QStringLiteral("/data/demo.TCN")));
        h.platform.saveAnswers = QStringList{QStringLiteral("/data/channels.csv")};
        h.Find<QAction>("ExportCsv")->trigger();
        QCOMPARE(h.platform.lastSuggestedPath, QStringLiteral("/data/demo.csv"));
        QTest::mouseClick(h.Find<QPushButton>("Save"), Qt::LeftButton);
        TempDir dir;
        WriteFileBytes(dir / "NEW_demo.TCN", h.files.Get("/data/NEW_demo.TCN"));
        std::ostringstream csv, err;
        QCOMPARE(RunExport(dir / "NEW_demo.TCN", "", csv, err), kExitOk);
        const std::vector<std::uint8_t> written = h.files.Get("/data/channels.csv");
        QCOMPARE(std::string(written.begin(), written.end()), csv.str());

        // Every call of the write failing in turn: a message, and neither the file nor a part of it.
        MemoryFileSystem inner;
        FaultInjectingFileSystem files(inner);
        FakePlatform platform;
        TForm1 window(files, platform, QStringLiteral("/work/dir"));
        inner.Put("/data/demo.TCN", BuildChannelFileImage(BuildDemoDatabase(false)));
        QVERIFY(window.OpenFile(QStringLiteral("/data/demo.TCN")));
        files.Arm(0);
        QVERIFY(window.ExportCsv(QStringLiteral("/data/out.csv")));
        const std::uint64_t calls = files.CallCount();
        QVERIFY(calls >= 3);
        inner.Remove("/data/out.csv");
        for (std::uint64_t k = 1; k <= calls; ++k) {
            platform.Clear();
            files.Arm(k);
            QVERIFY(!window.ExportCsv(QStringLiteral("/data/out.csv")));
            QCOMPARE(platform.messages.size(), std::size_t{1});
            QCOMPARE(platform.messages.back().caption, QStringLiteral("Export Error"));
            QVERIFY(platform.LastMessage().startsWith(QStringLiteral("The channels were not exported: ")));
            QVERIFY(!inner.Exists("/data/out.csv") && !inner.Exists("/data/.out.csv.part"));
        }
    }

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
    ToolsMenuTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_tools_menu.moc"
