#pragma once
// The chooser dialog "Select A Satellite & A Transponder" (being written).

#include "tables/channel_database.h"

#include <QDialog>

namespace tcn {

class TForm2 : public QDialog {
    Q_OBJECT

  public:
    TForm2(const ChannelDatabase& db, QWidget* parent = nullptr);
    // The transponder index Confirm handed back, or -1.
    int ChooserResult() const { return m_chooserResult; }

  private:
    const ChannelDatabase& m_db;
    int m_chooserResult = -1;
};

} // namespace tcn
