#include "satellite_page.h"

namespace tcn {

SatellitePage::SatellitePage(PageContext& context, QWidget* parent) : EditorPage(context, parent) {}

void SatellitePage::Render() {}

} // namespace tcn
