#include "transponder_page.h"

namespace tcn {

TransponderPage::TransponderPage(PageContext& context, QWidget* parent) : EditorPage(context, parent) {}

void TransponderPage::Render() {}

} // namespace tcn
