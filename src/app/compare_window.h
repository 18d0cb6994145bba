#pragma once
// "Compare with...": a window of its own (not modal) that shows what differs between a chosen channel
// file (OLD) and the tables as they stand (NEW), as a tree over one model: a branch per area with its
// counts, then one row per difference with the old and the new side by side. A filter field keeps the
// rows whose texts hold what is typed; a double click on a satellite, transponder, service or favourite
// row asks the window to show that item on its page.

#include "compare/channel_comparison.h"

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTreeView;

namespace tcn {

class CompareWindow : public QWidget {
    Q_OBJECT

  public:
    // Data roles of the difference rows: the area, kind, old and new index and group of the difference.
    static constexpr int kAreaRole = Qt::UserRole, kKindRole = Qt::UserRole + 1, kOldRole = Qt::UserRole + 2,
                         kNewRole = Qt::UserRole + 3, kGroupRole = Qt::UserRole + 4;

    explicit CompareWindow(QWidget* parent = nullptr);

    // Shows `comparison` of the file `oldName` with the tables.
    void Show(const ChannelComparison& comparison, const QString& oldName);
    // Called with a difference the user double-clicked (only those whose item is in the tables).
    std::function<void(const Difference&)> showItem;

  private:
    void ShowItemOf(const QModelIndex& index);

    QLabel* m_summary;
    QLineEdit* m_filter;
    QTreeView* m_tree;
    QStandardItemModel* m_model;
    QSortFilterProxyModel* m_filtered;
};

} // namespace tcn
