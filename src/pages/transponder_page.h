#pragma once
// The "Edit Transponders" tab page: the transponders of one chosen satellite in TpGrid, an editor group
// for the selected one, adding and deleting (with the services on them), and two counters against the
// limits of 200 per satellite and 3500 in all. The chosen satellite is kept in the page context; the page
// keeps no table data and redraws from the tables after every action.

#include "editor_page.h"

#include <cstdint>
#include <memory>
#include <vector>

class QAction;
class QKeyEvent;
class QLineEdit;

namespace Ui {
class TransponderPage;
}

namespace tcn {

class TableGridModel;

class TransponderPage : public EditorPage {
    Q_OBJECT

  public:
    TransponderPage(PageContext& context, QWidget* parent = nullptr);
    ~TransponderPage() override;

    // FillTransponderPage: the satellite chooser, the grid, the editor and the counters from the tables.
    void Render(const ChannelDatabase& db) override;

  public slots:
    // The user chose satellite `index` in ComboBox1.
    void ChooseSatellite(int index);
    // "Apply Changes": the editor's values into the selected transponder.
    void ApplyChanges();
    // "Cancel": the editor shows the stored transponder again.
    void ShowStoredTransponder();
    // "Add Transponder": a new transponder of the chosen satellite, the last row.
    void AddTransponder();
    // "Delete Selected": the selected rows' transponders and the services on them.
    void DeleteSelected();
    // Selects the row of transponder `index` when the chosen satellite lists it (the editor shows it).
    void SelectTransponder(int index);
    // Offers `action` (one of the window's) in TpGrid's context menu.
    void AddGridAction(QAction* action);

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
    // The page's keys in TpGrid; true when the page took the key.
    bool GridKey(QKeyEvent* event);
    // The chosen satellite when it names a satellite in use, else -1.
    int ChosenSatellite() const;
    // Selects grid row `row` without running the row-change handler.
    void SelectRowQuietly(int row);

    std::unique_ptr<Ui::TransponderPage> ui;
    TableGridModel* m_grid;
    // The table indices of the chosen satellite's transponders as last listed (row r shows entry r - 1).
    std::vector<std::uint16_t> m_list;
    // True while the grid holds the rows of a chosen satellite that has transponders; the editor follows
    // the grid only then.
    bool m_rowsShown = false;
};

} // namespace tcn
