#include "channel_page.h"

namespace tcn {

ChannelPage::ChannelPage(PageContext& context, QWidget* parent) : EditorPage(context, parent) {}

void ChannelPage::Render() {}

} // namespace tcn
