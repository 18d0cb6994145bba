#include "string_grid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

namespace tcn {

StringGrid::StringGrid(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(20);
    verticalHeader()->setMinimumSectionSize(10);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setFixedHeight(21);
}

void StringGrid::setColumns(QAbstractItemModel* gridModel, const QVector<int>& widths) {
    setModel(gridModel);
    for (int c = 0; c < widths.size(); ++c) setColumnWidth(c, widths[c]);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { emit currentRowChanged(current.isValid() ? current.row() + 1 : 0); });
}

int StringGrid::dataRowCount() const { return model() ? model()->rowCount() : 0; }

int StringGrid::currentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

void StringGrid::setCurrentRow(int row) { selectRange(row, row, row); }

std::pair<int, int> StringGrid::selectedRange() const {
    int top = 0, bottom = 0;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        if (!top || range.top() + 1 < top) top = range.top() + 1;
        if (range.bottom() + 1 > bottom) bottom = range.bottom() + 1;
    }
    if (!top) top = bottom = currentRow();
    return {top, bottom};
}

void StringGrid::selectRange(int top, int bottom, int current) {
    const int rows = dataRowCount();
    if (rows == 0 || !model()) return;
    top = std::clamp(top, 1, rows);
    bottom = std::clamp(bottom, top, rows);
    current = std::clamp(current, 1, rows);
    const int lastColumn = model()->columnCount() - 1;
    const QModelIndex currentIndex = model()->index(current - 1, std::max(0, this->currentIndex().column()));
    selectionModel()->setCurrentIndex(currentIndex, QItemSelectionModel::NoUpdate);
    selectionModel()->select(QItemSelection(model()->index(top - 1, 0), model()->index(bottom - 1, lastColumn)),
                             QItemSelectionModel::ClearAndSelect);
    scrollTo(currentIndex);
    m_anchor = current;
}

void StringGrid::setRowMoving(bool on) {
    m_rowMoving = on;
    if (!on) m_dragFrom = 0;
}

void StringGrid::moveRow(int from, int to) {
    if (m_rowMoving && from != to && from >= 1 && from <= dataRowCount() && to >= 0 && to <= dataRowCount())
        emit rowMoved(from, to);
}

void StringGrid::keyPressEvent(QKeyEvent* event) {
    if (keyHandler && keyHandler(event)) return;
    // Ctrl+A belongs to the pages; the view's own "select all" would bypass them.
    if (event->matches(QKeySequence::SelectAll)) return;
    const int before = currentRow();
    QTableView::keyPressEvent(event);
    // A key that moved the current row without Shift starts a new range there.
    if (currentRow() != before && !(event->modifiers() & Qt::ShiftModifier)) m_anchor = currentRow();
}

void StringGrid::wheelEvent(QWheelEvent* event) {
    emit wheelScrolled();
    QTableView::wheelEvent(event);
}

int StringGrid::RowAtY(int y) const {
    if (y < 0) return 0; // over the header row
    const int row = rowAt(y);
    return row < 0 ? dataRowCount() : row + 1;
}

void StringGrid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (m_rowMoving && event->button() == Qt::LeftButton && index.isValid() && index.column() == 0) {
        // Dragging starts on the number cell and leaves the selection as it is.
        m_dragFrom = m_dragTo = index.row() + 1;
        setFocus(Qt::MouseFocusReason);
        return;
    }
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::ShiftModifier && index.isValid() &&
        selectionMode() == QAbstractItemView::ContiguousSelection) {
        // Shift-click: the rows from the anchor to this one, this one current; the anchor stays.
        const int row = index.row() + 1, anchor = std::clamp(m_anchor, 1, dataRowCount());
        setFocus(Qt::MouseFocusReason);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        selectionModel()->select(QItemSelection(model()->index(std::min(anchor, row) - 1, 0),
                                                model()->index(std::max(anchor, row) - 1, model()->columnCount() - 1)),
                                 QItemSelectionModel::ClearAndSelect);
        return;
    }
    QTableView::mousePressEvent(event);
    if (index.isValid()) m_anchor = index.row() + 1;
}

void StringGrid::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragFrom) {
        m_dragTo = RowAtY(event->position().toPoint().y());
        viewport()->update();
        return;
    }
    QTableView::mouseMoveEvent(event);
}

void StringGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (m_dragFrom) {
        const int from = m_dragFrom;
        const int to = RowAtY(event->position().toPoint().y());
        m_dragFrom = m_dragTo = 0;
        viewport()->update();
        moveRow(from, to);
        return;
    }
    QTableView::mouseReleaseEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid()) emit cellClicked(index.row() + 1);
}

void StringGrid::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    if (!m_dragFrom || m_dragTo == m_dragFrom) return;
    // Where the dragged row will land: a line above the target row (below the header for row 0).
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    const int y = m_dragTo <= 0 ? 1 : rowViewportPosition(m_dragTo - 1) + (m_dragTo > m_dragFrom ? rowHeight(0) : 0);
    painter.drawLine(0, y, viewport()->width(), y);
}

TableGridModel::TableGridModel(const QStringList& headers, bool fixedFirstColumn, RowCount rows, CellText cell,
                               QObject* parent)
    : QAbstractTableModel(parent), m_headers(headers), m_fixedFirstColumn(fixedFirstColumn), m_rows(std::move(rows)),
      m_cell(std::move(cell)) {}

int TableGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : std::max(1, m_shownRows);
}

int TableGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant TableGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::DisplayRole) return index.row() < m_shownRows ? m_cell(index.row() + 1, index.column()) : QString();
    if (role == Qt::BackgroundRole && m_fixedFirstColumn && index.column() == 0)
        return QApplication::palette().button();
    return {};
}

QVariant TableGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_headers.size())
        return m_headers[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

void TableGridModel::Refill() {
    beginResetModel();
    m_shownRows = m_rows();
    endResetModel();
}

void TableGridModel::RowChanged(int row) {
    if (row < 1 || row > m_shownRows) return;
    emit dataChanged(index(row - 1, 0), index(row - 1, columnCount() - 1));
}

} // namespace tcn
