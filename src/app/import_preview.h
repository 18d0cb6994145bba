#pragma once
// The preview of "Import transponders...": which satellite of the file takes the transponders, which
// satellite of the list gives them (the one at the same position, else the nearest within 0.3 degrees, else
// the user's choice), whether DVB-S2 entries come too and whether transponders already there are updated;
// and, for that choice, every entry of the list as new, updated, differing, present, not fitting or skipped,
// worked out on a copy of the tables. "Apply" accepts the dialog, "Cancel" rejects it.

#include "actions/transponder_import.h"
#include "exchange/satellites_xml.h"
#include "tables/channel_database.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace tcn {

class ImportPreview : public QDialog {
    Q_OBJECT

  public:
    // `satellite`: the satellite of the file chosen first.
    ImportPreview(const ChannelDatabase& tables, const SatelliteList& list, std::uint8_t satellite,
                  const QString& listName, QWidget* parent = nullptr);
    ~ImportPreview() override;

    // What Apply is to do.
    std::uint8_t ChosenSatellite() const;
    // The list satellite chosen, or -1 while there is none.
    int ChosenListSatellite() const;
    ImportOptions Options() const;

  private:
    // The list satellite standing for the chosen satellite of the file (none: the user chooses).
    void MatchChosenSatellite();
    // The entries for the choice as it stands, from an import into a copy of the tables.
    void ShowPreview();

    const ChannelDatabase& m_tables;
    const SatelliteList& m_list;
    std::unique_ptr<ChannelDatabase> m_copy;
    QComboBox* m_satellite;
    QComboBox* m_listSatellite;
    QCheckBox* m_dvbS2;
    QCheckBox* m_update;
    QTreeWidget* m_tree;
    QLabel* m_summary;
    QPushButton* m_apply;
};

} // namespace tcn
