#include "tables/channel_database.h"

namespace tcn {

TransponderRecord FreeTransponderSlot() {
    TransponderRecord r;
    r.bytes.fill(0xFF);
    return r;
}

ServiceRecord EmptyServiceSlot() {
    ServiceRecord r; // all zero
    r.SetU16(ServiceRecord::kNumber, kEmptyServiceNumber);
    return r;
}

ChannelDatabase::ChannelDatabase() {
    transponders.fill(FreeTransponderSlot());
    services.fill(EmptyServiceSlot());
}

} // namespace tcn
