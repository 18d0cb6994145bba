#pragma once
// The "SatellitePage" tab page (being written).

#include "editor_page.h"

namespace tcn {

class SatellitePage : public EditorPage {
    Q_OBJECT

  public:
    SatellitePage(PageContext& context, QWidget* parent = nullptr);
    void Render() override;
};

} // namespace tcn
