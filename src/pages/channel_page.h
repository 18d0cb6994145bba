#pragma once
// The "Edit Channels" page: the channel view in ChGrid with the lock and favourite marks, the "Channel
// Edit" group for the service of the current row, the popup menu that locks, toggles favourites and
// deletes the selected rows, Insert through the chooser dialog, reordering by dragging rows, and the
// "Sort Options" controls that choose what the view shows. Every action is one table operation followed
// by RefreshChannelPage, which rebuilds the whole page from the tables. Ctrl+F opens a find field under the
// grid that moves the current row to a channel by name.

#include "editor_page.h"

#include <memory>
#include <utility>

class QAction;
class QKeyEvent;
class QLineEdit;
class QMenu;

namespace Ui {
class ChannelPage;
}

namespace tcn {

class ChannelGridModel;
struct ChannelView;

class ChannelPage : public EditorPage {
    Q_OBJECT

  public:
    ChannelPage(PageContext& context, QWidget* parent = nullptr);
    ~ChannelPage() override;

    // Draws the page from the tables: the view rebuilt under the current settings, the Sort Options
    // filled and selected, the grid filled.
    void Render(const ChannelDatabase& db) override;
    // The page shown anew after its view settings changed or a drag was put back: the groups resolved
    // (what showing the page writes), then drawn.
    void RefreshChannelPage();

  public slots:
    // "Apply Changes": the edit group's fields into the service of the current row.
    void ApplyChanges();
    void ToggleLockSelected();
    // "Add to/Remove from Fav<group>", group 1 to 5.
    void ToggleFavouriteSelected(int group);
    void DeleteSelectedServices();
    // Insert: a new service on a transponder chosen in the chooser dialog, at the end of the table.
    void InsertService();
    // Ctrl+A: every row selected, the last one current.
    void SelectAllRows();
    // The grid reports that row `from` was dragged onto row `to`.
    void MoveSelectedRows(int from, int to);
    // Ctrl+F: the find field opens under the grid (which gets shorter) and takes the focus.
    void OpenFind();
    // F3 or Enter: the next row after the current one whose name holds the find text, from the top
    // again after the last row.
    void FindNext();
    // Escape in the find field: it closes and the grid takes the focus back.
    void CloseFind();
    // Makes the row of the service at table index `index` current; when the view does not show it, the
    // view first shows all services of its kind in table order.
    void SelectService(int index);

  private:
    // The Sort Options: "Tv or Radio", "Sat Sort", "Sort by" and "Additional List" chosen by the user;
    // each changes the view settings, then refreshes.
    void ChooseViewKind(int index);
    void ChooseSatelliteFilter(int index);
    void ChooseSortOrder(int index);
    void ChooseAdditionalValue(int index);
    void FillViewChoices();
    void SelectViewChoices();

    void FillChannelGrid();
    // Loads the service of the current row into the edit group.
    void ShowCurrentService();
    // The edit group's state for an empty view: blank, disabled, no choice made.
    void ResetServiceEditor();
    // A click on the grid records its selected range, for a later row drag.
    void RecordSelection();
    // Enables or disables the seven popup-menu actions together.
    void EnableMenu(bool on);
    // The keys ChGrid handles itself; true when the key was taken.
    bool GridKey(QKeyEvent* event);
    // After an action: the grid takes the focus and rows top to bottom are selected, `current` current.
    void Reselect(int top, int bottom, int current);
    // Shows a PID in its field, widening the four-digit mask for a stored value above 9999.
    static void ShowPid(QLineEdit* field, unsigned value);
    // Makes the first row from `row` on whose name holds the find text current; the view stays as it is.
    void FindFrom(int row);

    std::unique_ptr<Ui::ChannelPage> ui;
    ChannelGridModel* m_model;
    QMenu* m_popup;
    QAction* m_lock;
    QAction* m_favourites[5];
    QAction* m_delete;
    std::unique_ptr<ChannelView> m_view;
    // The texts last put into the two combo boxes; they are refilled only when these change.
    QStringList m_satelliteTexts, m_additionalTexts;
    // True while the grid shows the rows of a non-empty view.
    bool m_gridFilled = false;
    // The selected rows at the last click on the grid (0, 0 before the first).
    std::pair<int, int> m_savedSelection{0, 0};
    QLineEdit* m_findField;
    // The grid's place while the find field is closed.
    QRect m_gridArea;
};

} // namespace tcn
