// The CSV export: quoting as RFC 4180 has it, and every kind of field read back by an independent
// RFC 4180 reader as the text it stands for.

#include "exchange/csv_export.h"
#include "support/db_builders.h"
#include "tables/favourite_groups.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

namespace tcn {
namespace {

using Records = std::vector<std::vector<std::string>>;

// A strict RFC 4180 reader: records end in CR LF, a field is either plain (no quote, comma, CR or LF) or
// quoted with its quotes doubled. Throws on anything else.
Records ParseCsv(std::string_view text) {
    Records records;
    std::vector<std::string> record;
    std::size_t i = 0;
    while (i < text.size()) {
        std::string field;
        if (text[i] == '"') {
            for (++i;; ++i) {
                if (i >= text.size()) throw std::runtime_error("unterminated quoted field");
                if (text[i] != '"') {
                    field += text[i];
                } else if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
        } else {
            while (i < text.size() && text[i] != ',' && text[i] != '\r') {
                if (text[i] == '"' || text[i] == '\n') throw std::runtime_error("bare quote or line feed");
                field += text[i++];
            }
        }
        record.push_back(std::move(field));
        if (i < text.size() && text[i] == ',') {
            ++i;
        } else if (text.substr(i, 2) == "\r\n") {
            i += 2;
            records.push_back(std::move(record));
            record.clear();
        } else {
            throw std::runtime_error("a field must end in a comma or CR LF");
        }
    }
    if (!record.empty()) throw std::runtime_error("the last record has no CR LF");
    return records;
}

TEST(CsvField, QuotesOnlyWhatNeedsQuotingAndDoublesQuotes) {
    EXPECT_EQ(CsvField(""), "");
    EXPECT_EQ(CsvField("Das Erste HD"), "Das Erste HD");
    EXPECT_EQ(CsvField(" padded "), " padded ");
    EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField("\""), "\"\"\"\"");
    EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(CsvField("cr\r"), "\"cr\r\"");
    EXPECT_EQ(CsvRecord({"a", "", "b,c"}), "a,,\"b,c\"\r\n");
}

TEST(CsvField, EveryAwkwardTextRoundTrips) {
    const std::vector<std::string> fields = {"",   "plain", "a,b", "\"",    "\"\"", "x\r\ny",
                                             "\r", "\n",    ",,,", "end\"", " sp ", "caf\xC3\xA9"};
    EXPECT_EQ(ParseCsv(CsvRecord(fields)), Records{fields});
}

// One TV service with every field kind filled, and one radio service without a transponder.
std::unique_ptr<ChannelDatabase> AwkwardList() {
    auto db = test::NewDatabase();
    test::PutSatellite(*db, 0, test::MakeSatellite("Astra \"1\", ber\xFChmt", 192, 0x80));
    db->satelliteCount = 1;
    test::PushTransponder(*db, test::MakeTransponder(0, 11778500, 27500, 0x08 | 3)); // V, FEC 3/4

    ServiceRecord tv = test::MakeService(0, 0, "Caf\xE9 \"Noir\", Paris\nLive");
    tv.SetText(ServiceRecord::kProvider, ServiceRecord::kProviderMax, ServiceRecord::kProviderMax,
               "T\xE9l\xE9,\r1");
    tv.SetServiceId(65535);
    tv.SetVideoPid(8191);
    tv.SetAudioPid(0);
    tv.SetPcrPid(100);
    tv.SetU8(ServiceRecord::kCa + 0, 5);
    tv.SetU8(ServiceRecord::kCa + 2, 77); // a code without a name
    tv.SetU8(ServiceRecord::kCa + 3, 24);
    tv.SetText(ServiceRecord::kLanguage, 4, 3, "fr\xE4");
    tv.SetFlags(0xFF); // locked, scrambled and every other bit
    test::PushService(*db, tv);
    test::PushService(*db, test::MakeService(1, kNoTransponder, "", ServiceRecord::kKindRadio));
    test::SetGroupEntries(*db, 1, {0});
    test::SetGroupEntries(*db, 4, {1, 0});
    return db;
}

TEST(ServiceCsv, EachFieldKindReadsBackAsItsText) {
    const auto db = AwkwardList();
    std::ostringstream out;
    WriteServicesCsv(*db, out);
    const Records records = ParseCsv(out.str());
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], ServiceCsvHeader());

    const std::vector<std::string> tv = {"0",
                                         "Caf\xC3\xA9 \"Noir\", Paris\nLive",
                                         "T\xC3\xA9l\xC3\xA9,\r1",
                                         "TV",
                                         "Astra \"1\", ber\xC3\xBChmt  19.2  E",
                                         "11778",
                                         "V",
                                         "27500",
                                         "3/4",
                                         "65535",
                                         "8191",
                                         "0",
                                         "100",
                                         "Viaccess; CaID 77; Nagravision",
                                         "fr\xC3\xA4",
                                         "1",
                                         "1",
                                         "0",
                                         "1",
                                         "0",
                                         "0",
                                         "1"};
    EXPECT_EQ(records[1], tv);
    const std::vector<std::string> radio = {"1", "",  "", "Radio", "",  "",  "",  "",  "",  "0", "0",
                                            "0", "0", "", "",      "0", "0", "0", "0", "0", "0", "1"};
    EXPECT_EQ(records[2], radio);
    EXPECT_EQ(records[1].size(), records[0].size());
}

} // namespace
} // namespace tcn
