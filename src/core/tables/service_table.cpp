#include "tables/service_table.h"

namespace tcn {

namespace {

std::size_t UsedServices(const ChannelDatabase& db) {
    return std::min<std::size_t>(db.serviceCount, kServiceCapacity);
}

// Zero-fills `clear` bytes at `off`, copies at most `max` characters of `text` there and ends them with a
// zero byte, which for a text of `max` characters lies just behind the cleared bytes.
void PutTerminatedText(ServiceRecord& rec, std::size_t off, std::size_t max, std::string_view text) {
    rec.SetText(off, max, max, text);
    rec.SetU8(off + std::min(text.size(), max), 0);
}

} // namespace

void ClearServiceTable(ChannelDatabase& db) {
    db.services.fill(EmptyServiceSlot());
    db.serviceCount = 0;
}

ServiceRecord GetService(const ChannelDatabase& db, std::size_t i) {
    if (i >= UsedServices(db)) return EmptyServiceSlot();
    return db.services[i];
}

bool AppendService(ChannelDatabase& db, const ServiceRecord& rec) {
    if (db.serviceCount >= kServiceCapacity) return false;
    db.services[db.serviceCount] = rec;
    ++db.serviceCount;
    return true;
}

void ReplaceService(ChannelDatabase& db, std::size_t i, const ServiceRecord& rec) {
    if (i >= UsedServices(db)) return;
    db.services[i] = rec;
}

void ApplyServiceEdit(ChannelDatabase& db, std::size_t i, const ServiceEdit& edit) {
    if (i >= UsedServices(db)) return;
    ServiceRecord rec = db.services[i];
    if (edit.name) PutTerminatedText(rec, ServiceRecord::kName, ServiceRecord::kNameMax, *edit.name);
    if (edit.provider) PutTerminatedText(rec, ServiceRecord::kProvider, ServiceRecord::kProviderMax, *edit.provider);
    rec.SetKind(edit.radio ? ServiceRecord::kKindRadio : ServiceRecord::kKindTv);
    rec.SetServiceId(edit.serviceId);
    // A PID that does not fit 13 bits is skipped on its own; the rest of the edit still applies.
    if (edit.videoPid <= kMaxPid) rec.SetVideoPid(static_cast<std::uint16_t>(edit.videoPid));
    if (edit.audioPid <= kMaxPid) rec.SetAudioPid(static_cast<std::uint16_t>(edit.audioPid));
    if (edit.pcrPid <= kMaxPid) rec.SetPcrPid(static_cast<std::uint16_t>(edit.pcrPid));
    const std::uint8_t flags = rec.Flags() & static_cast<std::uint8_t>(~ServiceRecord::kScrambledBit);
    rec.SetFlags(edit.scrambled ? static_cast<std::uint8_t>(flags | ServiceRecord::kScrambledBit) : flags);
    db.services[i] = rec;
}

void DeleteService(ChannelDatabase& db, std::size_t i) {
    const std::size_t count = UsedServices(db);
    if (i >= count) return;
    if (count == 1) {
        ClearServiceTable(db);
        return;
    }
    std::copy(db.services.begin() + static_cast<std::ptrdiff_t>(i + 1),
              db.services.begin() + static_cast<std::ptrdiff_t>(count),
              db.services.begin() + static_cast<std::ptrdiff_t>(i));
    db.services[count - 1] = EmptyServiceSlot();
    db.serviceCount = static_cast<std::uint16_t>(count - 1);
}

void MoveService(ChannelDatabase& db, std::size_t a, std::size_t b) {
    const std::size_t count = UsedServices(db);
    if (a >= count || b >= count || a == b) return;
    const auto at = [&db](std::size_t k) { return db.services.begin() + static_cast<std::ptrdiff_t>(k); };
    if (a > b)
        std::rotate(at(b), at(a), at(a + 1));
    else
        std::rotate(at(a), at(a + 1), at(b + 1));
}

void DeleteServicesOnTransponder(ChannelDatabase& db, std::uint16_t t) {
    RemoveServicesIf(db, [t](const ServiceRecord& rec) { return rec.Transponder() == t; });
}

void RemapServiceTransponders(ChannelDatabase& db,
                              const std::array<std::uint16_t, kTransponderCapacity>& map) {
    const std::size_t count = UsedServices(db);
    for (std::size_t i = 0; i < count; ++i) {
        ServiceRecord& rec = db.services[i];
        const std::uint16_t link = rec.Transponder();
        rec.SetTransponder(link < kTransponderCapacity ? map[link] : kNoTransponder);
    }
}

void RenumberServices(ChannelDatabase& db) {
    const std::size_t count = UsedServices(db);
    for (std::size_t i = 0; i < count; ++i)
        db.services[i].SetNumber(static_cast<std::uint16_t>(i));
}

void ToggleServiceLock(ChannelDatabase& db, std::size_t i) {
    if (i >= UsedServices(db)) return;
    ServiceRecord& rec = db.services[i];
    rec.SetFlags(static_cast<std::uint8_t>(rec.Flags() ^ ServiceRecord::kLockedBit));
}

ServiceRecord NewServiceRecord(const ChannelDatabase& db, std::uint16_t transponder, std::uint8_t kind) {
    ServiceRecord rec; // all zero
    rec.SetNumber(db.serviceCount);
    rec.SetText(ServiceRecord::kProvider, 0, ServiceRecord::kProviderMax, "Noname");
    rec.SetText(ServiceRecord::kName, 0, ServiceRecord::kNameMax, "Noname");
    rec.SetKind(kind);
    rec.SetTransponder(transponder);
    return rec;
}

} // namespace tcn
