#include "import_preview.h"

#include "page_context.h"
#include "tables/satellite_table.h"
#include "tables/transponder_table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tcn {

namespace {

// The branches of the tree, in the order they are shown.
constexpr struct {
    ImportOutcome outcome;
    const char* title;
    bool expanded;
} kBranches[] = {
    {ImportOutcome::Added, "New", true},
    {ImportOutcome::Updated, "Updated", true},
    {ImportOutcome::Differs, "Differ", true},
    {ImportOutcome::NotFitting, "Not fitting", true},
    {ImportOutcome::Skipped, "Skipped", false},
    {ImportOutcome::Present, "Present", false},
};

QString ListSatelliteText(const ListSatellite& s) {
    return QStringLiteral("%1  %2 (%3 transponders)")
        .arg(QString::fromStdString(FormatSignedPosition(s.position)), QString::fromStdString(s.name))
        .arg(s.transponders.size());
}

} // namespace

ImportPreview::ImportPreview(const ChannelDatabase& tables, const SatelliteList& list, std::uint8_t satellite,
                             const QString& listName, QWidget* parent)
    : QDialog(parent), m_tables(tables), m_list(list), m_copy(std::make_unique<ChannelDatabase>()) {
    setObjectName(QStringLiteral("ImportPreview"));
    setWindowTitle(QStringLiteral("Import transponders from %1").arg(listName));
    resize(720, 560);
    auto* layout = new QVBoxLayout(this);

    auto* form = new QFormLayout;
    m_satellite = new QComboBox(this);
    m_satellite->setObjectName(QStringLiteral("ImportSatellite"));
    for (std::size_t s = 0; s < std::min<std::size_t>(tables.satelliteCount, kSatelliteCapacity); ++s)
        m_satellite->addItem(FromBytes(FormatSatelliteLabel(ReadSatellite(tables, s))));
    m_satellite->setCurrentIndex(satellite);
    form->addRow(QStringLiteral("&Satellite:"), m_satellite);
    m_listSatellite = new QComboBox(this);
    m_listSatellite->setObjectName(QStringLiteral("ImportListSatellite"));
    m_listSatellite->setPlaceholderText(QStringLiteral("Choose the list's satellite"));
    for (const ListSatellite& s : list.satellites)
        m_listSatellite->addItem(ListSatelliteText(s));
    form->addRow(QStringLiteral("&From the list:"), m_listSatellite);
    layout->addLayout(form);

    auto* options = new QHBoxLayout;
    m_dvbS2 = new QCheckBox(QStringLiteral("&DVB-S2 transponders too"), this);
    m_dvbS2->setObjectName(QStringLiteral("ImportDvbS2"));
    m_dvbS2->setToolTip(QStringLiteral("The receiver's records cannot tell DVB-S2 from DVB-S"));
    m_update = new QCheckBox(QStringLiteral("&Update symbol rate and FEC of transponders already there"), this);
    m_update->setObjectName(QStringLiteral("ImportUpdate"));
    options->addWidget(m_dvbS2);
    options->addWidget(m_update);
    options->addStretch();
    layout->addLayout(options);

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("ImportTree"));
    m_tree->setHeaderLabels({QStringLiteral("Entry"), QStringLiteral("MHz"), QStringLiteral("Pol"),
                             QStringLiteral("Symbol rate"), QStringLiteral("FEC"), QStringLiteral("Note")});
    m_tree->setColumnWidth(0, 175);
    for (int c = 1; c <= 4; ++c)
        m_tree->setColumnWidth(c, c == 3 ? 80 : 64);
    m_tree->setRootIsDecorated(true);
    layout->addWidget(m_tree);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("ImportSummary"));
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);

    auto* buttons = new QDialogButtonBox(this);
    m_apply = buttons->addButton(QStringLiteral("&Apply"), QDialogButtonBox::AcceptRole);
    m_apply->setObjectName(QStringLiteral("ApplyImport"));
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelImport"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(m_satellite, &QComboBox::currentIndexChanged, this, [this] {
        MatchChosenSatellite();
        ShowPreview();
    });
    connect(m_listSatellite, &QComboBox::currentIndexChanged, this, &ImportPreview::ShowPreview);
    connect(m_dvbS2, &QCheckBox::toggled, this, &ImportPreview::ShowPreview);
    connect(m_update, &QCheckBox::toggled, this, &ImportPreview::ShowPreview);
    MatchChosenSatellite();
    ShowPreview();
}

