#include "channel_page.h"

#include "actions/channel_actions.h"
#include "actions/page_visits.h"
#include "channel_grid_model.h" // also the channel view and its rows
#include "latin1_validator.h"
#include "tables/favourite_groups.h"
#include "tables/service_table.h"
#include "tform2.h"
#include "ui_channel_page.h"
#include "views/channel_find.h"

#include <QAbstractItemView>
#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>

#include <algorithm>

namespace tcn {

namespace {

constexpr int kGroupCount = 5;

QStringList ToQt(const std::vector<std::string>& texts) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(texts.size()));
    for (const std::string& text : texts)
        list.append(FromBytes(text));
    return list;
}

// Refills a combo box only when its texts change: the result is the same as clearing and filling it.
void FillCombo(QComboBox* box, QStringList& shown, const QStringList& texts) {
    if (texts == shown && box->count() == texts.size()) return;
    box->clear();
    box->addItems(texts);
    shown = texts;
}

} // namespace

ChannelPage::ChannelPage(PageContext& context, QWidget* parent)
    : EditorPage(context, parent), ui(std::make_unique<Ui::ChannelPage>()),
      m_view(std::make_unique<ChannelView>()) {
    ui->setupUi(this);

    // The grid: one model over the channel view, the check mark drawn by a delegate in columns 2 to 7.
    m_model = new ChannelGridModel(this);
    StringGrid* grid = ui->ChGrid;
    grid->setColumns(m_model, {40, 157, 40, 40, 40, 40, 40, 40});
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The window holds the check mark (in its hidden "Select" image) and hands it over.
    auto* marks = new CheckMarkDelegate(context.CheckMark(), this);
    for (int c = ChannelGridModel::kLockColumn; c < ChannelGridModel::kColumns; ++c)
        grid->setItemDelegateForColumn(c, marks);
    grid->keyHandler = [this](QKeyEvent* event) { return GridKey(event); };

    // The lists open wider than the boxes, so that long satellite and provider names can be read.
    ui->ComboBox2->view()->setMinimumWidth(200);
    ui->ComboBox3->view()->setMinimumWidth(200);
    MakeLatin1Field(ui->chName, 30);
    MakeLatin1Field(ui->proName, 20);

    // The popup menu; its shortcuts work while the grid has the focus.
    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("PopupMenu1"));
    const auto makeAction = [this, grid](const QString& name, const QString& caption,
                                         const QKeySequence& keys) {
        auto* action = new QAction(caption, this);
        action->setObjectName(name);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        m_popup->addAction(action);
        grid->addAction(action);
        return action;
    };
    m_lock = makeAction(QStringLiteral("Lock"), QStringLiteral("Lock/Unlock Selected"),
                        QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(m_lock, &QAction::triggered, this, &ChannelPage::ToggleLockSelected);
    for (int g = 1; g <= kGroupCount; ++g) {
        m_favourites[g - 1] =
            makeAction(QStringLiteral("Fav%1").arg(g), QStringLiteral("Add to/Remove from Fav%1").arg(g),
                       QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_F1 + g - 1)));
        connect(m_favourites[g - 1], &QAction::triggered, this, [this, g] { ToggleFavouriteSelected(g); });
    }
    m_delete = makeAction(QStringLiteral("DeleteCh"), QStringLiteral("Delete Selected"),
                          QKeySequence(Qt::Key_Delete));
    connect(m_delete, &QAction::triggered, this, &ChannelPage::DeleteSelectedServices);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this,
            [this, grid](const QPoint& pos) { m_popup->popup(grid->viewport()->mapToGlobal(pos)); });

    // The edit group always shows the stored service of the current row.
    connect(grid, &StringGrid::currentRowChanged, this, [this] {
        if (m_gridFilled) ShowCurrentService();
    });
    connect(grid, &StringGrid::wheelScrolled, this, [this] {
        if (m_gridFilled) ShowCurrentService();
    });
    connect(grid, &StringGrid::cellClicked, this, [this] {
        if (!m_gridFilled) return;
        RecordSelection();
        ShowCurrentService();
    });
    connect(grid, &StringGrid::rowMoved, this, &ChannelPage::MoveSelectedRows);
    connect(ui->SpeedButton8, &QPushButton::clicked, this, &ChannelPage::ApplyChanges);

    // Sort Options: only a user's choice runs a handler (filling and selecting them does not).
    connect(ui->RadioGroup7, &RadioGroup::itemClicked, this, &ChannelPage::ChooseViewKind);
    connect(ui->ComboBox2, &QComboBox::activated, this, &ChannelPage::ChooseSatelliteFilter);
    connect(ui->RadioGroup8, &RadioGroup::itemClicked, this, &ChannelPage::ChooseSortOrder);
    connect(ui->ComboBox3, &QComboBox::activated, this, &ChannelPage::ChooseAdditionalValue);

    m_model->Show(nullptr, nullptr);
    ResetServiceEditor();
    ui->ComboBox3->setEnabled(false);

    // Finding a channel: Ctrl+F and F3 while the page is shown, Enter and Escape in the field.
    m_findField = new QLineEdit(this);
    m_findField->setObjectName(QStringLiteral("FindField"));
    m_findField->setPlaceholderText(QStringLiteral("Find a channel (Enter or F3: next, Esc: close)"));
    MakeLatin1Field(m_findField, 30);
    m_findField->hide();
    auto* find = new QAction(this);
    find->setObjectName(QStringLiteral("FindAction"));
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    addAction(find);
    connect(find, &QAction::triggered, this, &ChannelPage::OpenFind);
    auto* next = new QAction(this);
    next->setObjectName(QStringLiteral("FindNextAction"));
    next->setShortcut(QKeySequence(Qt::Key_F3));
    addAction(next);
    connect(next, &QAction::triggered, this, &ChannelPage::FindNext);
    auto* close = new QAction(m_findField);
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    close->setShortcutContext(Qt::WidgetShortcut);
    m_findField->addAction(close);
    connect(close, &QAction::triggered, this, &ChannelPage::CloseFind);
    connect(m_findField, &QLineEdit::textEdited, this, [this] { FindFrom(ui->ChGrid->currentRow()); });
    connect(m_findField, &QLineEdit::returnPressed, this, &ChannelPage::FindNext);
}

