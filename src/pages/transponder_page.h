#pragma once
// The "TransponderPage" tab page (being written).

#include "editor_page.h"

namespace tcn {

class TransponderPage : public EditorPage {
    Q_OBJECT

  public:
    TransponderPage(PageContext& context, QWidget* parent = nullptr);
    void Render() override;
};

} // namespace tcn
