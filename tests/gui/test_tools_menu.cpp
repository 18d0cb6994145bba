// The Tools menu. "Compare with...": a chosen file against the tables as they stand, the same differences
// tcntool diff reports, a refused file, a double click that shows the item on its page. "Order like
// another file...": the preview with tcntool reorder's counts, Apply as one undo step, Cancel. "Export
// channels as CSV...": what tcntool export --csv writes, and a failed write that leaves nothing behind.
// "Import transponders...": the preview, Apply as one undo step, a list without a nearby satellite, a
// damaged list; "Export as satellites.xml...": what tcntool export --satellites-xml writes.

#include "channelfile/file_format.h"
#include "compare_window.h"
#include "demo_database.h"
#include "gui_harness.h"
#include "support/db_builders.h"
#include "support/temp_dir.h"
#include "exchange/satellites_xml.h"
#include "tables/favourite_groups.h"
#include "tables/satellite_table.h"
#include "tables/transponder_table.h"
#include "tables/service_table.h"
#include "testkit/fault_injecting_file_system.h"
#include "tool_commands.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
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
        QVERIFY(h.Load(test::Rescanned(demo), QStringLiteral("/data/rescan.TCN")));
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
        ChannelDatabase rescan = test::Rescanned(demo);
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

    void importPreviewShowsTheEntriesAndApplyIsOneUndoStepOnTheTransponderPage() {
        GuiHarness h;
        QVERIFY(h.Load(BuildDemoDatabase(false), QStringLiteral("/data/demo.TCN")));
        const auto before = std::make_unique<ChannelDatabase>(h.Db());
        // A list for the second satellite: one entry already there, two new, one DVB-S2.
        const std::uint8_t target = 1;
        const int position = *SignedPosition(ReadSatellite(h.Db(), target));
        const TransponderRecord there = h.Db().transponders[BuildSatelliteTransponderList(h.Db(), target).at(0)];
        const auto entry = [](std::uint32_t khz, int pol, int system, unsigned rate = 27500, unsigned fec = 3) {
            return QStringLiteral("  <transponder frequency=\"%1\" symbol_rate=\"%4\" polarization=\"%2\" "
                                  "fec_inner=\"%5\" system=\"%3\"/>\n").arg(khz).arg(pol).arg(system).arg(rate * 1000).arg(fec);
        };
        const QString list = QStringLiteral("<satellites>\n <sat name=\"Far\" position=\"%1\"/>\n"
                                            " <sat name=\"Near\" position=\"%2\">\n")
                                 .arg(position > 0 ? -900 : 900).arg(position + 1) +
                             entry(there.Frequency() + 1000, there.Polarity(), 0, there.SymbolRate(), FecInnerOf(there.Fec())) + entry(10701000, 0, 0) +
                             entry(10703500, 1, 0) + entry(10705000, 0, 1) + QStringLiteral(" </sat>\n</satellites>\n");
        const QByteArray bytes = list.toUtf8();
        h.files.Put("/lists/satellites.xml", std::vector<std::uint8_t>(bytes.begin(), bytes.end()), true);

        QStringList branches;
        h.platform.openAnswers = QStringList{QStringLiteral("/lists/satellites.xml")};
        h.platform.dialog = [&](QDialog& preview) {
            auto* tree = preview.findChild<QTreeWidget*>(QStringLiteral("ImportTree"));
            const auto titles = [tree] {
                QStringList t;
                for (int i = 0; i < tree->topLevelItemCount(); ++i) t << tree->topLevelItem(i)->text(0);
                return t;
            };
            // No satellite chosen on the transponder page: the first one the list has a satellite for.
            if (preview.findChild<QComboBox*>(QStringLiteral("ImportSatellite"))->currentIndex() != target ||
                preview.findChild<QComboBox*>(QStringLiteral("ImportListSatellite"))->currentIndex() != 1)
                return int(QDialog::Rejected);
            branches = titles();
            preview.findChild<QCheckBox*>(QStringLiteral("ImportDvbS2"))->setChecked(true);
            branches << titles().first();
            QTest::mouseClick(preview.findChild<QPushButton*>(QStringLiteral("ApplyImport")), Qt::LeftButton);
            return preview.result();
        };
        h.Find<QAction>("ImportTransponders")->trigger();
        QCOMPARE(branches, (QStringList{"New (2)", "Updated (0)", "Differ (0)", "Not fitting (0)",
                                        "Skipped (1)", "Present (1)", "New (3)"}));
        QCOMPARE(h.Db().transponderCount, before->transponderCount + 3);
        QCOMPARE(h.Db().transponders[before->transponderCount].Frequency(), 10701000u);
        QCOMPARE(h.Find<QTabWidget>("PageControl1")->currentIndex(), 1);
        QCOMPARE(h.Find<QComboBox>("ComboBox1")->currentIndex(), int{target});
        QCOMPARE(h.Status(), QStringLiteral("3 transponders added, 0 updated from satellites.xml"));
        QTest::keyClick(h.window.get(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(h.Db() == *before);
        QVERIFY(h.Find<QWidget>("TpGrid")->actions().contains(h.Find<QAction>("ImportTransponders")));
    }

    void aListWithoutANearbySatelliteWaitsForAChoiceAndADamagedOneChangesNothing() {
        GuiHarness h;
        QVERIFY(h.Load(BuildDemoDatabase(false), QStringLiteral("/data/demo.TCN")));
        const auto before = std::make_unique<ChannelDatabase>(h.Db());
        const auto put = [&h](const char* text) {
            const std::string bytes(text);
            h.files.Put("/lists/l.xml", std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        };
        put("<satellites><sat name=\"Nowhere\" position=\"-1799\"><transponder frequency=\"12000000\" "
            "symbol_rate=\"27500000\" polarization=\"0\" fec_inner=\"3\"/></sat></satellites>");
        bool disabledFirst = false;
        h.platform.dialog = [&](QDialog& preview) {
            auto* apply = preview.findChild<QPushButton*>(QStringLiteral("ApplyImport"));
            disabledFirst = preview.findChild<QComboBox*>(QStringLiteral("ImportListSatellite"))->currentIndex() == -1 &&
                            !apply->isEnabled();
            preview.findChild<QComboBox*>(QStringLiteral("ImportListSatellite"))->setCurrentIndex(0);
            QTest::mouseClick(apply, Qt::LeftButton);
            return preview.result();
        };
        QVERIFY(h.window->ImportTransponders(QStringLiteral("/lists/l.xml")));
        QVERIFY(disabledFirst);
        QCOMPARE(h.Db().transponderCount, before->transponderCount + 1);
        QTest::keyClick(h.window.get(), Qt::Key_Z, Qt::ControlModifier);

        put("<satellites>\n<sat name=\"x\" position=\"192\">\n<transponder frequency=\"1x\"/>\n");
        const int shown = h.platform.dialogsShown;
        QVERIFY(!h.window->ImportTransponders(QStringLiteral("/lists/l.xml")));
        QCOMPARE(h.platform.dialogsShown, shown);
        QCOMPARE(h.platform.messages.back().caption, QStringLiteral("Import Transponders"));
        QVERIFY(h.platform.LastMessage().contains(QStringLiteral("line 3: ")));
        QVERIFY(h.Db() == *before && !h.window->History().HasUnsavedChanges());
    }

    void theExportedListIsWhatTcntoolWrites() {
        GuiHarness h;
        QVERIFY(h.Load(BuildDemoDatabase(false), QStringLiteral("/data/demo.TCN")));
        h.platform.saveAnswers = QStringList{QStringLiteral("/data/out.xml")};
        h.Find<QAction>("ExportSatellitesXml")->trigger();
        QCOMPARE(h.platform.lastSuggestedPath, QStringLiteral("/data/satellites.xml"));
        const std::vector<std::uint8_t> written = h.files.Get("/data/out.xml");
        QCOMPARE(std::string(written.begin(), written.end()), WriteSatellitesXml(h.Db()));
        QVERIFY(h.Status().endsWith(QStringLiteral("exported to out.xml")));
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
