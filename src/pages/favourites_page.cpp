#include "favourites_page.h"

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

    m_model = new TextGridModel({QStringLiteral("Num."), QStringLiteral("Name")}, true, this);
    ui->FavGrid->setColumns(m_model, {40, 371});

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
        connect(edits[g], &QLineEdit::textEdited, this,
                [this, g](const QString& text) { GroupNameEdited(g, text); });
        // Leaving the field (or Enter) ends the burst of typing.
        connect(edits[g], &QLineEdit::editingFinished, this, [this] { m_context.History().EndBurst(); });
    }

    connect(ui->RadioGroup11, &RadioGroup::itemClicked, this, &FavouritesPage::RadioGroup11Click);
    connect(ui->FavGrid, &StringGrid::cellClicked, this, &FavouritesPage::FavGridClick);
    connect(ui->FavGrid, &StringGrid::rowMoved, this, &FavouritesPage::FavGridRowMoved);
    connect(m_favDelete, &QAction::triggered, this, &FavouritesPage::FavDeleteClick);
    connect(ui->FavGrid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_popupMenu2->popup(ui->FavGrid->viewport()->mapToGlobal(pos)); });
    ui->FavGrid->keyHandler = [this](QKeyEvent* event) { return FavGridKeyDown(event); };
}

FavouritesPage::~FavouritesPage() = default;

void FavouritesPage::Render() {
    ResolveFavourites(m_context.Db());
    FillFavouritesPage();
}

void FavouritesPage::FillFavouritesPage() {
    const ChannelDatabase& db = m_context.Db();
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
    m_model->setRows({QStringList()});
    if (m_shownCount == 0) {
        grid->setRowMoving(false);
        m_favDelete->setEnabled(false);
        grid->setEnabled(true);
        return;
    }

    QVector<QStringList> rows;
    rows.reserve(m_shownCount);
    for (int r = 1; r <= m_shownCount; ++r) {
        const ServiceRecord service = GetService(db, FavouriteEntry(db, m_currentGroup, r - 1));
        rows.append({QString::number(r), FromBytes(service.Name())});
    }
    m_model->setRows(std::move(rows));
    grid->setEnabled(true);
    grid->setRowMoving(true);
    m_favDelete->setEnabled(true);
    grid->setCurrentRow(1);
    m_gridFilled = true;
    grid->setFocus();
}

void FavouritesPage::RadioGroup11Click(int index) {
    if (index < 0 || index >= static_cast<int>(kFavouriteGroupCount)) return;
    m_currentGroup = static_cast<std::size_t>(index);
    ResolveFavourites(m_context.Db());
    FillFavouritesPage();
}

void FavouritesPage::GroupNameEdited(std::size_t group, const QString& text) {
    // The keystrokes of one burst of typing in a name are one step.
    const TableEdit step(m_context.History(), QStringLiteral("Rename Fav%1").arg(group + 1),
                         kRenameStepKey + static_cast<int>(group));
    SetFavouriteGroupName(m_context.Db(), group, ToBytes(text));
}

void FavouritesPage::FavGridClick() {
    if (m_gridFilled) m_recordedSelection = ui->FavGrid->selectedRange();
}

void FavouritesPage::RefillAt(int row) {
    ResolveFavourites(m_context.Db());
    FillFavouritesPage();
    ui->FavGrid->setFocus();
    if (row >= 1) ui->FavGrid->setCurrentRow(row);
}

void FavouritesPage::FavGridRowMoved(int from, int to) {
    const TableEdit step(m_context.History(), QStringLiteral("Move favourites"));
    // A drop on the header row names no position; taken as a block move it would tear the block apart
    // (its first entry would go nowhere and the rest to the top), so it only puts the grid back.
    if (to < 1) {
        RefillAt(0);
        return;
    }
    auto [top, bottom] = m_recordedSelection;
    if (from < top || from > bottom) {
        RefillAt(to);
        m_context.ShowMessage(QStringLiteral("You must move Selection."), QStringLiteral("Move Error"));
        return;
    }
    // A selection recorded in a longer group may reach past the rows shown now; only shown rows move.
    bottom = std::min(bottom, m_shownCount);

    ChannelDatabase& db = m_context.Db();
    if (top > to) {
        // Upwards: the block keeps its order and its first entry lands at position to - 1.
        for (int k = 0; k <= bottom - top; ++k)
            MoveFavourite(db, static_cast<std::size_t>(top - 1 + k), static_cast<std::size_t>(to - 1 + k),
                          m_currentGroup);
    } else if (top < to) {
        // Downwards: the entry now at the top of the block goes to position to - 1, once per entry, so
        // the block keeps its order and its last entry lands there.
        for (int k = 0; k <= bottom - top; ++k)
            MoveFavourite(db, static_cast<std::size_t>(top - 1), static_cast<std::size_t>(to - 1),
                          m_currentGroup);
    }
    RefillAt(to);
}

bool FavouritesPage::FavGridKeyDown(QKeyEvent* event) {
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

void FavouritesPage::FavDeleteClick() {
    const TableEdit step(m_context.History(), QStringLiteral("Delete favourites"));
    if (m_shownCount == 0) return;
    ChannelDatabase& db = m_context.Db();
    const auto [top, selectedBottom] = ui->FavGrid->selectedRange();
    if (top < 1) return;
    const int bottom = std::min(selectedBottom, m_shownCount);
    // From the bottom up, so the rows still to be removed keep their positions.
    for (int r = bottom; r >= top; --r) {
        const ServiceRecord service = GetService(db, FavouriteEntry(db, m_currentGroup, r - 1));
        RemoveFavourite(db, service, m_currentGroup);
    }
    ResolveFavourites(db);
    FillFavouritesPage();
    ui->FavGrid->setFocus();
    const int left = FavouriteGroupCount(db, m_currentGroup);
    if (left >= 2) ui->FavGrid->setCurrentRow(std::min(top, left));
}

} // namespace tcn
