#pragma once
// The "Edit Transponders" tab page: the transponders of one chosen satellite in TpGrid, an editor group
// for the selected one, adding and deleting (with the services on them), and two counters against the
// limits of 200 per satellite and 3500 in all. The chosen satellite lives in the file session; the page
// keeps no table data and redraws from the tables after every action.

#include "editor_page.h"

#include <cstdint>
#include <memory>
#include <vector>

class QKeyEvent;
class QLineEdit;

namespace Ui {
class TransponderPage;
}

namespace tcn {

class TextGridModel;

class TransponderPage : public EditorPage {
    Q_OBJECT

  public:
    TransponderPage(PageContext& context, QWidget* parent = nullptr);
    ~TransponderPage() override;

    // FillTransponderPage: the satellite chooser, the grid, the editor and the counters from the tables.
    void Render() override;

  public slots:
    void ComboBox1Change(int index);
    void SpeedButton5Click(); // Apply Changes
    void SpeedButton4Click(); // Cancel
    void SpeedButton6Click(); // Add Transponder
    void SpeedButton7Click(); // Delete Selected

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FillTransponderPage();
    void FillTransponderGrid();
    // The editor shows the stored record of the selected row (unapplied input is dropped).
    void ShowTransponder();
    void ResetTransponderEditor();
    // The grid's header row over one row of blank cells, row 1 selected.
    void ShowBlankGrid();
    // Writes grid row `row` from the stored record at table index `index`.
    void WriteRow(int row, std::uint16_t index);
    // The page's keys in TpGrid; true when the page took the key.
    bool GridKey(QKeyEvent* event);
    // The chosen satellite when it names a satellite in use, else -1.
    int ChosenSatellite();
    // The table indices of the chosen satellite's transponders (grid row r shows entry r - 1).
    std::vector<std::uint16_t> TransponderList();
    // Selects grid row `row` without running the row-change handler.
    void SelectRowQuietly(int row);

    std::unique_ptr<Ui::TransponderPage> ui;
    TextGridModel* m_model;
    // True while the grid holds the rows of a chosen satellite that has transponders; the editor follows
    // the grid only then.
    bool m_rowsShown = false;
    // True while the page itself changes the grid's selection.
    bool m_filling = false;
};

} // namespace tcn
