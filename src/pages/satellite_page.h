#pragma once
// "Edit Satellites": the satellite grid and the "Satellite Settings" group that edits the satellite of the
// selected row. The group always shows the stored record of that row, so edits nobody applied are dropped
// when the row changes; they reach the table only through "Apply Changes". "Add satellite" (or Insert in
// the grid) takes the next free slot and gives it the settings of the satellite selected before.

#include "editor_page.h"
#include "tables/satellite_table.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace Ui {
class SatellitePage;
}

namespace tcn {

class TableGridModel;

class SatellitePage : public EditorPage {
    Q_OBJECT

  public:
    SatellitePage(PageContext& context, QWidget* parent = nullptr);
    ~SatellitePage() override;

    // FillSatelliteGrid: the grid from the tables, then the group shows the selected row's satellite.
    void Render(const ChannelDatabase& db) override;

  public slots:
    // "Apply Changes": the group's values into the selected satellite.
    void ApplyChanges();
    // "Cancel": the group shows the stored satellite again.
    void ShowStoredSatellite();
    // "Add satellite": a new satellite in the next free slot, with the settings of the one selected.
    void AddSatellite();
    // Selects the row of satellite `slot` (the group shows it) and gives the grid the focus.
    void SelectSatellite(int slot);

  private:
    // The LNB oscillator pair that goes with the LNB type chosen in RadioGroup2 (MHz).
    struct LnbPair {
        std::uint16_t low = 0, high = 0;
    };

    // Makes `row` the selected grid row without reloading the group.
    void SelectRowQuietly(int row);
    // ShowSatellite for the selected row, when it holds a satellite.
    void ShowSelectedSatellite();
    void ShowSatellite(const SatelliteRecord& rec);
    // The group's values as an edit; nothing after the message of a field that holds no number.
    std::optional<SatelliteEdit> ReadGroup(const SatelliteRecord& stored);
    // The side RadioGroup1 shows, if any.
    std::optional<Orientation> SideShown() const;

    // The user chose an LNB type or a DiSEqC type; the rules run only when the choice changed.
    void ChooseLnbType(int index);
    void ChooseDiseqcType(int index);
    // RadioGroup4 offers ports A and B for ToneBurst and A to D otherwise.
    void SetPortItems(int type);

    // The group as the page starts: no name, position 00,0, no side, LNB or DiSEqC type chosen.
    void ShowStartValues();
    void ShowPosition(std::uint16_t tenths);
    void ShowFrequencies(std::uint16_t low, std::uint16_t high);

    std::unique_ptr<Ui::SatellitePage> ui;
    TableGridModel* m_grid;
    LnbPair m_lnbPair;
    // The LNB and DiSEqC types shown last, so that a click on the chosen item does not rerun its rule.
    int m_lnbChoice = -1, m_diseqcChoice = -1;
};

} // namespace tcn