ChannelPage::~ChannelPage() = default;

void ChannelPage::Render(const ChannelDatabase& db) {
    RebuildChannelView(db, m_context.View(), *m_view);
    FillViewChoices();
    SelectViewChoices();
    FillChannelGrid();
}

void ChannelPage::RefreshChannelPage() {
    m_context.Prepare(PrepareChannelPage);
    Render(m_context.Tables());
}

void ChannelPage::FillViewChoices() {
    const ViewSettings& settings = m_context.View();
    ui->RadioGroup7->setItemIndex(settings.viewKind - 1);
    FillCombo(ui->ComboBox2, m_satelliteTexts, ToQt(SatelliteChoiceTexts(m_context.Tables(), *m_view)));
    ui->RadioGroup8->setItemIndex(settings.sortOrder);
    FillCombo(ui->ComboBox3, m_additionalTexts, ToQt(AdditionalChoiceTexts(*m_view, settings)));
    ui->ComboBox3->setEnabled(AdditionalChoiceEnabled(settings));
}

void ChannelPage::SelectViewChoices() {
    const ViewSettings& settings = m_context.View();
    ui->ComboBox2->setCurrentIndex(SelectedSatelliteChoice(settings, *m_view));
    if (AdditionalChoiceEnabled(settings))
        ui->ComboBox3->setCurrentIndex(SelectedAdditionalChoice(settings, *m_view));
}

void ChannelPage::FillChannelGrid() {
    m_gridFilled = false;
    m_model->Show(&m_context.Tables(), m_view.get());
    if (m_view->count == 0) {
        ResetServiceEditor();
        return;
    }
    ui->ChGrid->setEnabled(true);
    ui->GroupBox5->setEnabled(true);
    ui->SpeedButton8->setEnabled(true);
    EnableMenu(true);
    ui->ChGrid->setRowMoving(m_view->reorderingAllowed);
    ui->ChGrid->setCurrentRow(1);
    m_gridFilled = true;
    ShowCurrentService();
}

