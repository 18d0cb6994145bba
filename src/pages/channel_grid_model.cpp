#include "channel_grid_model.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

namespace tcn {

namespace {

const char* const kHeaders[ChannelGridModel::kColumns] = {"Num.",  "Name",  "Lock",  "Fav 1",
                                                          "Fav 2", "Fav 3", "Fav 4", "Fav 5"};

} // namespace

ChannelGridModel::ChannelGridModel(QObject* parent)
    : QAbstractTableModel(parent), m_marks(std::make_unique<FavouriteMarks>()) {}

void ChannelGridModel::Show(const ChannelDatabase* db, const ChannelView* view) {
    beginResetModel();
    m_db = db;
    m_view = view;
    if (m_db) CollectFavouriteMarks(*m_db, *m_marks);
    endResetModel();
}

int ChannelGridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return m_view && m_view->count > 0 ? m_view->count : 1;
}

int ChannelGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

const ServiceRecord* ChannelGridModel::ServiceAt(int row) const {
    if (!m_db || !m_view) return nullptr;
    const std::int64_t index = ServiceAtRow(*m_db, *m_view, row + 1);
    return index >= 0 ? &m_db->services[static_cast<std::size_t>(index)] : nullptr;
}

bool ChannelGridModel::IsMarked(int row, int column) const {
    const ServiceRecord* service = ServiceAt(row);
    if (!service) return false;
    if (column == kLockColumn) return service->Locked();
    if (column >= kFirstFavouriteColumn && column < kColumns)
        return m_marks->IsMember(service->Number(), static_cast<std::size_t>(column - kFirstFavouriteColumn));
    return false;
}

QVariant ChannelGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
    case Qt::DisplayRole: {
        const ServiceRecord* service = ServiceAt(index.row());
        if (!service) return QString();
        if (index.column() == 0) return QString::number(index.row() + 1);
        if (index.column() != 1) return {};
        // Scrambled services are marked with "$ ", the others get two blanks in its place.
        const std::string_view name = service->Name();
        return (service->Scrambled() ? QLatin1StringView("$ ") : QLatin1StringView("  ")) +
               QLatin1StringView(name.data(), static_cast<qsizetype>(name.size()));
    }
    case kCheckMarkRole:
        return IsMarked(index.row(), index.column());
    case Qt::BackgroundRole:
        // The number column looks like a fixed column.
        if (index.column() == 0) return QApplication::palette().button();
        return {};
    default:
        return {};
    }
}

QVariant ChannelGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kColumns)
        return QString::fromLatin1(kHeaders[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ChannelGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

CheckMarkDelegate::CheckMarkDelegate(const QPixmap& mark, QObject* parent)
    : QStyledItemDelegate(parent), m_mark(mark) {}

void CheckMarkDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    if (index.data(ChannelGridModel::kCheckMarkRole).toBool())
        painter->drawPixmap(option.rect.topLeft() + QPoint(10, 0), m_mark);
}

} // namespace tcn
