#include "tform2.h"

#include "page_context.h"
#include "tables/satellite_table.h"
#include "tables/transponder_table.h"
#include "ui_tform2.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStringList>

namespace tcn {

namespace {

// Text typed into a box chooses the item it spells exactly, or no item at all. The box's current item is
// moved along without a signal, so that what the box reports agrees with the choice; the typed text and
// the cursor stay where the user left them.
int SelectTypedItem(QComboBox* box, const QString& text) {
    const int index = box->findText(text);
    if (index != box->currentIndex()) {
        QLineEdit* edit = box->lineEdit();
        const int cursor = edit->cursorPosition();
        const QSignalBlocker block(box);
        box->setCurrentIndex(index);
        if (edit->text() != text) {
            edit->setText(text);
            edit->setCursorPosition(cursor);
        }
    }
    return index;
}

// Typed text is matched against the items by hand (above); an inline completer would show a whole item
// while the typed prefix still chooses nothing.
void PrepareBox(QComboBox* box) {
    box->setCompleter(nullptr);
}

} // namespace

TForm2::TForm2(const ChannelDatabase& db, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      m_ui(std::make_unique<Ui::TForm2>()), m_db(db) {
    m_ui->setupUi(this);
    PrepareBox(m_ui->ComboBox1);
    PrepareBox(m_ui->ComboBox2);

    // currentIndexChanged covers a pick from the list and the arrow keys; filling the boxes blocks it.
    connect(m_ui->ComboBox1, &QComboBox::currentIndexChanged, this, &TForm2::ChooseSatellite);
    connect(m_ui->ComboBox2, &QComboBox::currentIndexChanged, this, &TForm2::ChooseTransponder);
    connect(m_ui->ComboBox1->lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& text) { ChooseSatellite(SelectTypedItem(m_ui->ComboBox1, text)); });
    connect(m_ui->ComboBox2->lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& text) { ChooseTransponder(SelectTypedItem(m_ui->ComboBox2, text)); });
    connect(m_ui->SpeedButton1, &QPushButton::clicked, this, &TForm2::Confirm);
    connect(m_ui->SpeedButton2, &QPushButton::clicked, this, &TForm2::Cancel);

    FormCreate();
}

TForm2::~TForm2() = default;

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

void TForm2::FormCreate() {
    const std::size_t count = CountSatellitesInUse(m_db);
    m_chosenTransponder = -1;

    QComboBox* satellites = m_ui->ComboBox1;
    const QSignalBlocker block(satellites);
    satellites->clear();
    if (count == 0) {
        m_chosenSatellite = -1;
        m_transponderList.clear();
        satellites->setEditText(QStringLiteral("Choose Satellite"));
        satellites->setEnabled(false);
        m_ui->ComboBox2->clear();
        m_ui->ComboBox2->setEnabled(false);
        m_ui->SpeedButton1->setEnabled(false);
        return;
    }

    QStringList labels;
    for (std::size_t slot = 0; slot < count; ++slot)
        labels << FromBytes(FormatSatelliteLabel(ReadSatellite(m_db, slot)));
    satellites->addItems(labels);
    satellites->setEnabled(true);
    m_chosenSatellite = 0;
    satellites->setCurrentIndex(0);
    FillChooserTransponders();
}

void TForm2::FillChooserTransponders() {
    QComboBox* transponders = m_ui->ComboBox2;
    const QSignalBlocker block(transponders);
    transponders->clear();
    m_chosenTransponder = -1;
    m_transponderList.clear();

    if (m_chosenSatellite >= 0)
        m_transponderList = BuildSatelliteTransponderList(m_db, static_cast<std::uint8_t>(m_chosenSatellite));
    if (m_transponderList.empty()) {
        transponders->setEditText(QStringLiteral("No Transponders"));
        transponders->setEnabled(false);
        m_ui->SpeedButton1->setEnabled(false);
        return;
    }

    QStringList labels;
    labels.reserve(static_cast<qsizetype>(m_transponderList.size()));
    for (std::uint16_t index : m_transponderList)
        labels << FromBytes(FormatTransponderLabel(ReadTransponder(m_db, index)));
    transponders->addItems(labels);
    transponders->setEnabled(true);
    m_ui->SpeedButton1->setEnabled(true);
    m_chosenTransponder = m_transponderList.front();
    transponders->setCurrentIndex(0);
}

void TForm2::ChooseSatellite(int index) {
    m_chosenSatellite = index;
    FillChooserTransponders();
}

void TForm2::ChooseTransponder(int index) {
    const bool listed = index >= 0 && static_cast<std::size_t>(index) < m_transponderList.size();
    m_chosenTransponder = listed ? m_transponderList[static_cast<std::size_t>(index)] : -1;
}

void TForm2::Confirm() {
    m_chooserResult = m_chosenTransponder;
    done(kConfirmed);
}

void TForm2::Cancel() {
    m_chooserResult = -1;
    done(kCancelled);
}

} // namespace tcn
