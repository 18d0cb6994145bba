#include "transponder_page.h"

#include "actions/transponder_actions.h"
#include "string_grid.h"
#include "tables/satellite_table.h"
#include "tables/transponder_table.h"
#include "ui_transponder_page.h"
#include "views/field_text.h"

#include <QAction>
#include <QAbstractItemView>
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QSignalBlocker>

#include <algorithm>
#include <limits>

namespace tcn {

namespace {

const QString kSatellitePrefix = QStringLiteral("Number Of Transponders In The current Satellite : ");
const QString kTablePrefix = QStringLiteral("Number Of Transponders In The Whole Data Base   : ");
const QString kNumberMask = QStringLiteral("00000; ");
const QString kNumberStart = QStringLiteral("00000");

// The largest frequency in MHz whose kHz value still fits the record's 32-bit field.
constexpr std::int64_t kMaxFrequencyMhz = std::numeric_limits<std::uint32_t>::max() / 1000;
constexpr std::int64_t kMaxSymbolRate = std::numeric_limits<std::uint16_t>::max();

// Shows `value` with leading zeros to five digits. A stored value with more digits (only a frequency can
// have them) widens the field, so that it is shown in full and an apply without edits stores it unchanged.
void ShowNumber(QLineEdit* edit, std::uint32_t value) {
    const QString text = QString::fromStdString(ZeroPadded(value, 5));
    const QString mask = QString(text.size(), QLatin1Char('0')) + QStringLiteral("; ");
    if (edit->inputMask() != mask) edit->setInputMask(mask);
    edit->setText(text);
}

void ResetNumber(QLineEdit* edit) {
    if (edit->inputMask() != kNumberMask) edit->setInputMask(kNumberMask);
    edit->setText(kNumberStart);
}

} // namespace

TransponderPage::TransponderPage(PageContext& context, QWidget* parent)
    : EditorPage(context, parent), ui(std::make_unique<Ui::TransponderPage>()) {
    ui->setupUi(this);
    m_grid = new TableGridModel({QStringLiteral("Frequency"), QStringLiteral("Polarity"),
                                 QStringLiteral("Symbol Rate"), QStringLiteral("F.E.C")},
                                false, [this] { return static_cast<int>(m_list.size()); },
                                [this](int row, int column) {
                                    const TransponderRecord rec =
                                        ReadTransponder(m_context.Tables(), m_list[static_cast<std::size_t>(row - 1)]);
                                    switch (column) {
                                    case 0: return QString::number(rec.Frequency() / 1000);
                                    case 1: return FromBytes(PolarityText(rec.Polarity()));
                                    case 2: return QString::number(rec.SymbolRate());
                                    default: return FromBytes(FecText(rec.Fec()));
                                    }
                                },
                                this);
    ui->TpGrid->setColumns(m_grid, {66, 56, 68, 59});
    // The header texts have to fit the narrow fixed columns ("Symbol Rate" in 68 pixels).
    QFont headerFont = ui->TpGrid->horizontalHeader()->font();
    headerFont.setPointSizeF(headerFont.pointSizeF() - 1.5);
    ui->TpGrid->horizontalHeader()->setFont(headerFont);
    ui->TpGrid->keyHandler = [this](QKeyEvent* event) { return GridKey(event); };

    ui->ComboBox1->setPlaceholderText(QStringLiteral("Choose Satellite"));
    ui->ComboBox1->setToolTip(QStringLiteral("Choose Satellite"));
    ui->ComboBox1->installEventFilter(this);

    // `activated` is the user's choice only: filling the box and selecting its item run nothing.
    connect(ui->ComboBox1, &QComboBox::activated, this, &TransponderPage::ChooseSatellite);
    connect(ui->SpeedButton5, &QPushButton::clicked, this, &TransponderPage::ApplyChanges);
    connect(ui->SpeedButton4, &QPushButton::clicked, this, &TransponderPage::ShowStoredTransponder);
    connect(ui->SpeedButton6, &QPushButton::clicked, this, &TransponderPage::AddTransponder);
    connect(ui->SpeedButton7, &QPushButton::clicked, this, &TransponderPage::DeleteSelected);
    // The editor follows the selected row, and a turn of the wheel drops unapplied input as well.
    connect(ui->TpGrid, &StringGrid::currentRowChanged, this, &TransponderPage::ShowStoredTransponder);
    connect(ui->TpGrid, &StringGrid::wheelScrolled, this, &TransponderPage::ShowStoredTransponder);

    // Start-up: nothing chosen, one blank row, the editor reset and disabled.
    ShowBlankGrid();
    ResetTransponderEditor();
    ui->StaticText1->setText(kSatellitePrefix + QStringLiteral(".../..."));
    ui->StaticText2->setText(kTablePrefix + QStringLiteral("..../...."));
}

TransponderPage::~TransponderPage() = default;

void TransponderPage::Render(const ChannelDatabase&) {
    FillTransponderPage();
}

int TransponderPage::ChosenSatellite() const {
    const int s = m_context.ChosenSatellite;
    return s >= 0 && s < m_context.Tables().satelliteCount ? s : -1;
}

void TransponderPage::SelectRowQuietly(int row) {
    const QSignalBlocker quiet(ui->TpGrid);
    ui->TpGrid->setCurrentRow(row);
}

void TransponderPage::ShowBlankGrid() {
    m_list.clear();
    {
        const QSignalBlocker quiet(ui->TpGrid);
        m_grid->Refill();
    }
    SelectRowQuietly(1);
}

void TransponderPage::FillTransponderPage() {
    m_rowsShown = false;
    ui->ComboBox1->clear();
    const ChannelDatabase& db = m_context.Tables();
    const std::uint8_t count = db.satelliteCount;
    if (count == 0) {
        ui->ComboBox1->setCurrentIndex(-1);
        ui->ComboBox1->setEnabled(false);
        ShowBlankGrid();
        ResetTransponderEditor();
        ui->StaticText1->setText(kSatellitePrefix + QStringLiteral(".../..."));
        ui->StaticText2->setText(kTablePrefix + QStringLiteral("..../...."));
        return;
    }

    ui->ComboBox1->setEnabled(true);
    for (std::uint8_t s = 0; s < count; ++s)
        ui->ComboBox1->addItem(FromBytes(FormatSatelliteLabel(ReadSatellite(db, s))));
    const int chosen = ChosenSatellite();
    ui->ComboBox1->setCurrentIndex(chosen);
    if (chosen < 0) {
        ShowBlankGrid();
        ResetTransponderEditor();
        ui->StaticText1->setText(kSatellitePrefix + QStringLiteral(".../..."));
        ui->StaticText2->setText(kTablePrefix + QString::number(db.transponderCount) + QStringLiteral("/3500"));
        return;
    }
    SelectRowQuietly(1);
    FillTransponderGrid();
}

void TransponderPage::FillTransponderGrid() {
    const ChannelDatabase& db = m_context.Tables();
    const int s = ChosenSatellite();
    std::vector<std::uint16_t> list = s < 0 ? std::vector<std::uint16_t>{}
                                            : BuildSatelliteTransponderList(db, static_cast<std::uint8_t>(s));
    const int n = static_cast<int>(list.size());
    ui->StaticText1->setText(kSatellitePrefix + QString::number(n) + QStringLiteral("/200"));
    ui->StaticText2->setText(kTablePrefix + QString::number(db.transponderCount) + QStringLiteral("/3500"));

    if (n == 0) {
        m_rowsShown = false;
        ShowBlankGrid();
        ResetTransponderEditor();
        ui->SpeedButton6->setEnabled(true);
        return;
    }

    ui->TpGrid->setEnabled(true);
    ui->GroupBox4->setEnabled(true);
    ui->SpeedButton7->setEnabled(true);
    ui->SpeedButton6->setEnabled(n < static_cast<int>(kTranspondersPerSatellite));

    // The selected row stays where it was as far as the new rows reach.
    const int row = std::clamp(ui->TpGrid->currentRow(), 1, n);
    m_list = std::move(list);
    {
        const QSignalBlocker quiet(ui->TpGrid);
        m_grid->Refill();
    }
    SelectRowQuietly(row);
    m_rowsShown = true;
    ShowTransponder();
}

void TransponderPage::ShowTransponder() {
    const int row = ui->TpGrid->currentRow();
    if (!m_rowsShown || row < 1 || row > static_cast<int>(m_list.size())) return;
    const TransponderRecord rec = ReadTransponder(m_context.Tables(), m_list[static_cast<std::size_t>(row - 1)]);
    ShowNumber(ui->MaskEdit4, rec.Frequency() / 1000);
    ShowNumber(ui->MaskEdit5, rec.SymbolRate());
    ui->RadioGroup5->setItemIndex(rec.Polarity());
    // Code 7 has no item of its own; it reads "Auto" like code 6.
    ui->RadioGroup6->setItemIndex(std::min<int>(rec.Fec(), 6));
}

void TransponderPage::ShowStoredTransponder() { ShowTransponder(); }

void TransponderPage::ResetTransponderEditor() {
    ResetNumber(ui->MaskEdit4);
    ResetNumber(ui->MaskEdit5);
    ui->RadioGroup5->setItemIndex(-1);
    ui->RadioGroup6->setItemIndex(-1);
    ui->GroupBox4->setEnabled(false);
    ui->SpeedButton6->setEnabled(false);
    ui->SpeedButton7->setEnabled(false);
}

void TransponderPage::ChooseSatellite(int index) {
    m_context.ChosenSatellite = index;
    FillTransponderPage();
    ui->TpGrid->setFocus(Qt::OtherFocusReason);
}

void TransponderPage::ApplyChanges() {
    const int row = ui->TpGrid->currentRow();
    if (!m_rowsShown || row < 1 || row > static_cast<int>(m_list.size())) return;
    const std::uint16_t target = m_list[static_cast<std::size_t>(row - 1)];

    // The fields' texts as shown, blanks included, so that "12 34" is refused rather than read as 1234.
    const std::optional<std::int64_t> mhz =
        ReadIntegerField(m_context, ui->MaskEdit4->displayText(), 0, kMaxFrequencyMhz);
    if (!mhz) return;
    const std::optional<std::int64_t> symbolRate =
        ReadIntegerField(m_context, ui->MaskEdit5->displayText(), 0, kMaxSymbolRate);
    if (!symbolRate) return;

    // Both groups always show a choice while the editor is enabled; keep the stored bits if one does not.
    const TransponderRecord stored = ReadTransponder(m_context.Tables(), target);
    const int fec = ui->RadioGroup6->itemIndex();
    const int polarity = ui->RadioGroup5->itemIndex();
    m_context.Change(QStringLiteral("Apply transponder changes"), [&](ChannelDatabase& db) {
        ApplyTransponderEdit(db, target, static_cast<std::uint32_t>(*mhz), static_cast<std::uint16_t>(*symbolRate),
                             static_cast<std::uint8_t>(fec < 0 ? stored.Fec() : fec),
                             static_cast<std::uint8_t>(polarity < 0 ? stored.Polarity() : polarity));
    });
    m_grid->RowChanged(row);
}

void TransponderPage::AddTransponder() {
    const int s = ChosenSatellite();
    if (s < 0 || !ui->SpeedButton6->isEnabled()) return;
    // 200 for the satellite or 3500 in all refuse the add.
    const bool added = m_context.Change(QStringLiteral("Add transponder"), [s](ChannelDatabase& db) {
        return tcn::AddTransponder(db, static_cast<std::uint8_t>(s)).has_value();
    });
    if (!added) return;
    FillTransponderGrid();
    // The new transponder is the last row.
    SelectRowQuietly(static_cast<int>(m_list.size()));
    ShowTransponder();
}

void TransponderPage::DeleteSelected() {
    const int s = ChosenSatellite();
    if (m_list.empty() || !m_rowsShown || s < 0) return;
    const auto [top, bottom] = ui->TpGrid->selectedRange();
    const int row = m_context.Change(QStringLiteral("Delete transponders"), [&](ChannelDatabase& db) {
        return DeleteTransponderRows(db, static_cast<std::uint8_t>(s), top, bottom);
    });
    FillTransponderPage();
    if (row < 1) return;
    SelectRowQuietly(row);
    ShowTransponder();
}

void TransponderPage::AddGridAction(QAction* action) {
    ui->TpGrid->setContextMenuPolicy(Qt::ActionsContextMenu);
    ui->TpGrid->addAction(action);
}

void TransponderPage::SelectTransponder(int index) {
    const auto found = std::find(m_list.begin(), m_list.end(), index);
    if (found == m_list.end()) return;
    ui->TpGrid->setCurrentRow(static_cast<int>(found - m_list.begin()) + 1);
    ui->TpGrid->setFocus();
}

bool TransponderPage::GridKey(QKeyEvent* event) {
    if (event->modifiers() & Qt::ControlModifier) {
        // With Ctrl held only Ctrl+A belongs to the page; other combinations leave the grid alone and
        // go on to the window (Ctrl+Tab still switches pages).
        if (event->key() == Qt::Key_A) {
            const int n = m_rowsShown ? static_cast<int>(m_list.size()) : 0;
            if (n > 0) {
                const QSignalBlocker quiet(ui->TpGrid);
                ui->TpGrid->selectRange(1, n, ui->TpGrid->currentRow());
            }
            return true;
        }
        event->ignore();
        return true;
    }
    switch (event->key()) {
    case Qt::Key_Insert:
        if (ui->SpeedButton6->isEnabled()) AddTransponder();
        return true;
    case Qt::Key_Delete:
        DeleteSelected();
        return true;
    default:
        return false;
    }
}

bool TransponderPage::eventFilter(QObject* watched, QEvent* event) {
    // The satellite chooser opens its list as soon as the user types, and the typed key goes on to the
    // list to find the item.
    if (watched == ui->ComboBox1 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool typed = !key->text().isEmpty() && key->text().at(0).isPrint() &&
                           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (typed && ui->ComboBox1->count() > 0) {
            ui->ComboBox1->showPopup();
            // With nothing chosen yet the search starts at the first item rather than after it.
            if (ui->ComboBox1->currentIndex() < 0)
                ui->ComboBox1->view()->selectionModel()->clearCurrentIndex();
            QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text());
            QCoreApplication::sendEvent(ui->ComboBox1->view(), &copy);
            return true;
        }
    }
    return EditorPage::eventFilter(watched, event);
}

} // namespace tcn
