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
    Clear();
}

void ChannelDatabase::Clear() {
    config.bytes.fill(0);
    satelliteCount = 0;
    transponders.fill(FreeTransponderSlot());
    transponderCount = 0;
    services.fill(EmptyServiceSlot());
    serviceCount = 0;
}

} // namespace tcn