void ChannelPage::ResetServiceEditor() {
    ui->chName->clear();
    ui->proName->clear();
    ui->StaticText3->clear();
    ui->StaticText4->clear();
    ShowPid(ui->pcrPid, 0);
    ui->pcrPid->setText(QStringLiteral("0000"));
    ui->serID->setText(QStringLiteral("00000"));
    ShowPid(ui->vPid, 0);
    ui->vPid->setText(QStringLiteral("0000"));
    ShowPid(ui->aPid, 0);
    ui->aPid->setText(QStringLiteral("0000"));
    ui->RadioGroup9->setItemIndex(-1);
    ui->RadioGroup10->setItemIndex(-1);
    ui->GroupBox5->setEnabled(false);
    ui->SpeedButton8->setEnabled(false);
    ui->ChGrid->setRowMoving(false);
    EnableMenu(false);
}

void ChannelPage::ShowPid(QLineEdit* field, unsigned value) {
    // Four digits hold every PID the editor stores; a larger value read from a file is shown in full.
    const int digits = value > 9999 ? 5 : 4;
    if (field->inputMask().size() != digits)
        field->setInputMask(QString(digits, QLatin1Char('0')) + QStringLiteral("; "));
    field->setText(QString::number(value));
}

void ChannelPage::ShowCurrentService() {
    const int row = ui->ChGrid->currentRow();
    const ChannelDatabase& db = m_context.Tables();
    const std::int64_t index = ServiceAtRow(db, *m_view, row);
    if (index < 0) return;
    const ServiceRecord service = GetService(db, static_cast<std::size_t>(index));
    ui->chName->setText(FromBytes(service.Name()));
    ui->proName->setText(FromBytes(service.Provider()));
    ShowPid(ui->pcrPid, service.PcrPid());
    ui->serID->setText(QString::number(service.ServiceId()));
    ShowPid(ui->vPid, service.VideoPid());
    ShowPid(ui->aPid, service.AudioPid());
    ui->RadioGroup9->setItemIndex(service.IsRadio() ? 1 : 0);
    ui->RadioGroup10->setItemIndex(service.Scrambled() ? 1 : 0);
    ui->StaticText3->setText(FromBytes(ServiceSatelliteLine(db, service)));
    ui->StaticText4->setText(FromBytes(ServiceTransponderLine(db, service)));
}

void ChannelPage::EnableMenu(bool on) {
    m_lock->setEnabled(on);
    for (QAction* action : m_favourites)
        action->setEnabled(on);
    m_delete->setEnabled(on);
}

void ChannelPage::RecordSelection() {
    m_savedSelection = ui->ChGrid->selectedRange();
}

void ChannelPage::Reselect(int top, int bottom, int current) {
    ui->ChGrid->setFocus();
    if (m_view->count > 0) ui->ChGrid->selectRange(top, bottom, current);
}

void ChannelPage::ApplyChanges() {
    const int row = ui->ChGrid->currentRow();
    const std::int64_t index = ServiceAtRow(m_context.Tables(), *m_view, row);
    if (!m_gridFilled || index < 0) return;
    const ServiceRecord stored = GetService(m_context.Tables(), static_cast<std::size_t>(index));
    ServiceEdit edit;
    edit.name = ChangedText(ui->chName, stored.Name());
    edit.provider = ChangedText(ui->proName, stored.Provider());
    edit.radio = ui->RadioGroup9->itemIndex() != 0;
    // Each number is read from what the field shows, blanks included, in this order; the first that is
    // not a whole number (or, for the 16-bit service id, too large) is reported and nothing is stored.
    const auto serviceId = ReadIntegerField(m_context, ui->serID->displayText(), 0, 0xFFFF);
    if (!serviceId) return;
    const auto videoPid = ReadIntegerField(m_context, ui->vPid->displayText(), 0, 99999);
    if (!videoPid) return;
    const auto audioPid = ReadIntegerField(m_context, ui->aPid->displayText(), 0, 99999);
    if (!audioPid) return;
    const auto pcrPid = ReadIntegerField(m_context, ui->pcrPid->displayText(), 0, 99999);
    if (!pcrPid) return;
    edit.serviceId = static_cast<std::uint16_t>(*serviceId);
    // A PID above 8191 (for example an unchanged one above 9999) leaves the stored PID as it is.
    edit.videoPid = static_cast<std::uint32_t>(*videoPid);
    edit.audioPid = static_cast<std::uint32_t>(*audioPid);
    edit.pcrPid = static_cast<std::uint32_t>(*pcrPid);
    edit.scrambled = (ui->RadioGroup10->itemIndex() & 1) != 0;
    m_context.Change(QStringLiteral("Apply channel changes"), [&](ChannelDatabase& db) {
        ApplyChannelEdit(db, static_cast<std::size_t>(index), edit);
    });
    Render(m_context.Tables());
    ui->ChGrid->setFocus();
    // The row number stays, not the service: in a sorted view the edited service may stand elsewhere.
    if (m_view->count >= 2) ui->ChGrid->setCurrentRow(std::min<int>(row, m_view->count));
}

