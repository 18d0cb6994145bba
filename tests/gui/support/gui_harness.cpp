#include "gui_harness.h"

#include "channelfile/file_format.h"

#include <QAbstractItemModel>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>

namespace tcn::test {

void FakePlatform::ShowMessage(QWidget*, const QString& text, const QString& caption) {
    messages.push_back({text, caption});
}

QString FakePlatform::ChooseOpenFile(QWidget*, const QString&, const QString& startFolder, const QString&) {
    lastStartFolder = startFolder;
    return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
}

int FakePlatform::ExecChooser(TForm2& dialog) {
    ++choosersShown;
    return chooser ? chooser(dialog) : 0;
}

void FakePlatform::OpenExternal(const QUrl& url) { opened.push_back(url); }

UnsavedChoice FakePlatform::AskUnsavedChanges(QWidget*, const QString& fileName) {
    ++unsavedAsked;
    lastUnsavedFile = fileName;
    if (unsavedAnswers.empty()) return UnsavedChoice::Discard;
    const UnsavedChoice answer = unsavedAnswers.front();
    unsavedAnswers.erase(unsavedAnswers.begin());
    return answer;
}

QString FakePlatform::ChooseSaveFile(QWidget*, const QString&, const QString& suggestedPath, const QString&) {
    lastSuggestedPath = suggestedPath;
    return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
}

int FakePlatform::ExecDialog(QDialog& shown) {
    ++dialogsShown;
    return dialog ? dialog(shown) : 0;
}

GuiHarness::GuiHarness() : window(std::make_unique<TForm1>(files, platform, QStringLiteral("/work/dir"))) {
    // The help file stands in the start-up folder, as on the machines the window was made for.
    files.Put("/work/dir/Rivavad Irizov.chm", {'I', 'T', 'S', 'F'});
    window->show();
}

GuiHarness::~GuiHarness() = default;

bool GuiHarness::Load(const ChannelDatabase& db, const QString& path) {
    files.Put(path.toStdString(), BuildChannelFileImage(db));
    return OpenThroughDialog(path);
}

bool GuiHarness::OpenThroughDialog(const QString& path) {
    platform.openAnswers = QStringList{path};
    QTest::mouseClick(Find<QWidget>(QStringLiteral("Open")), Qt::LeftButton);
    return window->Session().Context().SourcePath == path.toStdString() &&
           Find<QWidget>(QStringLiteral("PageControl1"))->isEnabled();
}

void GuiHarness::ShowPage(int index) {
    auto* pages = Find<QTabWidget>(QStringLiteral("PageControl1"));
    QTabBar* bar = pages->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

QString GuiHarness::Status() const { return Find<QStatusBar>(QStringLiteral("StatusBar1"))->currentMessage(); }

QString GuiHarness::Cell(QTableView* grid, int row, int column) {
    return grid->model()->index(row - 1, column).data().toString();
}

void GuiHarness::ClickCell(QTableView* grid, int row, int column, Qt::KeyboardModifiers modifiers) {
    const QModelIndex index = grid->model()->index(row - 1, column);
    grid->scrollTo(index);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, grid->visualRect(index).center());
}

} // namespace tcn::test
