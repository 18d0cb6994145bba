#include "transponder_page.h"

#include "string_grid.h"
#include "tables/satellite_table.h"
#include "tables/transponder_table.h"
#include "ui_transponder_page.h"
#include "views/field_text.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>

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

QString MhzText(const TransponderRecord& rec) {
    return QString::number(rec.Frequency() / 1000);
}

} // namespace

TransponderPage::TransponderPage(PageContext& context, QWidget* parent)
    : EditorPage(context, parent), ui(std::make_unique<Ui::TransponderPage>()) {
    ui->setupUi(this);
    m_model = new TextGridModel({QStringLiteral("Frequency"), QStringLiteral("Polarity"),
                                 QStringLiteral("Symbol Rate"), QStringLiteral("F.E.C")},
                                false, this);
    ui->TpGrid->setColumns(m_model, {66, 56, 68, 59});
    // The header texts have to fit the narrow fixed columns ("Symbol Rate" in 68 pixels).
    QFont headerFont = ui->TpGrid->horizontalHeader()->font();
    headerFont.setPointSizeF(headerFont.pointSizeF() - 1.5);
    ui->TpGrid->horizontalHeader()->setFont(headerFont);
    ui->TpGrid->keyHandler = [this](QKeyEvent* event) { return GridKey(event); };

    ui->ComboBox1->setPlaceholderText(QStringLiteral("Choose Satellite"));
    ui->ComboBox1->setToolTip(QStringLiteral("Choose Satellite"));
    ui->ComboBox1->installEventFilter(this);

    connect(ui->ComboBox1, &QComboBox::activated, this, &TransponderPage::ComboBox1Change);
    connect(ui->SpeedButton5, &QPushButton::clicked, this, &TransponderPage::SpeedButton5Click);
    connect(ui->SpeedButton4, &QPushButton::clicked, this, &TransponderPage::SpeedButton4Click);
    connect(ui->SpeedButton6, &QPushButton::clicked, this, &TransponderPage::SpeedButton6Click);
    connect(ui->SpeedButton7, &QPushButton::clicked, this, &TransponderPage::SpeedButton7Click);
    // The editor follows the selected row, and a turn of the wheel drops unapplied input as well.
    connect(ui->TpGrid, &StringGrid::currentRowChanged, this, [this] {
        if (!m_filling && m_rowsShown) ShowTransponder();
    });
    connect(ui->TpGrid, &StringGrid::wheelScrolled, this, [this] {
        if (m_rowsShown) ShowTransponder();
    });

    // Start-up: nothing chosen, one blank row, the editor reset and disabled.
    ShowBlankGrid();
    ResetTransponderEditor();
    ui->StaticText1->setText(kSatellitePrefix + QStringLiteral(".../..."));
    ui->StaticText2->setText(kTablePrefix + QStringLiteral("..../...."));
}

TransponderPage::~TransponderPage() = default;

void TransponderPage::Render() {
    FillTransponderPage();
}

int TransponderPage::ChosenSatellite() {
    const int s = m_context.Session().SelectedSatellite;
    return s >= 0 && s < m_context.Db().satelliteCount ? s : -1;
}

std::vector<std::uint16_t> TransponderPage::TransponderList() {
    const int s = ChosenSatellite();
    if (s < 0) return {};
    return BuildSatelliteTransponderList(m_context.Db(), static_cast<std::uint8_t>(s));
}

void TransponderPage::SelectRowQuietly(int row) {
    m_filling = true;
    ui->TpGrid->setCurrentRow(row);
    m_filling = false;
}

void TransponderPage::ShowBlankGrid() {
    m_filling = true;
    m_model->setRows({QStringList(4, QString())});
    m_filling = false;
    SelectRowQuietly(1);
}

void TransponderPage::FillTransponderPage() {
    m_rowsShown = false;
    ui->ComboBox1->clear();
    ChannelDatabase& db = m_context.Db();
    const std::uint8_t count = CountSatellites(db);
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
        ui->StaticText2->setText(kTablePrefix + QString::number(db.transponderCount) +
                                 QStringLiteral("/3500"));
        return;
    }
    SelectRowQuietly(1);
    FillTransponderGrid();
}

void TransponderPage::FillTransponderGrid() {
    const std::vector<std::uint16_t> list = TransponderList();
    const int n = static_cast<int>(list.size());
    ui->StaticText1->setText(kSatellitePrefix + QString::number(n) + QStringLiteral("/200"));
    ui->StaticText2->setText(kTablePrefix + QString::number(m_context.Db().transponderCount) +
                             QStringLiteral("/3500"));

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
    QVector<QStringList> rows;
    rows.reserve(n);
    for (const std::uint16_t index : list) {
        const TransponderRecord rec = ReadTransponder(m_context.Db(), index);
        rows.append({MhzText(rec), FromBytes(PolarityText(rec.Polarity())), QString::number(rec.SymbolRate()),
                     FromBytes(FecText(rec.Fec()))});
    }
    m_filling = true;
    m_model->setRows(std::move(rows));
    m_filling = false;
    SelectRowQuietly(row);
    ShowTransponder();
    m_rowsShown = true;
}

void TransponderPage::WriteRow(int row, std::uint16_t index) {
    const TransponderRecord rec = ReadTransponder(m_context.Db(), index);
    m_model->setCell(row, 0, MhzText(rec));
    m_model->setCell(row, 1, FromBytes(PolarityText(rec.Polarity())));
    m_model->setCell(row, 2, QString::number(rec.SymbolRate()));
    m_model->setCell(row, 3, FromBytes(FecText(rec.Fec())));
}