void ChannelPage::ToggleLockSelected() {
    if (m_view->count == 0) return;
    const auto [top, bottom] = ui->ChGrid->selectedRange();
    m_context.Change(QStringLiteral("Lock/Unlock"),
                     [&](ChannelDatabase& db) { ToggleLockRows(db, *m_view, top, bottom); });
    Render(m_context.Tables());
    Reselect(top, bottom, bottom);
}

void ChannelPage::ToggleFavouriteSelected(int group) {
    if (m_view->count == 0 || group < 1 || group > kGroupCount) return;
    const auto [top, bottom] = ui->ChGrid->selectedRange();
    m_context.Change(QStringLiteral("Add to/Remove from Fav%1").arg(group), [&](ChannelDatabase& db) {
        ToggleFavouriteRows(db, *m_view, top, bottom, static_cast<std::size_t>(group - 1));
    });
    Render(m_context.Tables());
    Reselect(top, bottom, bottom);
}

void ChannelPage::DeleteSelectedServices() {
    if (m_view->count == 0) return;
    const auto [top, bottom] = ui->ChGrid->selectedRange();
    m_context.Change(QStringLiteral("Delete channels"),
                     [&](ChannelDatabase& db) { DeleteViewRows(db, *m_view, top, bottom); });
    Render(m_context.Tables());
    ui->ChGrid->setFocus();
    if (m_view->count >= 2) ui->ChGrid->setCurrentRow(std::min<int>(top, m_view->count));
}

void ChannelPage::InsertService() {
    if (!m_view->reorderingAllowed || m_context.Tables().serviceCount >= kServiceCapacity) return;
    // The dialog is made afresh each time, so it lists the satellites and transponders as they are now.
    TForm2 dialog(m_context.Tables(), m_context.Window());
    const int result = m_context.Shell().ExecChooser(dialog);
    if (result != 1 || dialog.ChooserResult() < 0) return;
    const auto transponder = static_cast<std::uint16_t>(dialog.ChooserResult());
    m_context.Change(QStringLiteral("Insert channel"), [&](ChannelDatabase& db) {
        InsertChannel(db, transponder, m_context.View().viewKind);
    });
    Render(m_context.Tables());
    ui->ChGrid->setFocus();
    if (m_view->count > 0) ui->ChGrid->setCurrentRow(m_view->count);
}

void ChannelPage::SelectAllRows() {
    if (m_view->count == 0) return;
    ui->ChGrid->selectRange(1, m_view->count, m_view->count);
}

void ChannelPage::MoveSelectedRows(int from, int to) {
    if (to == 0) {
        RefreshChannelPage();
        ui->ChGrid->setFocus();
        return;
    }
    const auto [top, bottom] = m_savedSelection;
    if (from < top || from > bottom) {
        RefreshChannelPage();
        Reselect(to, to, to);
        m_context.ShowMessage(QStringLiteral("You must move Selection."), QStringLiteral("Move Error"));
        return;
    }
    m_context.Change(QStringLiteral("Move channels"), [&](ChannelDatabase& db) {
        MoveViewRows(db, *m_view, m_context.View().viewKind, top, bottom, to);
    });
    Render(m_context.Tables());
    Reselect(to, to, to);
}

