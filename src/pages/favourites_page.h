#pragma once
// The "Edit Favourites" page: one of the five favourite groups in FavGrid, where its entries are
// reordered by dragging a selected block of rows and deleted with "Delete Selected", the five group names
// (changed with every keystroke), and one information line per group with its member count.

#include "editor_page.h"

#include <cstddef>
#include <memory>
#include <utility>

class QAction;
class QKeyEvent;
class QMenu;

namespace Ui {
class FavouritesPage;
}

namespace tcn {

class TableGridModel;

class FavouritesPage : public EditorPage {
    Q_OBJECT

  public:
    FavouritesPage(PageContext& context, QWidget* parent = nullptr);
    ~FavouritesPage() override;

    // Shows the chosen group, the names and the information lines, as the tables hold them now.
    void Render(const ChannelDatabase& db) override;
    // Shows group `group` with the row of the service at table index `index` current.
    void SelectMember(int group, int index);

  private:
    // "Choose Group" by the user.
    void ChooseGroup(int index);
    // A group name edited by the user: stored as typed, nothing else.
    void RenameGroup(std::size_t group, const QString& text);
    // Remembers the selected rows, which a following drag must start in.
    void RecordSelection();
    // The user dragged grid row `from` to grid row `to`: the recorded block moves there.
    void MoveRecordedRows(int from, int to);
    // Ctrl+A selects every row; Del runs "Delete Selected" when the shortcut did not reach the action.
    bool GridKey(QKeyEvent* event);
    // "Delete Selected": the selected rows' services leave the group.
    void DeleteSelected();
    // The page shown anew (the groups resolved first), the grid focused with `row` current.
    void RefillAt(int row);

    std::unique_ptr<Ui::FavouritesPage> ui;
    TableGridModel* m_grid;
    QMenu* m_popupMenu2;
    QAction* m_favDelete;

    // Page state of the whole run (not reset when a file is opened): the group shown, 0 to 4.
    std::size_t m_currentGroup = 0;
    int m_shownCount = 0;
    bool m_gridFilled = false;
    std::pair<int, int> m_recordedSelection{0, 0}; // grid rows, as of the last click on the filled grid
};

} // namespace tcn
