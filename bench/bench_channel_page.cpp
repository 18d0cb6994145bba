// How fast the "Edit Channels" page redraws on a full channel file (5000 services, five groups of 200):
// RefreshChannelPage (favourites resolved, view rebuilt, Sort Options filled, model reset) with one paint
// of the visible rows, in each of the eight orders; and scrolling a 5000-row view from top to bottom a
// page at a time, painting each page (about 240 pages). Run offscreen: QT_QPA_PLATFORM=offscreen
// bench_channel_page -median 9

#include "channel_page.h"
#include "channelfile/file_format.h"
#include "demo_database.h"
#include "platform.h"
#include "testkit/memory_file_system.h"
#include "string_grid.h"
#include "tform1.h"

#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>

#include <memory>

namespace {

// No dialog is ever shown while benchmarking.
class QuietPlatform : public tcn::Platform {
  public:
    void ShowMessage(QWidget*, const QString&, const QString&) override {}
    QString ChooseOpenFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    int ExecChooser(tcn::TForm2&) override { return 0; }
    void OpenExternal(const QUrl&) override {}
};

const char* const kOrders[] = {"1-2-3", "A - Z", "Z - A", "FTA", "Scramb.", "caID", "Provider", "Language"};

} // namespace

class ChannelPageBench : public QObject {
    Q_OBJECT

    tcn::MemoryFileSystem m_files;
    QuietPlatform m_platform;
    std::unique_ptr<tcn::TForm1> m_window;
    tcn::ChannelPage* m_page = nullptr;
    tcn::StringGrid* m_grid = nullptr;

    void ChooseOrder(int order) {
        m_window->findChild<QRadioButton*>(QStringLiteral("RadioGroup8Item%1").arg(order))->click();
    }

  private slots:
    void initTestCase() {
        m_window = std::make_unique<tcn::TForm1>(m_files, m_platform, QStringLiteral("/bench"));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_files.Put("/bench/full.TCN", tcn::BuildChannelFileImage(tcn::BuildDemoDatabase(true)));
        QVERIFY(m_window->OpenFile(QStringLiteral("/bench/full.TCN")));
        QCOMPARE(m_window->Session().Database().serviceCount, 5000);
        m_window->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(2);
        m_page = m_window->channelPage();
        m_grid = m_window->findChild<tcn::StringGrid*>(QStringLiteral("ChGrid"));
    }

    void refreshChannelPage_data() {
        QTest::addColumn<int>("order");
        for (int order = 0; order < 8; ++order)
            QTest::newRow(kOrders[order]) << order;
    }

    void refreshChannelPage() {
        QFETCH(int, order);
        ChooseOrder(order);
        QVERIFY(m_grid->model()->rowCount() > 1);
        QBENCHMARK {
            m_page->RefreshChannelPage();
            m_grid->viewport()->repaint();
        }
    }

    // One action as the user makes it: the selected row locked (or unlocked) through the history, the page
    // drawn anew, under the table order and under "A - Z".
    void lockOneRow_data() {
        QTest::addColumn<int>("order");
        QTest::newRow(kOrders[0]) << 0;
        QTest::newRow(kOrders[1]) << 1;
    }

    void lockOneRow() {
        QFETCH(int, order);
        ChooseOrder(order);
        m_grid->setCurrentRow(100);
        QBENCHMARK {
            m_page->ToggleLockSelected();
            m_grid->viewport()->repaint();
        }
    }

    void scrollTopToBottom() {
        // Every service made TV, so that the TV view has all 5000 rows.
        tcn::ChannelDatabase& db = m_window->Session().Database();
        for (std::size_t i = 0; i < db.serviceCount; ++i)
            db.services[i].SetKind(tcn::ServiceRecord::kKindTv);
        ChooseOrder(0);
        QCOMPARE(m_grid->model()->rowCount(), 5000);
        QScrollBar* bar = m_grid->verticalScrollBar();
        QVERIFY(bar->maximum() > 1000);
        QBENCHMARK {
            for (int value = 0; value <= bar->maximum(); value += bar->pageStep()) {
                bar->setValue(value);
                m_grid->viewport()->repaint();
            }
        }
    }
};

QTEST_MAIN(ChannelPageBench)
#include "bench_channel_page.moc"
