#include "satellite_page.h"

#include "actions/satellite_actions.h"
#include "latin1_validator.h"
#include "string_grid.h"
#include "ui_satellite_page.h"
#include "views/field_text.h"
#include "views/position_field.h"

#include <QKeyEvent>
#include <QSignalBlocker>

#include <algorithm>

namespace tcn {

namespace {

constexpr int kPortItemsToneBurst = 2, kPortItemsSwitch = 4;
// The User frequency fields hold five digits; every five-digit number is handed over as entered, so that
// the LNB check can refuse the pair at its full size.
constexpr std::int64_t kFrequencyFieldMax = 99999;

// ToneBurst and the two switches are the DiSEqC types with a port.
bool TypeHasPorts(int type) {
    return type >= kDiseqcToneBurst && type <= kDiseqcSwitch11;
}

QString PaddedFrequency(std::uint16_t mhz) {
    return FromBytes(ZeroPadded(mhz, 5));
}

} // namespace

SatellitePage::SatellitePage(PageContext& context, QWidget* parent)
    : EditorPage(context, parent), ui(std::make_unique<Ui::SatellitePage>()) {
    ui->setupUi(this);

    m_grid = new TableGridModel(
        {QStringLiteral("Index"), QStringLiteral("Sat Name"), QStringLiteral("Position")}, true,
        [this] { return static_cast<int>(m_context.Tables().satelliteCount); },
        [this](int row, int column) {
            const SatelliteRecord rec = ReadSatellite(m_context.Tables(), static_cast<std::size_t>(row - 1));
            return column == 0 ? QString::number(row)
                   : column == 1 ? FromBytes(rec.Name())
                                 : FromBytes(FormatSatellitePosition(rec));
        },
        this);
    ui->SatGrid->setColumns(m_grid, {40, 170, 72});
    ui->SatGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    ui->SatGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui->SatGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    MakeLatin1Field(ui->Edit1, static_cast<int>(SatelliteRecord::kNameMax));
    ShowStartValues();

    connect(ui->SatGrid, &StringGrid::currentRowChanged, this, &SatellitePage::ShowSelectedSatellite);
    // Turning the wheel drops unapplied edits as a change of row does.
    connect(ui->SatGrid, &StringGrid::wheelScrolled, this, &SatellitePage::ShowSelectedSatellite);
    ui->SatGrid->keyHandler = [this](QKeyEvent* event) {
        if (event->key() != Qt::Key_Insert || event->modifiers() != Qt::NoModifier) return false;
        if (ui->SpeedButton3->isEnabled()) AddSatellite();
        return true;
    };
    connect(ui->RadioGroup2, &RadioGroup::itemClicked, this, &SatellitePage::ChooseLnbType);
    connect(ui->RadioGroup3, &RadioGroup::itemClicked, this, &SatellitePage::ChooseDiseqcType);
    connect(ui->SpeedButton1, &QPushButton::clicked, this, &SatellitePage::ApplyChanges);
    connect(ui->SpeedButton2, &QPushButton::clicked, this, &SatellitePage::ShowStoredSatellite);
    connect(ui->SpeedButton3, &QPushButton::clicked, this, &SatellitePage::AddSatellite);
}

SatellitePage::~SatellitePage() = default;

void SatellitePage::Render(const ChannelDatabase& db) {
    const int count = db.satelliteCount;
    ui->SpeedButton3->setEnabled(count < static_cast<int>(kSatelliteCapacity));
    const int row = ui->SatGrid->currentRow();
    {
        const QSignalBlocker quiet(ui->SatGrid);
        m_grid->Refill();
    }
    if (count == 0) {
        // Nothing of an earlier file lingers in the group: a satellite added now starts from the values
        // the page starts with.
        ui->GroupBox1->setEnabled(false);
        ShowStartValues();
        return;
    }
    // The selection stays on its row as long as the table still reaches it.
    SelectRowQuietly(std::clamp(row, 1, count));
    ui->GroupBox1->setEnabled(true);
    ShowSelectedSatellite();
}

void SatellitePage::SelectRowQuietly(int row) {
    const QSignalBlocker quiet(ui->SatGrid);
    ui->SatGrid->setCurrentRow(row);
}

void SatellitePage::ShowSelectedSatellite() {
    const ChannelDatabase& db = m_context.Tables();
    const int row = ui->SatGrid->currentRow();
    if (row < 1 || row > db.satelliteCount) return;
    ShowSatellite(ReadSatellite(db, static_cast<std::size_t>(row - 1)));
}

void SatellitePage::ShowStoredSatellite() { ShowSelectedSatellite(); }

void SatellitePage::SelectSatellite(int slot) {
    if (slot < 0 || slot >= m_context.Tables().satelliteCount) return;
    ui->SatGrid->setCurrentRow(slot + 1);
    ui->SatGrid->setFocus();
}

void SatellitePage::ShowSatellite(const SatelliteRecord& rec) {
    ui->Edit1->setText(FromBytes(rec.Name()));
    ShowPosition(rec.Position());

    // Orientation codes 0 and 3 name no side: the choice shown before stays.
    if (rec.Orientation() == static_cast<std::uint8_t>(Orientation::West))
        ui->RadioGroup1->setItemIndex(0);
    else if (rec.Orientation() == static_cast<std::uint8_t>(Orientation::East))
        ui->RadioGroup1->setItemIndex(1);

    // Code 3 reads like User. The fields show the stored pair whatever the type; LnbPair is the pair of
    // the type, which "User" offers when the user picks it after another type.
    const int lnbType = std::min<int>(rec.LnbType(), kLnbUser);
    ui->RadioGroup2->setItemIndex(lnbType);
    m_lnbChoice = lnbType;
    if (lnbType == kLnbUniversal)
        m_lnbPair = {kUniversalLnbLow, kUniversalLnbHigh};
    else if (lnbType == kLnbNormal)
        m_lnbPair = {kNormalLnbLow, kNormalLnbHigh};
    else
        m_lnbPair = {rec.LnbLow(), rec.LnbHigh()};
    ui->MaskEdit2->setEnabled(lnbType == kLnbUser);
    ui->MaskEdit3->setEnabled(lnbType == kLnbUser);
    ShowFrequencies(rec.LnbLow(), rec.LnbHigh());

    // A stored type above Goto X shows as Goto X; ToneBurst offers only ports A and B.
    const int diseqcType = std::min<int>(rec.DiseqcType(), kDiseqcGotoX);
    ui->RadioGroup3->setItemIndex(diseqcType);
    m_diseqcChoice = diseqcType;
    SetPortItems(diseqcType);
    if (TypeHasPorts(diseqcType)) {
        ui->RadioGroup4->setEnabled(true);
        ui->RadioGroup4->setItemIndex(std::min<int>(rec.DiseqcPort(), ui->RadioGroup4->items().size() - 1));
    } else {
        ui->RadioGroup4->setEnabled(false);
        ui->RadioGroup4->setItemIndex(0);
    }
}

void SatellitePage::ShowStartValues() {
    ui->Edit1->clear();
    ShowPosition(0);
    ui->RadioGroup1->setItemIndex(-1);
    ui->RadioGroup2->setItemIndex(-1);
    ui->RadioGroup3->setItemIndex(-1);
    m_lnbChoice = m_diseqcChoice = -1;
    m_lnbPair = {kUniversalLnbLow, kUniversalLnbHigh};
    ShowFrequencies(0, 0);
    SetPortItems(kDiseqcNone);
    ui->RadioGroup4->setItemIndex(-1);
}

void SatellitePage::ShowPosition(std::uint16_t tenths) {
    // The mask first: changing it reformats whatever text the field holds.
    const int digits = PositionFieldDigits(tenths);
    ui->MaskEdit1->setInputMask(QString(digits, QLatin1Char('0')) + QStringLiteral(",0; "));
    ui->MaskEdit1->setText(FromBytes(PositionFieldText(tenths, digits)));
}

void SatellitePage::ShowFrequencies(std::uint16_t low, std::uint16_t high) {
    ui->MaskEdit2->setText(PaddedFrequency(low));
    ui->MaskEdit3->setText(PaddedFrequency(high));
}

void SatellitePage::ChooseLnbType(int type) {
    if (type == m_lnbChoice) return;
    m_lnbChoice = type;
    if (type == kLnbUniversal)
        m_lnbPair = {kUniversalLnbLow, kUniversalLnbHigh};
    else if (type == kLnbNormal)
        m_lnbPair = {kNormalLnbLow, kNormalLnbHigh};
    // "User" keeps the pair held last: the stored pair of a User satellite, or the pair of the type before.
    ui->MaskEdit2->setEnabled(type == kLnbUser);
    ui->MaskEdit3->setEnabled(type == kLnbUser);
    ShowFrequencies(m_lnbPair.low, m_lnbPair.high);
}

void SatellitePage::ChooseDiseqcType(int type) {
    if (type == m_diseqcChoice) return;
    m_diseqcChoice = type;
    SetPortItems(type);
    ui->RadioGroup4->setEnabled(TypeHasPorts(type));
    ui->RadioGroup4->setItemIndex(0);
}

void SatellitePage::SetPortItems(int type) {
    static const QStringList ports{QStringLiteral("Port A"), QStringLiteral("Port B"),
                                   QStringLiteral("Port C"), QStringLiteral("Port D")};
    const QStringList items = ports.mid(0, type == kDiseqcToneBurst ? kPortItemsToneBurst : kPortItemsSwitch);
    if (ui->RadioGroup4->items() != items) ui->RadioGroup4->setItems(items);
}

std::optional<Orientation> SatellitePage::SideShown() const {
    if (ui->RadioGroup1->itemIndex() == 0) return Orientation::West;
    if (ui->RadioGroup1->itemIndex() == 1) return Orientation::East;
    return std::nullopt;
}

std::optional<SatelliteEdit> SatellitePage::ReadGroup(const SatelliteRecord& stored) {
    // The fields are read as they show, blanks included: a blank between digits is no number.
    SatelliteEdit edit;
    const std::string positionText = ToBytes(ui->MaskEdit1->displayText());
    const std::optional<std::uint16_t> position = ReadPositionField(positionText);
    if (!position) {
        m_context.ShowMessage(QStringLiteral("'%1' is not a valid floating point value")
                                  .arg(FromBytes(TrimBlanks(positionText))),
                              QStringLiteral("Error"));
        return std::nullopt;
    }
    edit.position = *position;
    edit.orientation = SideShown();

    // No LNB type chosen gives a Universal satellite.
    const int lnbType = ui->RadioGroup2->itemIndex();
    edit.lnbType = static_cast<std::uint8_t>(lnbType < 0 ? kLnbUniversal : lnbType);
    if (edit.lnbType == kLnbUser) {
        const auto low = ReadIntegerField(m_context, ui->MaskEdit2->displayText(), 0, kFrequencyFieldMax);
        if (!low) return std::nullopt;
        const auto high = ReadIntegerField(m_context, ui->MaskEdit3->displayText(), 0, kFrequencyFieldMax);
        if (!high) return std::nullopt;
        edit.lnbLow = static_cast<std::uint32_t>(*low);
        edit.lnbHigh = static_cast<std::uint32_t>(*high);
    }

    if (ui->RadioGroup3->itemIndex() >= 0) edit.diseqcType = static_cast<std::uint8_t>(ui->RadioGroup3->itemIndex());
    edit.diseqcPort = static_cast<std::uint8_t>(std::max(0, ui->RadioGroup4->itemIndex()));
    edit.name = ChangedText(ui->Edit1, stored.Name());
    return edit;
}

void SatellitePage::ApplyChanges() {
    const int row = ui->SatGrid->currentRow();
    if (row < 1 || row > m_context.Tables().satelliteCount) return;
    const auto index = static_cast<std::size_t>(row - 1);
    const std::optional<SatelliteEdit> edit = ReadGroup(ReadSatellite(m_context.Tables(), index));
    if (!edit) return;
    m_context.Change(QStringLiteral("Apply satellite changes"),
                     [&](ChannelDatabase& db) { ApplySatelliteEdit(db, index, *edit); });
    // What was stored, shown at once: a User pair that fell back to Universal, a port that was reset.
    ShowSatellite(ReadSatellite(m_context.Tables(), index));
    m_grid->RowChanged(row);
}

void SatellitePage::AddSatellite() {
    const ChannelDatabase& tables = m_context.Tables();
    const int before = tables.satelliteCount;
    if (before >= static_cast<int>(kSatelliteCapacity)) return;
    // The new satellite takes the stored settings of the one selected, not unapplied edits; with no
    // satellite before, the values the group starts with.
    const int selected = ui->SatGrid->currentRow();
    SatelliteEdit settings;
    if (before > 0 && selected >= 1 && selected <= before)
        settings = EditShowing(ReadSatellite(tables, static_cast<std::size_t>(selected - 1)), SideShown());
    else if (const std::optional<SatelliteEdit> group = ReadGroup(ReadSatellite(tables, static_cast<std::size_t>(before))))
        settings = *group;
    else
        return;
    const std::optional<std::uint8_t> slot = m_context.Change(
        QStringLiteral("Add satellite"), [&](ChannelDatabase& db) { return AddSatelliteLike(db, settings); });
    if (!slot) return;

    {
        const QSignalBlocker quiet(ui->SatGrid);
        m_grid->Refill();
    }
    SelectRowQuietly(*slot + 1);
    ui->SpeedButton3->setEnabled(tables.satelliteCount < kSatelliteCapacity);
    ui->GroupBox1->setEnabled(true);
    ShowSatellite(ReadSatellite(tables, *slot));
}

} // namespace tcn
