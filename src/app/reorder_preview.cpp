#include "reorder_preview.h"

#include "page_context.h"
#include "tables/favourite_groups.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tcn {

namespace {

QTreeWidgetItem* Branch(QTreeWidget* tree, const QString& text, std::size_t count) {
    auto* item = new QTreeWidgetItem(tree, {text, QString::number(count)});
    QFont bold = item->font(0);
    bold.setBold(true);
    item->setFont(0, bold);
    return item;
}

void Leaf(QTreeWidgetItem* parent, const QString& text, const QString& value = {}) {
    new QTreeWidgetItem(parent, {text, value});
}

// How counts per rule read: the four rules, then the last entry under its own name.
void RuleCounts(QTreeWidgetItem* branch, const std::array<std::size_t, kMatchRuleCount>& counts, const QString& last) {
    for (std::size_t r = 0; r + 1 < kMatchRuleCount; ++r)
        Leaf(branch, QStringLiteral("matched by %1").arg(QString::fromLatin1(MatchRuleLabel(static_cast<MatchRule>(r)))),
             QString::number(counts[r]));
    Leaf(branch, last, QString::number(counts.back()));
}

} // namespace

ReorderPreview::ReorderPreview(const ReorderSummary& summary, const ChannelDatabase& reference,
                               const ChannelDatabase& current, const ChannelDatabase& reordered,
                               const std::vector<std::uint16_t>& unmatched, const QString& referenceName,
                               QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("ReorderPreview"));
    setWindowTitle(QStringLiteral("Order like %1").arg(referenceName));
    resize(560, 520);
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("The services and favourite groups will stand in the order %1 has "
                                            "them. Nothing has changed yet.")
                                 .arg(referenceName),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("PreviewTree"));
    m_tree->setColumnCount(2);
    m_tree->setHeaderLabels({QStringLiteral("What"), QStringLiteral("Count")});
    m_tree->setColumnWidth(0, 400);
    layout->addWidget(m_tree);

    std::size_t services = 0, entries = 0;
    for (const std::size_t n : summary.services) services += n;
    for (const std::size_t n : summary.favourites) entries += n;
    RuleCounts(Branch(m_tree, QStringLiteral("Services"), services), summary.services,
               QStringLiteral("without a counterpart, kept after the others"));
    RuleCounts(Branch(m_tree, QStringLiteral("Favourite entries of %1").arg(referenceName), entries),
               summary.favourites, QStringLiteral("dropped (their service has no counterpart)"));

    QTreeWidgetItem* missing = Branch(m_tree, QStringLiteral("Services of %1 without a counterpart").arg(referenceName),
                                      summary.referenceWithoutCounterpart.size());
    for (const std::uint16_t r : summary.referenceWithoutCounterpart)
        Leaf(missing, FromBytes(reference.services[r].Name()));
    QTreeWidgetItem* kept = Branch(m_tree, QStringLiteral("Services of this file without a counterpart"), unmatched.size());
    for (const std::uint16_t f : unmatched)
        Leaf(kept, FromBytes(current.services[f].Name()));

    QTreeWidgetItem* groups = Branch(m_tree, QStringLiteral("Favourite groups as they will be"), kFavouriteGroupCount);
    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
        const std::uint16_t count = FavouriteGroupCount(reordered, g);
        auto* group = new QTreeWidgetItem(groups, {QStringLiteral("Fav%1 %2").arg(g + 1).arg(FromBytes(FavouriteGroupName(reordered, g))),
                                                   QString::number(count)});
        for (std::size_t k = 0; k < count; ++k)
            Leaf(group, FromBytes(reordered.services[FavouriteEntry(reordered, g, k)].Name()));
    }
    m_tree->expandToDepth(0);
    groups->setExpanded(false);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* apply = buttons->addButton(QStringLiteral("&Apply"), QDialogButtonBox::AcceptRole);
    apply->setObjectName(QStringLiteral("ApplyReorder"));
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelReorder"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

} // namespace tcn
