// Editing, then saving. The input chooses a starting file (the demo database, a generated database, an
// empty one, or a channel file carried in the input itself) and then a sequence of table operations with
// their arguments, indices outside the tables included. After every operation the tables must keep their
// shape; at the end, and at any "save" in the sequence, the saved file must load back as the same tables.

#include "fuzz_support.h"

#include "demo_database.h"

#include "actions/favourite_actions.h"
#include "actions/satellite_actions.h"
#include "actions/transponder_actions.h"
#include "channelfile/file_format.h"
#include "tables/favourite_groups.h"
#include "tables/satellite_table.h"
#include "tables/service_table.h"
#include "tables/transponder_table.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace tcn;
using namespace tcn::fuzz;

const char* const kPath = "/f/X.TCN";
constexpr int kOperationLimit = 48;

// Files of the built-in starting databases, made once.
const Bytes& DemoFile(bool full) {
    static const Bytes small =
        BuildChannelFileImage(*std::make_unique<ChannelDatabase>(BuildDemoDatabase(false)));
    static const Bytes large =
        BuildChannelFileImage(*std::make_unique<ChannelDatabase>(BuildDemoDatabase(true)));
    return full ? large : small;
}

// The starting file the input asks for. A file carried in the input gets consistent checksums; when it
// still does not load, the small demo is used instead.
Bytes StartingFile(FuzzedDataProvider& in) {
    const std::uint8_t pick = in.ConsumeIntegral<std::uint8_t>();
    switch (pick % 8) {
    case 0:
        return BuildChannelFileImage(ChannelDatabase());
    case 1:
    case 2: {
        const std::uint32_t seed = in.ConsumeIntegral<std::uint32_t>();
        const std::size_t transponders = in.ConsumeIntegralInRange<std::size_t>(0, 300);
        const std::size_t services = in.ConsumeIntegralInRange<std::size_t>(0, 400);
        return BuildChannelFileImage(*GeneratedDatabase(seed, transponders, services));
    }
    case 3: {
        Bytes carried = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 64 * 1024));
        FixUpChecksums(carried);
        return carried;
    }
    case 4:
        // The database filled to every capacity, now and then: it is slow to save.
        if (pick >= 0xE0) return DemoFile(true);
        [[fallthrough]];
    default:
        return DemoFile(false);
    }
}

// An index into a table of `count` entries: mostly inside or just past the end, sometimes anywhere.
std::size_t Index(FuzzedDataProvider& in, std::size_t count) {
    if (in.ConsumeIntegralInRange<int>(0, 15) == 0) return in.ConsumeIntegral<std::uint16_t>();
    return in.ConsumeIntegralInRange<std::size_t>(0, count);
}

std::size_t Group(FuzzedDataProvider& in) {
    return in.ConsumeIntegralInRange<std::size_t>(0, kFavouriteGroupCount); // 5 is outside
}

// The shape every operation keeps: counts within the tables, empty service slots behind the count.
void CheckShape(const ChannelDatabase& db) {
    Require(db.transponderCount <= kTransponderCapacity, "transponder count beyond the table");
    Require(db.serviceCount <= kServiceCapacity, "service count beyond the table");
    Require(db.satelliteCount <= kSatelliteCapacity, "satellite count beyond the table");
    // One comparison with a table of empty slots: comparing slot by slot is slow under the sanitizers.
    static const auto* const empty = [] {
        auto* slots = new std::array<ServiceRecord, kServiceCapacity>();
        slots->fill(EmptyServiceSlot());
        return slots;
    }();
    const std::size_t used = db.serviceCount;
    Require(std::memcmp(db.services.data() + used, empty->data() + used,
                        (kServiceCapacity - used) * sizeof(ServiceRecord)) == 0,
            "a service slot behind the count is not empty");
    for (std::size_t g = 0; g < kFavouriteGroupCount; ++g)
        Require(FavouriteGroupCount(db, g) <= kFavouriteCapacity, "a favourite group beyond 200");
}

