// The add-in's statements, built by the real builders, give the same answers on the server as on
// SQLite: the proposals, the replace, the list sources, the job and machine lookups and the
// grid's search.
#include "dialogs/next_value_query.h"
#include "dialogs/replace_column.h"
#include "jobdata/mdlDatabase.h"
#include "pg_job_db.h"
#include "platform/data_source.h"
#include "platform/job_table_grid.h"

namespace kx::test {
namespace {

using Strings = std::vector<std::string>;

class PgStatements : public PgJobDbTest {
 protected:
  void SetUp() override {
    Both([](const JobDatabase& d) {
      for (const auto& [f, p] : std::vector<std::pair<Variant, Variant>>{{"AB13", "0012"},
                                                                         {"ab14", "13"},
                                                                         {"AB16", "5"},
                                                                         {"AB", "AB15"},
                                                                         {"AC1", "ab17"},
                                                                         {"11", "aa9"},
                                                                         {kNull, "x"},
                                                                         {"1e1", " 8 "},
                                                                         {"Zz", "ZY"},
                                                                         {"A\"B2", "q1"}})
        d.AddKeys(f, p);
      d.AddJob({{"Filename", "J1"}, {"Material", "ST37"}, {"DataType", 5}});
      d.AddJob({{"Filename", "J2"}, {"Material", "st52"}, {"DataType", 0}});
      d.AddJob({{"Filename", "J3"}, {"Material", ""}, {"Machineset", "s1"}});
      d.AddJob({{"Filename", "J4"}, {"Material", kNull}, {"Machineset", "S1"}});
      d.AddJob({{"Filename", "J5"}, {"Material", "Alu"}, {"Machineset", "S2"}});
      d.AddJob({{"Filename", "J6"}, {"Material", "[x]*?#9 Ä"}});
      for (const char* m : {"Trumpf", "amada", "Bystronic"})
        d.AddMachine({{"Machine", m}, {"KelbDirectory", "D:\\Jobs"}});
    });
  }
};

TEST_F(PgStatements, ProposalsAreTheSame) {
  for (const std::int16_t synchron : {0, 1, 2}) {
    for (const std::int16_t type : {1, 2}) {
      const auto [sqlite, server] =
          OnEach([&](const JobDatabase& d) { return GetNewStrMaxValue(d.Path(), synchron, type, 4); });
      EXPECT_EQ(server, sqlite) << "type " << type << ", synchron " << synchron;
    }
    for (const char* start : {"AB12", "ab", "0011", "", "AC", "A\"B1", "Z"}) {
      const auto [sqlite, server] =
          OnEach([&](const JobDatabase& d) { return GetNewStrNextValue(d.Path(), start, synchron, 4); });
      EXPECT_EQ(server, sqlite) << "start " << start << ", synchron " << synchron;
    }
  }
  // Spot checks, so a fault shared by both engines shows too.
  EXPECT_EQ(GetNewStrMaxValue(pg.Path(), 1, 2, 0), "12");
  EXPECT_EQ(GetNewStrNextValue(pg.Path(), "AB12", 1, 0), "AB15");
}

TEST_F(PgStatements, ReplaceCountsAndUpdatesTheSameJobs) {
  for (const char* pattern : {"ST*", "st##", "S?", "[a-c]*", "[!s]*", "", "ST%", "S_", "alu", "[[]X]*",
                              "*[*][?][#]#*", "[!]x]*", "*[]ä", "?X[a-]*", "[]*"}) {
    const auto [sqlite, server] =
        OnEach([&](const JobDatabase& d) { return CountMatching(d.Path(), "Material", pattern); });
    EXPECT_EQ(server, sqlite) << pattern;
  }
  // A number column against a text pattern and the empty pattern.
  for (const char* pattern : {"5", "", "0", "x"}) {
    const auto [sqlite, server] =
        OnEach([&](const JobDatabase& d) { return CountMatching(d.Path(), "DataType", pattern); });
    EXPECT_EQ(server, sqlite) << pattern;
  }
  const auto [sqlite, server] = OnEach([](const JobDatabase& d) {
    const long n = ReplaceMatching(d.Path(), "Material", "st*", "ST37") +
                   ReplaceMatching(d.Path(), "Material", "", "none") +
                   ReplaceMatching(d.Path(), "Material", "alu", "");
    return std::make_pair(n, d.Rows("select [Material] from NcData order by [Filename]"));
  });
  EXPECT_EQ(server, sqlite);
  EXPECT_EQ(server.first, 15);
  EXPECT_EQ(CountMatching(pg.Path(), "Material", "*[*][?][#]#*"), 1);
}

// The grid's search is a condition in the dialect: any column's shown text (a data type's
// caption too), without case, wildcards of the search and texts with quotes, within the rows
// the grid selects.
TEST_F(PgStatements, TheGridsSearchKeepsTheSameJobs) {
  const struct {
    const char* rows;
    const char* search;
    Strings shown;  // the count without the search, then the jobs' file names
  } cases[] = {{"", "st3", {"16", "J1"}},
               {"", "REFERENZ", {"16", "J1"}},
               {"", "[*]?[#]#", {"16", "J6"}},
               {"", "\"", {"16", "A\"B2"}},
               {"", "ä", {"16", "J6"}},
               {"[Machineset] = 's1'", "j", {"2", "J3", "J4"}},
               {"[Machineset] = 's1'", "st", {"2"}}};
  for (const auto& c : cases) {
    const auto [sqlite, server] = OnEach([&](const JobDatabase& d) {
      JobTableGrid grid(d.Path(), {}, c.rows);
      grid.SetValueCaptions({{"datatype", {{"5", "Referenzelektrode"}, {"0", "Teileprogramm"}}}});
      grid.SetFilter(c.search);
      Strings shown{std::to_string(grid.TotalRows())};
      for (long r = 0; r < grid.Rows(); ++r)
        shown.push_back(grid.DisplayText(r, grid.ColumnIndex("Filename")));
      return shown;
    });
    EXPECT_EQ(sqlite, c.shown) << c.rows << " / " << c.search;
    EXPECT_EQ(server, sqlite) << c.rows << " / " << c.search;
  }
}

TEST_F(PgStatements, ListSourcesAndLookupsAreTheSame) {
  const auto rowsOf = [](const JobDatabase& d, const std::string& statement) {
    DataSource ds;
    ds.RecordsetType(vbRSTypeSnapShot);
    ds.DatabaseName(d.Path());
    ds.RecordSource(statement);
    ds.Refresh();
    Strings out;
    for (std::size_t i = 0; i < ds.RowCount(); ++i)
      out.push_back(ds.Row(i).at(0).IsNull() ? "<Null>" : ds.Row(i).at(0).ToText());
    return out;
  };
  const auto machines = OnEach([&](const JobDatabase& d) {
    return rowsOf(d, "select Distinct [Machine] from machine order by [Machine] ASC");
  });
  EXPECT_EQ(machines.second, machines.first);
  EXPECT_EQ(machines.second, (Strings{"amada", "Bystronic", "Trumpf"}));
  const auto sets = OnEach([&](const JobDatabase& d) {
    return rowsOf(d, "select Distinct [Machineset] from data order by [Machineset] ASC");
  });
  EXPECT_EQ(sets.second.size(), 3u);  // Null, s1 or S1, S2
  EXPECT_EQ(sets.second.front(), "<Null>");
  EXPECT_EQ(sets.second.back(), "S2");
  for (const std::string& statement : {GetSqlNcData("*", -1, "filename='j1'", true, "", false),
                                       GetSqlNcData("[Filename]", 5, "", false, "", false),
                                       GetSqlMachine("*", "Machine='AMADA'", true, "", false),
                                       GetSqlNcData("Filename", -1, "", false, "Filename DESC", true)}) {
    const auto [sqlite, server] = OnEach([&](const JobDatabase& d) { return d.Rows(statement); });
    EXPECT_EQ(server, sqlite) << statement;
  }
  // The job record reads every column by name from the row of select *.
  const auto [sqlite, server] = OnEach([](const JobDatabase& d) {
    auto conn = d.Open();
    auto rs = conn->OpenRecordset("select * from NCDATA where filename='J1'");
    return std::make_pair(rs->Fields("datatype").Value().ToText(), rs->Fields("MACHINESET").Value().IsNull());
  });
  EXPECT_EQ(server, sqlite);
}

}  // namespace
}  // namespace kx::test
