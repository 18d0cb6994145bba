#include "favourites_page.h"

#include "actions/favourite_actions.h"
#include "actions/page_visits.h"
#include "latin1_validator.h"
#include "radio_group.h"
#include "string_grid.h"
#include "tables/favourite_groups.h"
#include "tables/service_table.h"
#include "ui_favourites_page.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

#include <algorithm>
#include <array>

namespace tcn {

namespace {

// A group name holds 20 bytes; a 20-character name has no terminating zero.
constexpr int kGroupNameLength = 20;
// The undo steps of renaming group g carry this key plus g, so that one burst of typing is one step.
constexpr int kRenameStepKey = 100;

} // namespace

FavouritesPage::FavouritesPage(PageContext& context, QWidget* parent)
    : EditorPage(context, parent), ui(std::make_unique<Ui::FavouritesPage>()) {
    ui->setupUi(this);

    m_grid = new TableGridModel(
        {QStringLiteral("Num."), QStringLiteral("Name")}, true, [this] { return m_shownCount; },
        [this](int row, int column) {
            if (column == 0) return QString::number(row);
            const ChannelDatabase& db = m_context.Tables();
            return FromBytes(GetService(db, FavouriteEntry(db, m_currentGroup, static_cast<std::size_t>(row - 1))).Name());
        },
        this);
    ui->FavGrid->setColumns(m_grid, {40, 371});

    m_popupMenu2 = new QMenu(this);
    m_popupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    m_favDelete = new QAction(QStringLiteral("Delete Selected"), this);
    m_favDelete->setObjectName(QStringLiteral("FavDelete"));
    m_favDelete->setShortcut(QKeySequence(Qt::Key_Delete));
    m_favDelete->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_favDelete->setEnabled(false);
    m_popupMenu2->addAction(m_favDelete);
    // On the grid as well, so that Del reaches the action while the grid has the focus.
    ui->FavGrid->addAction(m_favDelete);

    const std::array<QLineEdit*, kFavouriteGroupCount> edits{ui->Edit2, ui->Edit3, ui->Edit4, ui->Edit5,
                                                             ui->Edit6};
    for (std::size_t g = 0; g < edits.size(); ++g) {
        MakeLatin1Field(edits[g], kGroupNameLength);
        // textEdited, not textChanged: filling the page must not rewrite a name field, which could hold
        // bytes behind its terminating zero that nobody edited.
        connect(edits[g], &QLineEdit::textEdited, this, [this, g](const QString& text) { RenameGroup(g, text); });
        // Leaving the field (or Enter) ends the burst of typing.
        connect(edits[g], &QLineEdit::editingFinished, this, [this] { m_context.History().EndBurst(); });
    }

    connect(ui->RadioGroup11, &RadioGroup::itemClicked, this, &FavouritesPage::ChooseGroup);
    connect(ui->FavGrid, &StringGrid::cellClicked, this, &FavouritesPage::RecordSelection);
    connect(ui->FavGrid, &StringGrid::rowMoved, this, &FavouritesPage::MoveRecordedRows);
    connect(m_favDelete, &QAction::triggered, this, &FavouritesPage::DeleteSelected);
    connect(ui->FavGrid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_popupMenu2->popup(ui->FavGrid->viewport()->mapToGlobal(pos)); });
    ui->FavGrid->keyHandler = [this](QKeyEvent* event) { return GridKey(event); };
}

FavouritesPage::~FavouritesPage() = default;

void FavouritesPage::Render(const ChannelDatabase& db) {
    ui->RadioGroup11->setItemIndex(static_cast<int>(m_currentGroup));

    const std::array<QLineEdit*, kFavouriteGroupCount> edits{ui->Edit2, ui->Edit3, ui->Edit4, ui->Edit5,
                                                             ui->Edit6};
    const std::array<QLabel*, kFavouriteGroupCount> lines{
        ui->StaticText13, ui->StaticText14, ui->StaticText15, ui->StaticText16, ui->StaticText17};
    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g) {
        edits[g]->setText(FromBytes(FavouriteGroupName(db, g)));
        // The real capacity of a group, so that the line tells how many more can be added.
        lines[g]->setText(QStringLiteral("Fav%1 List Contains: %2 / %3")
                              .arg(g + 1)
                              .arg(FavouriteGroupCount(db, g))
                              .arg(kFavouriteCapacity));
    }

    m_shownCount = FavouriteGroupCount(db, m_currentGroup);
    m_gridFilled = false;
    StringGrid* grid = ui->FavGrid;
    m_grid->Refill();
    grid->setEnabled(true);
    grid->setRowMoving(m_shownCount > 0);
    m_favDelete->setEnabled(m_shownCount > 0);
    if (m_shownCount == 0) return;
    grid->setCurrentRow(1);
    m_gridFilled = true;
    grid->setFocus();
}

