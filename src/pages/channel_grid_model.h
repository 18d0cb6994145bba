#pragma once
// The model of ChGrid: one row per entry of the channel view, read straight from the tables when a cell
// is drawn (no copy of the services, no text per row), and the delegate that draws the check mark in the
// "Lock" and "Fav 1" to "Fav 5" columns.

#include "views/channel_rows.h"
#include "views/channel_view.h"

#include <QAbstractTableModel>
#include <QPixmap>
#include <QStyledItemDelegate>

#include <memory>

namespace tcn {

class ChannelGridModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    // data() of this role is true for a "Lock" or "Fav" cell that shows the check mark.
    static constexpr int kCheckMarkRole = Qt::UserRole;
    static constexpr int kLockColumn = 2;
    static constexpr int kFirstFavouriteColumn = 3;
    static constexpr int kColumns = 8;

    explicit ChannelGridModel(QObject* parent = nullptr);

    // Shows `view` over `db` from now on (both outlive the model's use of them); gathers the favourite
    // marks once and resets the model. Without a view, or with an empty one, the grid shows one blank row.
    void Show(const ChannelDatabase* db, const ChannelView* view);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // True when the cell at model row `row` and `column` shows the check mark.
    bool IsMarked(int row, int column) const;

  private:
    // The service of model row `row`, or nothing for the blank row of an empty view.
    const ServiceRecord* ServiceAt(int row) const;

    const ChannelDatabase* m_db = nullptr;
    const ChannelView* m_view = nullptr;
    std::unique_ptr<FavouriteMarks> m_marks;
};

// Draws a cell as usual, then the check mark with its top-left corner 10 pixels right of the cell's left
// edge, level with the cell's top, when the model marks the cell.
class CheckMarkDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    CheckMarkDelegate(const QPixmap& mark, QObject* parent = nullptr);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

  private:
    QPixmap m_mark;
};

} // namespace tcn
