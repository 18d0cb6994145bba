#pragma once
// The "ChannelPage" tab page (being written).

#include "editor_page.h"

namespace tcn {

class ChannelPage : public EditorPage {
    Q_OBJECT

  public:
    ChannelPage(PageContext& context, QWidget* parent = nullptr);
    void Render() override;
};

} // namespace tcn