ImportPreview::~ImportPreview() = default;

std::uint8_t ImportPreview::ChosenSatellite() const {
    return static_cast<std::uint8_t>(std::max(m_satellite->currentIndex(), 0));
}

int ImportPreview::ChosenListSatellite() const {
    return m_listSatellite->currentIndex();
}

ImportOptions ImportPreview::Options() const {
    return {m_dvbS2->isChecked(), m_update->isChecked()};
}

void ImportPreview::MatchChosenSatellite() {
    const std::optional<std::size_t> match = MatchListSatellite(m_list, ReadSatellite(m_tables, ChosenSatellite()));
    const QSignalBlocker quiet(m_listSatellite);
    m_listSatellite->setCurrentIndex(match ? static_cast<int>(*match) : -1);
}

void ImportPreview::ShowPreview() {
    m_tree->clear();
    const int from = ChosenListSatellite();
    m_apply->setEnabled(from >= 0 && m_satellite->currentIndex() >= 0);
    if (from < 0) {
        m_summary->setText(QStringLiteral("No satellite of the list is within 0.3 degrees of this satellite with "
                                          "its orientation: choose the one to import from."));
        return;
    }
    *m_copy = m_tables;
    const ListSatellite& source = m_list.satellites[static_cast<std::size_t>(from)];
    const ImportReport report = ImportTransponders(*m_copy, ChosenSatellite(), source, Options());

    for (const auto& b : kBranches) {
        const std::size_t count = report.Count(b.outcome);
        auto* branch = new QTreeWidgetItem(m_tree, {QStringLiteral("%1 (%2)").arg(QString::fromLatin1(b.title)).arg(count)});
        QFont bold = branch->font(0);
        bold.setBold(true);
        branch->setFont(0, bold);
        for (const ImportedEntry& e : report.entries) {
            if (e.outcome != b.outcome) continue;
            const ListTransponder& t = source.transponders[e.entry];
            QStringList columns{QStringLiteral("line %1").arg(t.line)};
            if (e.tuning) {
                columns << QString::number(e.tuning->frequency / 1000.0, 'f', e.tuning->frequency % 1000 ? 3 : 0)
                        << FromBytes(PolarityText(e.tuning->polarity)) << QString::number(e.tuning->symbolRate)
                        << FromBytes(FecText(e.tuning->fec)) + (e.tuning->fecApproximated ? QStringLiteral("*") : QString());
            } else {
                columns << QString::number(t.frequency / 1000.0, 'f', t.frequency % 1000 ? 3 : 0) << QString()
                        << QString() << QString();
            }
            columns << QString::fromStdString(e.note);
            auto* item = new QTreeWidgetItem(branch, columns);
            item->setToolTip(5, columns.back());
        }
        branch->setExpanded(b.expanded && count > 0);
    }

    const std::size_t before = BuildSatelliteTransponderList(m_tables, ChosenSatellite()).size();
    QString text = QStringLiteral("%1 new, %2 updated, %3 present of %4 entries; the satellite will have %5 "
                                  "transponders (%6 before), the table %7 of %8.")
                       .arg(report.Count(ImportOutcome::Added))
                       .arg(report.Count(ImportOutcome::Updated))
                       .arg(report.Count(ImportOutcome::Present) + report.Count(ImportOutcome::Differs))
                       .arg(report.entries.size())
                       .arg(before + report.Count(ImportOutcome::Added))
                       .arg(before)
                       .arg(m_copy->transponderCount)
                       .arg(kTransponderCapacity);
    const bool approximated = std::any_of(report.entries.begin(), report.entries.end(), [](const ImportedEntry& e) {
        return e.tuning && e.tuning->fecApproximated && e.outcome == ImportOutcome::Added;
    });
    if (approximated) text += QStringLiteral(" * a FEC the receiver has no code for is stored as Auto.");
    m_summary->setText(text);
}

} // namespace tcn
