#include "tform2.h"

namespace tcn {

TForm2::TForm2(const ChannelDatabase& db, QWidget* parent) : QDialog(parent), m_db(db) {}

} // namespace tcn
