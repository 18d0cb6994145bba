#pragma once
// The grids of the pages: a table view whose rows are counted as the user sees them, from 1 under the
// header row (row 0), with whole-row selection of one row or one contiguous range, optional row moving by
// dragging a row's first cell, and hooks for the keys and the mouse wheel that the pages react to.
//
// TextGridModel is the model of the small grids (satellites, transponders, favourites): plain texts.

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>
#include <QVector>

#include <functional>
#include <utility>

namespace tcn {

class StringGrid : public QTableView {
    Q_OBJECT
    Q_PROPERTY(bool rowMoving READ rowMoving WRITE setRowMoving)

  public:
    explicit StringGrid(QWidget* parent = nullptr);

    // Sets the model (once) and the column widths in pixels.
    void setColumns(QAbstractItemModel* model, const QVector<int>& widths);

    // The current row (1 = first data row), or 0 when there is none.
    int currentRow() const;
    // Makes `row` the current and only selected row.
    void setCurrentRow(int row);
    // The first and last selected rows; the current row when nothing is selected; (0, 0) without rows.
    std::pair<int, int> selectedRange() const;
    // Selects rows top to bottom and makes `current` the current row, the row a shift-click extends from.
    void selectRange(int top, int bottom, int current);
    int dataRowCount() const;

    bool rowMoving() const { return m_rowMoving; }
    void setRowMoving(bool on);
    // Moves a row as a drag with the mouse would: reports rowMoved(from, to) when moving is on and the
    // rows differ. Row 0 is the header row.
    void moveRow(int from, int to);

    // Called first for every key press; returning true means the page handled the key.
    std::function<bool(QKeyEvent*)> keyHandler;

  signals:
    // A row was dragged from one row to another (grid rows; 0 is the header row).
    void rowMoved(int from, int to);
    // The mouse wheel turned over the grid.
    void wheelScrolled();
    // The current row changed (grid rows; 0 for none).
    void currentRowChanged(int row);
    // A mouse button was released over a cell, after the selection took the click.
    void cellClicked(int row);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    int RowAtY(int y) const;

    // The row a shift-click extends the selection from: the row last clicked, reached by a key without
    // Shift, or made current by the program. (The view's own anchor is a point on the screen, which
    // names another row once the rows are filled anew.)
    int m_anchor = 0;
    bool m_rowMoving = false;
    int m_dragFrom = 0; // grid row being dragged, 0 while no drag runs
    int m_dragTo = 0;
};

// The model of the small grids (satellites, transponders, favourite entries): the rows and cell texts are
// read from the tables when a cell is drawn, through the two functions the page gives; with no rows the
// grid shows one blank row. The first column can be drawn like a fixed column.
class TableGridModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    // The number of data rows, and the text of a cell (row from 1).
    using RowCount = std::function<int()>;
    using CellText = std::function<QString(int row, int column)>;

    TableGridModel(const QStringList& headers, bool fixedFirstColumn, RowCount rows, CellText cell,
                   QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The rows changed: the grid is filled anew (its selection goes).
    void Refill();
    // Grid row `row` (from 1) shows other texts; the selection stays.
    void RowChanged(int row);

  private:
    QStringList m_headers;
    bool m_fixedFirstColumn;
    RowCount m_rows;
    CellText m_cell;
    int m_shownRows = 0; // the data rows as of the last fill
};

} // namespace tcn