SatelliteEdit MakeSatelliteEdit(FuzzedDataProvider& in) {
    SatelliteEdit edit;
    if (in.ConsumeBool()) edit.name = in.ConsumeRandomLengthString(24);
    edit.position = in.ConsumeIntegralInRange<std::uint32_t>(0, 70000);
    const int orientation = in.ConsumeIntegralInRange<int>(0, 2);
    if (orientation > 0) edit.orientation = orientation == 1 ? Orientation::West : Orientation::East;
    edit.lnbType = in.ConsumeIntegralInRange<std::uint8_t>(0, 3);
    edit.lnbLow = in.ConsumeIntegralInRange<std::uint32_t>(0, 70000);
    edit.lnbHigh = in.ConsumeIntegralInRange<std::uint32_t>(0, 70000);
    if (in.ConsumeBool()) edit.diseqcType = in.ConsumeIntegralInRange<std::uint8_t>(0, 6);
    edit.diseqcPort = in.ConsumeIntegralInRange<std::uint8_t>(0, 4);
    return edit;
}

ServiceEdit MakeServiceEdit(FuzzedDataProvider& in) {
    ServiceEdit edit;
    if (in.ConsumeBool()) edit.name = in.ConsumeRandomLengthString(40);
    if (in.ConsumeBool()) edit.provider = in.ConsumeRandomLengthString(30);
    edit.radio = in.ConsumeBool();
    edit.serviceId = in.ConsumeIntegral<std::uint16_t>();
    edit.videoPid = in.ConsumeIntegralInRange<std::uint32_t>(0, 0x2100);
    edit.audioPid = in.ConsumeIntegralInRange<std::uint32_t>(0, 0x2100);
    edit.pcrPid = in.ConsumeIntegralInRange<std::uint32_t>(0, 0x2100);
    edit.scrambled = in.ConsumeBool();
    return edit;
}

