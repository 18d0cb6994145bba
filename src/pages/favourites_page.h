#pragma once
// The "FavouritesPage" tab page (being written).

#include "editor_page.h"

namespace tcn {

class FavouritesPage : public EditorPage {
    Q_OBJECT

  public:
    FavouritesPage(PageContext& context, QWidget* parent = nullptr);
    void Render() override;
};

} // namespace tcn
