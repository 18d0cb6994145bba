#include "favourites_page.h"

namespace tcn {

FavouritesPage::FavouritesPage(PageContext& context, QWidget* parent) : EditorPage(context, parent) {}

void FavouritesPage::Render() {}

} // namespace tcn
