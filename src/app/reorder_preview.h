#pragma once
// The preview of "Order like another file...": before anything changes, how many services and favourite
// entries each matching rule matched, the reference's services without a counterpart, this file's
// services without one (they keep their order after the others), and the favourite groups as they will
// be. "Apply" accepts the dialog, "Cancel" rejects it.

#include "tables/channel_database.h"
#include "tables/reorder_like.h"

#include <QDialog>

#include <vector>

class QTreeWidget;

namespace tcn {

class ReorderPreview : public QDialog {
    Q_OBJECT

  public:
    // `reordered` is the tables as they will be, `unmatched` the table indices (in the tables as they
    // stand) of the services without a counterpart.
    ReorderPreview(const ReorderSummary& summary, const ChannelDatabase& reference,
                   const ChannelDatabase& current, const ChannelDatabase& reordered,
                   const std::vector<std::uint16_t>& unmatched, const QString& referenceName,
                   QWidget* parent = nullptr);

  private:
    QTreeWidget* m_tree;
};

} // namespace tcn