void TransponderPage::ShowTransponder() {
    const std::vector<std::uint16_t> list = TransponderList();
    const int row = ui->TpGrid->currentRow();
    if (row < 1 || row > static_cast<int>(list.size())) return;
    const TransponderRecord rec = ReadTransponder(m_context.Db(), list[row - 1]);
    ShowNumber(ui->MaskEdit4, rec.Frequency() / 1000);
    ShowNumber(ui->MaskEdit5, rec.SymbolRate());
    ui->RadioGroup5->setItemIndex(rec.Polarity());
    // Code 7 has no item of its own; it reads "Auto" like code 6.
    ui->RadioGroup6->setItemIndex(std::min<int>(rec.Fec(), 6));
}

void TransponderPage::ResetTransponderEditor() {
    ResetNumber(ui->MaskEdit4);
    ResetNumber(ui->MaskEdit5);
    ui->RadioGroup5->setItemIndex(-1);
    ui->RadioGroup6->setItemIndex(-1);
    ui->GroupBox4->setEnabled(false);
    ui->SpeedButton6->setEnabled(false);
    ui->SpeedButton7->setEnabled(false);
}

void TransponderPage::ComboBox1Change(int index) {
    m_context.Session().SelectedSatellite = index;
    FillTransponderPage();
    ui->TpGrid->setFocus(Qt::OtherFocusReason);
}

void TransponderPage::SpeedButton5Click() {
    const TableEdit step(m_context.History(), QStringLiteral("Apply transponder changes"));
    if (!m_rowsShown) return;
    const std::vector<std::uint16_t> list = TransponderList();
    const int row = ui->TpGrid->currentRow();
    if (row < 1 || row > static_cast<int>(list.size())) return;
    const std::uint16_t target = list[row - 1];

    // The fields' texts as shown, blanks included, so that "12 34" is refused rather than read as 1234.
    const std::optional<std::int64_t> mhz =
        ReadIntegerField(m_context, ui->MaskEdit4->displayText(), 0, kMaxFrequencyMhz);
    if (!mhz) return;
    const std::optional<std::int64_t> symbolRate =
        ReadIntegerField(m_context, ui->MaskEdit5->displayText(), 0, kMaxSymbolRate);
    if (!symbolRate) return;

    // Both groups always show a choice while the editor is enabled; keep the stored bits if one does not.
    const TransponderRecord stored = ReadTransponder(m_context.Db(), target);
    const int fec = ui->RadioGroup6->itemIndex();
    const int polarity = ui->RadioGroup5->itemIndex();
    ApplyTransponderEdit(m_context.Db(), target, static_cast<std::uint32_t>(*mhz),
                         static_cast<std::uint16_t>(*symbolRate),
                         static_cast<std::uint8_t>(fec < 0 ? stored.Fec() : fec),
                         static_cast<std::uint8_t>(polarity < 0 ? stored.Polarity() : polarity));
    WriteRow(row, target);
}

void TransponderPage::SpeedButton4Click() {
    if (m_rowsShown) ShowTransponder();
}

void TransponderPage::SpeedButton6Click() {
    const TableEdit step(m_context.History(), QStringLiteral("Add transponder"));
    const int s = ChosenSatellite();
    if (s < 0 || !ui->SpeedButton6->isEnabled()) return;
    ChannelDatabase& db = m_context.Db();
    if (!AddTransponder(db, static_cast<std::uint8_t>(s))) return; // 200 for the satellite or 3500 in all
    FillTransponderGrid();
    // The new transponder is the last row.
    SelectRowQuietly(static_cast<int>(TransponderList().size()));
    ShowTransponder();
}

void TransponderPage::SpeedButton7Click() {
    const TableEdit step(m_context.History(), QStringLiteral("Delete transponders"));
    const std::vector<std::uint16_t> list = TransponderList();
    const int n = static_cast<int>(list.size());
    if (n == 0 || !m_rowsShown) return;
    auto [top, bottom] = ui->TpGrid->selectedRange();
    top = std::clamp(top, 1, n);
    bottom = std::clamp(bottom, top, n);
    const bool single = top == bottom;

    std::vector<std::uint16_t> doomed(list.begin() + (top - 1), list.begin() + bottom);
    DeleteTransponders(m_context.Db(), doomed);
    FillTransponderPage();

    const int left = static_cast<int>(TransponderList().size());
    if (left < 1) return;
    const int row = single ? (left >= bottom ? bottom : left) : (left > bottom ? top : left);
    SelectRowQuietly(row);
    ShowTransponder();
}

bool TransponderPage::GridKey(QKeyEvent* event) {
    if (event->modifiers() & Qt::ControlModifier) {
        // With Ctrl held only Ctrl+A belongs to the page; other combinations leave the grid alone and
        // go on to the window (Ctrl+Tab still switches pages).
        if (event->key() == Qt::Key_A) {
            const int n = m_rowsShown ? static_cast<int>(TransponderList().size()) : 0;
            if (n > 0) {
                m_filling = true;
                ui->TpGrid->selectRange(1, n, ui->TpGrid->currentRow());
                m_filling = false;
            }
            return true;
        }
        event->ignore();
        return true;
    }
    switch (event->key()) {
    case Qt::Key_Insert:
        if (ui->SpeedButton6->isEnabled()) SpeedButton6Click();
        return true;
    case Qt::Key_Delete:
        SpeedButton7Click();
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