// Applies one operation chosen by the input. Returns false when the input asked to save and reopen.
bool ApplyOne(FuzzedDataProvider& in, ChannelDatabase& db) {
    switch (in.ConsumeIntegralInRange<int>(0, 27)) {
    case 0:
        AddSatellite(db);
        break;
    case 1: {
        const std::size_t index = Index(in, db.satelliteCount);
        ApplySatelliteEdit(db, index, MakeSatelliteEdit(in));
        break;
    }
    case 2:
        AddTransponder(db, static_cast<std::uint8_t>(Index(in, db.satelliteCount)));
        break;
    case 3: {
        const std::size_t index = Index(in, db.transponderCount);
        const auto mhz = in.ConsumeIntegralInRange<std::uint32_t>(0, 5'000'000);
        const auto symbolRate = in.ConsumeIntegral<std::uint16_t>();
        const auto fec = in.ConsumeIntegral<std::uint8_t>();
        ApplyTransponderEdit(db, index, mhz, symbolRate, fec, in.ConsumeIntegral<std::uint8_t>());
        break;
    }
    case 4: {
        std::vector<std::uint16_t> indices(in.ConsumeIntegralInRange<std::size_t>(0, 6));
        for (auto& i : indices)
            i = static_cast<std::uint16_t>(Index(in, db.transponderCount));
        DeleteTransponders(db, indices);
        break;
    }
    case 5:
        CompactTransponderTable(db);
        break;
    case 6: {
        const std::size_t index = Index(in, db.serviceCount);
        ApplyServiceEdit(db, index, MakeServiceEdit(in));
        break;
    }
    case 7:
        DeleteService(db, Index(in, db.serviceCount));
        break;
    case 8: {
        const std::size_t a = Index(in, db.serviceCount);
        MoveService(db, a, Index(in, db.serviceCount));
        break;
    }
    case 9: {
        const auto transponder = static_cast<std::uint16_t>(Index(in, db.transponderCount));
        const std::uint8_t kind = in.ConsumeBool() ? ServiceRecord::kKindTv : ServiceRecord::kKindRadio;
        AppendService(db, NewServiceRecord(db, transponder, kind));
        break;
    }
    case 10:
        ToggleServiceLock(db, Index(in, db.serviceCount));
        break;
    case 11:
    case 12: {
        // As the favourites page adds: only services not yet in the group.
        const ServiceRecord service = GetService(db, Index(in, db.serviceCount));
        const std::size_t group = Group(in);
        if (!IsFavourite(db, service.Number(), group)) AddFavourite(db, service, group);
        break;
    }
    case 13: {
        // Straight through, duplicates included.
        const ServiceRecord service = GetService(db, Index(in, db.serviceCount));
        AddFavourite(db, service, Group(in));
        break;
    }
    case 14: {
        const ServiceRecord service = GetService(db, Index(in, db.serviceCount));
        RemoveFavourite(db, service, Group(in));
        break;
    }
    case 15: {
        const std::size_t group = Group(in);
        const std::size_t count = group < kFavouriteGroupCount ? FavouriteGroupCount(db, group) : 0;
        const std::size_t from = Index(in, count);
        MoveFavourite(db, from, Index(in, count), group);
        break;
    }
    case 16:
        ClearFavouriteGroup(db, Group(in));
        break;
    case 17: {
        const std::size_t group = Group(in);
        SetFavouriteGroupName(db, group, in.ConsumeRandomLengthString(24));
        break;
    }
    case 18:
        ResolveFavourites(db);
        break;
    case 19:
        DeleteServicesOnTransponder(db, static_cast<std::uint16_t>(Index(in, db.transponderCount)));
        break;
    case 20:
        RenumberServices(db);
        break;
    case 21:
        CountSatellites(db);
        break;
    case 22: {
        const std::size_t index = Index(in, db.serviceCount);
        ServiceRecord rec = GetService(db, Index(in, db.serviceCount));
        ReplaceService(db, index, rec);
        break;
    }
    // The actions of the pages that are more than one table operation, with rows as a grid counts them.
    case 23: {
        const std::size_t group = Group(in);
        const int top = in.ConsumeIntegralInRange<int>(-1, 202), bottom = in.ConsumeIntegralInRange<int>(-1, 202);
        MoveFavouriteRows(db, group, top, bottom, in.ConsumeIntegralInRange<int>(-1, 202));
        break;
    }
    case 24: {
        const std::size_t group = Group(in);
        const int top = in.ConsumeIntegralInRange<int>(-1, 202);
        RemoveFavouriteRows(db, group, top, in.ConsumeIntegralInRange<int>(-1, 202));
        break;
    }
    case 25: {
        const auto satellite = static_cast<std::uint8_t>(Index(in, db.satelliteCount));
        const int top = in.ConsumeIntegralInRange<int>(-1, 202);
        DeleteTransponderRows(db, satellite, top, in.ConsumeIntegralInRange<int>(-1, 202));
        break;
    }
    case 26: {
        const SatelliteRecord model = ReadSatellite(db, Index(in, db.satelliteCount));
        AddSatelliteLike(db, EditShowing(model, in.ConsumeBool() ? std::optional(Orientation::East) : std::nullopt));
        break;
    }
    default:
        return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    MemoryFileSystem files;
    files.Put(kPath, StartingFile(in));
    ChannelFileSession session(files);
    CountingReporter reporter;
    if (session.Open(kPath, reporter).status != LoadStatus::Loaded) {
        // Only a file carried in the input may be refused; fall back to the demo.
        files.Put(kPath, DemoFile(false));
        Require(session.Open(kPath, reporter).status == LoadStatus::Loaded,
                "a built-in starting file does not load");
    }
    CheckShape(session.Database());

    for (int op = 0; op < kOperationLimit && in.remaining_bytes() > 0; ++op) {
        if (!ApplyOne(in, session.Database())) {
            // Save, then carry on editing the new file, as a user who reopens what they saved.
            SaveAndCheck(session, files, /*compareWithImage=*/false);
            const std::string saved = session.Context().NewFilePath;
            CountingReporter again;
            if (session.Open(saved, again).status != LoadStatus::Loaded) return 0; // a Level[10] save
        }
        CheckShape(session.Database());
    }
    SaveAndCheck(session, files, /*compareWithImage=*/false);
    return 0;
}
