// The grid's search gives the same jobs on the server as on SQLite. (The proposals, the replace,
// the list sources and the lookups run on both engines in their own suites.)
#include "pg_job_db.h"
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

}  // namespace
}  // namespace kx::test
