#include "compare_window.h"

#include "page_context.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

namespace tcn {

namespace {

const char* const kAreaTitles[] = {"Satellites", "Transponders", "Services", "Favourites", "Config block"};

// The fields of a difference on one side ("provider ZDF; locked no").
QString Side(const Difference& d, bool after) {
    QStringList parts;
    for (const FieldDiff& f : d.fields)
        parts << QString::fromLatin1(f.field.c_str()) + QStringLiteral(" ") + FromBytes(after ? f.after : f.before);
    return parts.join(QStringLiteral("; "));
}

} // namespace

CompareWindow::CompareWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("CompareWindow"));
    resize(760, 520);
    auto* layout = new QVBoxLayout(this);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("CompareSummary"));
    m_summary->setWordWrap(true);
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("CompareFilter"));
    m_filter->setPlaceholderText(QStringLiteral("Filter (part of a name, a field or a value)"));
    m_filter->setClearButtonEnabled(true);
    m_model = new QStandardItemModel(this);
    m_filtered = new QSortFilterProxyModel(this);
    m_filtered->setSourceModel(m_model);
    m_filtered->setRecursiveFilteringEnabled(true);
    m_filtered->setFilterKeyColumn(-1);
    m_filtered->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("CompareTree"));
    m_tree->setModel(m_filtered);
    m_tree->setUniformRowHeights(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setAlternatingRowColors(true);
    layout->addWidget(m_summary);
    layout->addWidget(m_filter);
    layout->addWidget(m_tree);

    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_filtered->setFilterFixedString(text);
        m_tree->expandAll();
    });
    connect(m_tree, &QTreeView::doubleClicked, this, &CompareWindow::ShowItemOf);
}

void CompareWindow::Show(const ChannelComparison& comparison, const QString& oldName) {
    setWindowTitle(QStringLiteral("Compare %1 with the tables").arg(oldName));
    QStringList areas;
    for (std::size_t a = 0; a < kDiffAreaCount; ++a) {
        QStringList counts;
        for (std::size_t k = 0; k < kDiffKindCount; ++k)
            if (const std::size_t n = comparison.Count(static_cast<DiffArea>(a), static_cast<DiffKind>(k)))
                counts << QStringLiteral("%1 %2").arg(n).arg(QString::fromLatin1(DiffKindName(static_cast<DiffKind>(k))));
        if (!counts.isEmpty()) areas << QStringLiteral("%1: %2").arg(QString::fromLatin1(kAreaTitles[a]), counts.join(QStringLiteral(", ")));
    }
    m_summary->setText(comparison.Empty()
                           ? QStringLiteral("%1 and the tables as they stand do not differ.").arg(oldName)
                           : QStringLiteral("Old: %1. New: the tables as they stand.\n%2.")
                                 .arg(oldName, areas.join(QStringLiteral("; "))));
    m_model->clear();
    m_model->setHorizontalHeaderLabels({QStringLiteral("Difference"), QStringLiteral("Old"), QStringLiteral("New")});
    QStandardItem* branches[kDiffAreaCount] = {};
    for (const Difference& d : comparison.differences) {
        const auto area = static_cast<std::size_t>(d.area);
        if (!branches[area]) {
            QStringList counts;
            for (std::size_t k = 0; k < kDiffKindCount; ++k)
                if (const std::size_t n = comparison.Count(d.area, static_cast<DiffKind>(k)))
                    counts << QStringLiteral("%1 %2").arg(n).arg(QString::fromLatin1(DiffKindName(static_cast<DiffKind>(k))));
            branches[area] = new QStandardItem(
                QStringLiteral("%1 (%2)").arg(QString::fromLatin1(kAreaTitles[area]), counts.join(QStringLiteral(", "))));
            m_model->appendRow({branches[area], new QStandardItem(), new QStandardItem()});
        }
        QString what = QString::fromLatin1(DiffMark(d.kind)) + QStringLiteral(" ");
        if (d.area == DiffArea::Favourites) what += QStringLiteral("Fav%1 ").arg(d.group + 1);
        if (d.area != DiffArea::Favourites || d.kind != DiffKind::Changed) what += FromBytes(d.label);
        QString before, after;
        switch (d.kind) {
        case DiffKind::Added: after = FromBytes(d.label); break;
        case DiffKind::Removed: before = FromBytes(d.label); break;
        default: before = Side(d, false), after = Side(d, true); break;
        }
        auto* item = new QStandardItem(what);
        item->setData(static_cast<int>(d.area), kAreaRole);
        item->setData(static_cast<int>(d.kind), kKindRole);
        item->setData(d.oldIndex, kOldRole);
        item->setData(d.newIndex, kNewRole);
        item->setData(d.group, kGroupRole);
        branches[area]->appendRow({item, new QStandardItem(before), new QStandardItem(after)});
    }
    m_tree->expandAll();
    m_tree->header()->resizeSection(0, 320);
    m_tree->header()->resizeSection(1, 200);
    m_filter->clear();
}

void CompareWindow::ShowItemOf(const QModelIndex& index) {
    const QModelIndex first = m_filtered->mapToSource(index.siblingAtColumn(0));
    const QStandardItem* item = m_model->itemFromIndex(first);
    if (!item || !item->parent() || !showItem) return;
    Difference d;
    d.area = static_cast<DiffArea>(item->data(kAreaRole).toInt());
    d.kind = static_cast<DiffKind>(item->data(kKindRole).toInt());
    d.oldIndex = item->data(kOldRole).toInt();
    d.newIndex = item->data(kNewRole).toInt();
    d.group = item->data(kGroupRole).toInt();
    if (d.newIndex >= 0 && d.area != DiffArea::Config) showItem(d);
}

} // namespace tcn