void ChannelPage::OpenFind() {
    if (m_findField->isHidden()) {
        m_gridArea = ui->ChGrid->geometry();
        const int height = m_findField->sizeHint().height();
        ui->ChGrid->setGeometry(m_gridArea.adjusted(0, 0, 0, -(height + 4)));
        m_findField->setGeometry(m_gridArea.x(), m_gridArea.y() + m_gridArea.height() - height,
                                 m_gridArea.width(), height);
        m_findField->show();
        if (ui->ChGrid->currentIndex().isValid()) ui->ChGrid->scrollTo(ui->ChGrid->currentIndex());
    }
    m_findField->setFocus(Qt::ShortcutFocusReason);
    m_findField->selectAll();
}

void ChannelPage::FindNext() {
    if (m_findField->text().isEmpty()) {
        OpenFind();
        return;
    }
    FindFrom(ui->ChGrid->currentRow() + 1);
}

void ChannelPage::CloseFind() {
    if (m_findField->isHidden()) return;
    m_findField->hide();
    ui->ChGrid->setGeometry(m_gridArea);
    ui->ChGrid->setFocus(Qt::OtherFocusReason);
}

void ChannelPage::SelectService(int index) {
    const auto rowOf = [&] {
        const auto end = m_view->entries.begin() + m_view->count;
        const auto found = std::find(m_view->entries.begin(), end, index);
        return found == end ? 0 : static_cast<int>(found - m_view->entries.begin()) + 1;
    };
    if (index < 0 || index >= m_context.Tables().serviceCount) return;
    if (rowOf() == 0) {
        SetViewKind(m_context.View(), m_context.Tables().services[index].IsRadio() ? ServiceRecord::kKindRadio
                                                                                    : ServiceRecord::kKindTv);
        RefreshChannelPage();
    }
    ui->ChGrid->setFocus();
    if (const int row = rowOf()) ui->ChGrid->setCurrentRow(row);
}

void ChannelPage::FindFrom(int row) {
    if (!m_gridFilled) return;
    const int found = FindInView(m_context.Tables(), *m_view, row, ToBytes(m_findField->text()));
    if (found > 0 && found != ui->ChGrid->currentRow()) ui->ChGrid->setCurrentRow(found);
}

bool ChannelPage::GridKey(QKeyEvent* event) {
    // The popup menu's shortcuts, should the key reach the grid itself (a disabled item takes it too).
    const QKeySequence pressed(event->keyCombination());
    for (QAction* action : m_popup->actions()) {
        if (action->shortcut() != pressed) continue;
        if (action->isEnabled()) action->trigger();
        return true;
    }
    if (event->modifiers() & Qt::ControlModifier) {
        if (event->key() != Qt::Key_A) return false;
        SelectAllRows();
        return true;
    }
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (m_gridFilled) ShowCurrentService();
        return false; // the grid moves the current row as usual
    case Qt::Key_Insert:
        if (m_view->reorderingAllowed && m_context.Tables().serviceCount < kServiceCapacity) InsertService();
        return true;
    default:
        break;
    }
    // Typing does not search the grid.
    return !event->text().isEmpty() && event->text().front().isPrint();
}

void ChannelPage::ChooseViewKind(int index) {
    SetViewKind(m_context.View(), static_cast<std::uint8_t>(index + 1));
    RefreshChannelPage();
    ui->ChGrid->setFocus();
}

void ChannelPage::ChooseSatelliteFilter(int index) {
    SetSatelliteChoice(m_context.View(), *m_view, index,
                       static_cast<std::uint8_t>(ui->RadioGroup7->itemIndex() + 1));
    RefreshChannelPage();
    ui->ChGrid->setFocus();
}

void ChannelPage::ChooseSortOrder(int index) {
    SetSortOrder(m_context.View(), static_cast<std::uint8_t>(index));
    RefreshChannelPage();
    ui->ChGrid->setFocus();
}

void ChannelPage::ChooseAdditionalValue(int index) {
    SetAdditionalChoice(m_context.View(), *m_view, index);
    RefreshChannelPage();
    ui->ChGrid->setFocus();
}

} // namespace tcn
