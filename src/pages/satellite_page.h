#pragma once
// "Edit Satellites": the satellite grid and the "Satellite Settings" group that edits the satellite of the
// selected row. The group always shows the stored record of that row, so edits nobody applied are dropped
// when the row changes; they reach the table only through "Apply Changes". "Add satellite" (or Insert in
// the grid) takes the next free slot and gives it the settings of the satellite selected before.

#include "editor_page.h"
#include "tables/records.h"

#include <cstdint>
#include <memory>

namespace Ui {
class SatellitePage;
}

namespace tcn {

class TextGridModel;

class SatellitePage : public EditorPage {
    Q_OBJECT

  public:
    SatellitePage(PageContext& context, QWidget* parent = nullptr);
    ~SatellitePage() override;

    // FillSatelliteGrid: the grid from the table, then the group shows the selected row's satellite.
    void Render() override;

  public slots:
    // "Apply Changes": the group's values into the selected satellite.
    void SpeedButton1Click();
    // "Cancel": the group shows the stored satellite again.
    void SpeedButton2Click();
    // "Add satellite": a new satellite in the next free slot.
    void SpeedButton3Click();

  private:
    // The LNB oscillator pair that goes with the LNB type chosen in RadioGroup2 (MHz).
    struct LnbPair {
        std::uint16_t low = 0, high = 0;
    };

    void FillSatelliteGrid();
    // The grid's rows: one per satellite of slots 0 to count-1 (and the numbered row of a satellite just
    // added), or one blank row when there is none.
    void FillGridRows(int count, bool withNewRow = false);
    // Makes `row` the selected grid row without reloading the group.
    void SelectRowQuietly(int row);
    // ShowSatellite for the selected row, when it holds a satellite.
    void ShowSelectedSatellite();
    void ShowSatellite(const SatelliteRecord& rec);
    // Applies the group's values to grid row `row`; false when a field held no number (after the message).
    bool ApplyChanges(int row);

    // The user chose an LNB type or a DiSEqC type; the rules run only when the choice changed.
    void RadioGroup2Click(int index);
    void RadioGroup3Click(int index);
    void LnbTypeRule(int type);
    void DiseqcTypeRule(int type);
    // RadioGroup4 offers ports A and B for ToneBurst and A to D otherwise.
    void SetPortItems(int type);

    // The group as the page starts: no name, position 00,0, no side, LNB or DiSEqC type chosen.
    void ShowStartValues();
    void ShowPosition(std::uint16_t tenths);
    void ShowFrequencies(std::uint16_t low, std::uint16_t high);

    std::unique_ptr<Ui::SatellitePage> ui;
    TextGridModel* m_gridModel;
    LnbPair m_lnbPair;
    // The LNB and DiSEqC types shown last, so that a click on the chosen item does not rerun its rule.
    int m_lnbChoice = -1, m_diseqcChoice = -1;
    // Set while the page moves the grid's selection itself.
    bool m_quiet = false;
};

} // namespace tcn
