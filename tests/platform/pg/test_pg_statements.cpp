// The Parts' statements, built by the real builders, give the same answers on the server as on
// SQLite: the proposals, the replace, the list sources and the job and machine lookups.
#include "dialogs/next_value_query.h"
#include "dialogs/replace_column.h"
#include "jobdata/mdlDatabase.h"
#include "pg_job_db.h"
#include "platform/data_source.h"

namespace kx::test {
namespace {

using Strings = std::vector<std::string>;

class PgStatements : public PgJobDbTest {
 protected:
  void SetUp() override {
    Both([&] {
      for (const auto& [f, p] : std::vector<std::pair<Cell, Cell>>{{"AB13", "0012"},
                                                                   {"ab14", "13"},
                                                                   {"AB16", "5"},
                                                                   {"AB", "AB15"},
                                                                   {"AC1", "ab17"},
                                                                   {"11", "aa9"},
                                                                   {kNull, "x"},
                                                                   {"1e1", " 8 "},
                                                                   {"Zz", "ZY"},
                                                                   {"A\"B2", "q1"}})
        AddKeys(f, p);
      AddJob({{"Filename", "J1"}, {"Material", "ST37"}, {"DataType", "5"}});
      AddJob({{"Filename", "J2"}, {"Material", "st52"}, {"DataType", "0"}});
      AddJob({{"Filename", "J3"}, {"Material", ""}, {"Machineset", "s1"}});
      AddJob({{"Filename", "J4"}, {"Material", kNull}, {"Machineset", "S1"}});
      AddJob({{"Filename", "J5"}, {"Material", "Alu"}, {"Machineset", "S2"}});
      AddJob({{"Filename", "J6"}, {"Material", "[x]*?#9 Ä"}});
      for (const char* m : {"Trumpf", "amada", "Bystronic"}) AddMachine(m, {{"KelbDirectory", "D:\\Jobs"}});
    });
  }
};

TEST_F(PgStatements, ProposalsAreTheSame) {
  for (const std::int16_t synchron : {0, 1, 2}) {
    for (const std::int16_t type : {1, 2}) {
      const auto [sqlite, pg] = OnEach([&] { return GetNewStrMaxValue(path_, synchron, type, 4); });
      EXPECT_EQ(pg, sqlite) << "type " << type << ", synchron " << synchron;
    }
    for (const char* start : {"AB12", "ab", "0011", "", "AC", "A\"B1", "Z"}) {
      const auto [sqlite, pg] = OnEach([&] { return GetNewStrNextValue(path_, start, synchron, 4); });
      EXPECT_EQ(pg, sqlite) << "start " << start << ", synchron " << synchron;
    }
  }
  // Spot checks, so a fault shared by both engines shows too.
  EXPECT_EQ(GetNewStrMaxValue(path_, 1, 2, 0), "12");
  EXPECT_EQ(GetNewStrNextValue(path_, "AB12", 1, 0), "AB15");
}

TEST_F(PgStatements, ReplaceCountsAndUpdatesTheSameJobs) {
  for (const char* pattern : {"ST*", "st##", "S?", "[a-c]*", "[!s]*", "", "ST%", "S_", "alu", "[[]X]*",
                              "*[*][?][#]#*", "[!]x]*", "*[]ä", "?X[a-]*", "[]*"}) {
    const auto [sqlite, pg] = OnEach([&] { return CountMatching(path_, "Material", pattern); });
    EXPECT_EQ(pg, sqlite) << pattern;
  }
  // A number column against a text pattern and the empty pattern.
  for (const char* pattern : {"5", "", "0", "x"}) {
    const auto [sqlite, pg] = OnEach([&] { return CountMatching(path_, "DataType", pattern); });
    EXPECT_EQ(pg, sqlite) << pattern;
  }
  const auto [sqlite, pg] = OnEach([&] {
    const long n = ReplaceMatching(path_, "Material", "st*", "ST37") +
                   ReplaceMatching(path_, "Material", "", "none") +
                   ReplaceMatching(path_, "Material", "alu", "");
    return std::make_pair(n, Rows("select [Material] from NcData order by [Filename]"));
  });
  EXPECT_EQ(pg, sqlite);
  EXPECT_EQ(pg.first, 15);
  EXPECT_EQ(CountMatching(path_, "Material", "*[*][?][#]#*"), 1);
}

TEST_F(PgStatements, ListSourcesAndLookupsAreTheSame) {
  const auto rowsOf = [&](const std::string& statement) {
    DataSource ds;
    ds.RecordsetType(vbRSTypeSnapShot);
    ds.DatabaseName(path_);
    ds.RecordSource(statement);
    ds.Refresh();
    Strings out;
    for (std::size_t i = 0; i < ds.RowCount(); ++i)
      out.push_back(ds.Row(i).at(0).IsNull() ? "<Null>" : ds.Row(i).at(0).ToText());
    return out;
  };
  const auto machines =
      OnEach([&] { return rowsOf("select Distinct [Machine] from machine order by [Machine] ASC"); });
  EXPECT_EQ(machines.second, machines.first);
  EXPECT_EQ(machines.second, (Strings{"amada", "Bystronic", "Trumpf"}));
  const auto sets =
      OnEach([&] { return rowsOf("select Distinct [Machineset] from data order by [Machineset] ASC"); });
  EXPECT_EQ(sets.second.size(), 3u);  // Null, s1 or S1, S2
  EXPECT_EQ(sets.second.front(), "<Null>");
  EXPECT_EQ(sets.second.back(), "S2");
  for (const std::string& statement : {GetSqlNcData("*", -1, "filename='j1'", true, "", false),
                                       GetSqlNcData("[Filename]", 5, "", false, "", false),
                                       GetSqlMachine("*", "Machine='AMADA'", true, "", false),
                                       GetSqlNcData("Filename", -1, "", false, "Filename DESC", true)}) {
    const auto [sqlite, pg] = OnEach([&] { return Rows(statement); });
    EXPECT_EQ(pg, sqlite) << statement;
  }
  // The job record reads every column by name from the row of select *.
  const auto [sqlite, pg] = OnEach([&] {
    auto db = Open();
    auto rs = db->OpenRecordset("select * from NCDATA where filename='J1'");
    return std::make_pair(rs->Fields("datatype").Value().ToText(), rs->Fields("MACHINESET").Value().IsNull());
  });
  EXPECT_EQ(pg, sqlite);
}

}  // namespace
}  // namespace kx::test
