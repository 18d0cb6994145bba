#pragma once
// TForm2, the chooser dialog "Select A Satellite & A Transponder": the user picks a satellite and then one
// of its transponders, and Confirm hands back that transponder's table index. The dialog is created afresh
// for every use, so it always lists the tables as they are; it reads them and changes nothing.

#include "tables/channel_database.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <vector>

class QComboBox;

namespace Ui {
class TForm2;
}

namespace tcn {

class TForm2 : public QDialog {
    Q_OBJECT

  public:
    // Modal results: Confirm closes with 1, Cancel with 2 (any other way of closing gives 0).
    static constexpr int kConfirmed = 1, kCancelled = 2;

    TForm2(const ChannelDatabase& db, QWidget* parent = nullptr);
    ~TForm2() override;

    // The transponder index Confirm handed back, or -1 (not confirmed, or nothing was chosen).
    int ChooserResult() const { return m_chooserResult; }

  protected:
    // Centres the dialog on its screen rather than over the main window.
    void showEvent(QShowEvent* event) override;

  private:
    // Lists the satellites in use and preselects the first satellite and its first transponder.
    void FormCreate();
    // Lists the chosen satellite's transponders and preselects the first, or shows "No Transponders".
    void FillChooserTransponders();
    // The user chose satellite item `index` (-1: typed text that names no satellite).
    void ChooseSatellite(int index);
    // The user chose transponder item `index` (-1: typed text that names no transponder).
    void ChooseTransponder(int index);
    // "Confirm": the chosen transponder is the result. "Cancel": nothing is.
    void Confirm();
    void Cancel();

    std::unique_ptr<Ui::TForm2> m_ui;
    const ChannelDatabase& m_db;
    int m_chooserResult = -1;
    int m_chosenSatellite = -1;
    int m_chosenTransponder = -1;
    // The chosen satellite's transponder indices, ascending; item k of ComboBox2 shows entry k.
    std::vector<std::uint16_t> m_transponderList;
};

} // namespace tcn