void FavouritesPage::RefillAt(int row) {
    m_context.Prepare(PrepareFavouritesPage);
    Render(m_context.Tables());
    ui->FavGrid->setFocus();
    if (row >= 1) ui->FavGrid->setCurrentRow(row);
}

void FavouritesPage::ChooseGroup(int index) {
    if (index < 0 || index >= static_cast<int>(kFavouriteGroupCount)) return;
    m_currentGroup = static_cast<std::size_t>(index);
    m_context.Prepare(PrepareFavouritesPage);
    Render(m_context.Tables());
}

void FavouritesPage::SelectMember(int group, int index) {
    if (group != static_cast<int>(m_currentGroup)) ChooseGroup(group);
    for (int row = 1; row <= m_shownCount; ++row)
        if (FavouriteEntry(m_context.Tables(), m_currentGroup, static_cast<std::size_t>(row - 1)) == index) {
            ui->FavGrid->setCurrentRow(row);
            ui->FavGrid->setFocus();
            return;
        }
}

void FavouritesPage::RenameGroup(std::size_t group, const QString& text) {
    // The keystrokes of one burst of typing in a name are one step.
    m_context.Change(
        QStringLiteral("Rename Fav%1").arg(group + 1),
        [&](ChannelDatabase& db) { SetFavouriteGroupName(db, group, ToBytes(text)); },
        kRenameStepKey + static_cast<int>(group));
}

void FavouritesPage::RecordSelection() {
    if (m_gridFilled) m_recordedSelection = ui->FavGrid->selectedRange();
}

void FavouritesPage::MoveRecordedRows(int from, int to) {
    // A drop on the header row names no position; taken as a block move it would tear the block apart
    // (its first entry would go nowhere and the rest to the top), so it only puts the grid back.
    if (to < 1) {
        RefillAt(0);
        return;
    }
    const auto [top, bottom] = m_recordedSelection;
    if (from < top || from > bottom) {
        RefillAt(to);
        m_context.ShowMessage(QStringLiteral("You must move Selection."), QStringLiteral("Move Error"));
        return;
    }
    // A selection recorded in a longer group may reach past the rows shown now; only shown rows move.
    m_context.Change(QStringLiteral("Move favourites"), [&](ChannelDatabase& db) {
        MoveFavouriteRows(db, m_currentGroup, top, std::min(bottom, m_shownCount), to);
    });
    Render(m_context.Tables());
    ui->FavGrid->setFocus();
    ui->FavGrid->setCurrentRow(to);
}

bool FavouritesPage::GridKey(QKeyEvent* event) {
    if (event->key() == Qt::Key_A && (event->modifiers() & Qt::ControlModifier)) {
        if (m_shownCount > 0) ui->FavGrid->selectRange(1, m_shownCount, m_shownCount);
        return true;
    }
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        m_favDelete->trigger(); // does nothing while the action is disabled
        return true;
    }
    return false;
}

void FavouritesPage::DeleteSelected() {
    if (m_shownCount == 0) return;
    const auto [top, bottom] = ui->FavGrid->selectedRange();
    if (top < 1) return;
    m_context.Change(QStringLiteral("Delete favourites"), [&](ChannelDatabase& db) {
        RemoveFavouriteRows(db, m_currentGroup, top, std::min(bottom, m_shownCount));
    });
    Render(m_context.Tables());
    ui->FavGrid->setFocus();
    const int left = FavouriteGroupCount(m_context.Tables(), m_currentGroup);
    if (left >= 2) ui->FavGrid->setCurrentRow(std::min(top, left));
}

} // namespace tcn
