// The import's report and its job-table mapping, from tables built in code: keys equal without
// case, values the target cannot take and clashing names block the import; renamed keys and
// the job table's own unique index arrive in the target.
#include <gmock/gmock.h>

#include "platform/database.h"
#include "platform/table_import.h"
#include "temp_dir.h"

namespace kx::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Kind = ImportConflict::Kind;

struct FakeTable {
  TableLayout spec;
  std::vector<std::vector<Variant>> rows;
};

class FakeSource final : public TableSource {
 public:
  explicit FakeSource(std::vector<FakeTable> tables) : tables_(std::move(tables)) {
    for (const FakeTable& t : tables_) specs_.push_back(t.spec);
  }
  const std::vector<TableLayout>& Tables() const override { return specs_; }
  std::unique_ptr<RowSource> Rows(std::size_t i) override {
    struct Rows final : RowSource {
      const std::vector<std::vector<Variant>>* rows;
      std::size_t next = 0;
      bool Next(std::vector<Variant>& row) override {
        if (next == rows->size()) return false;
        row = (*rows)[next++];
        return true;
      }
    };
    auto r = std::make_unique<Rows>();
    r->rows = &tables_[i].rows;
    return r;
  }

 private:
  std::vector<FakeTable> tables_;
  std::vector<TableLayout> specs_;
};

ColumnLayout Col(const char* name, FieldType type, int size = 0, int scale = 0) {
  ColumnLayout c;
  c.name = name;
  c.type = type;
  c.size = size;
  c.scale = scale;
  return c;
}

// A job table as an Access file may hold it: lower-case name, no unique index of its own.
FakeTable Jobs(std::vector<std::vector<Variant>> rows) {
  return {{"data",
           {Col("Filename", FieldType::Text, 8), Col("ProgramNumber", FieldType::Text, 8),
            Col("Price", FieldType::Decimal, 19, 4), Col("Made", FieldType::DateTime)},
           {},
           {}},
          std::move(rows)};
}

FakeTable Named(const char* name) {
  return {{name, {Col("machine", FieldType::Text, 20)}, {}, {}}, {{"Laser"}}};
}

std::vector<Variant> Job(const char* file, const char* program, Variant price = Variant::Null()) {
  return {file, program, std::move(price), Variant::Date("1850-03-04 05:06:07")};
}

struct ReportCase {
  const char* what;
  std::vector<FakeTable> tables;
  ImportOptions options;
  std::vector<Kind> conflicts;
  std::vector<std::string> renamedTo;
};

TEST(TableImport, ReportFindsWhatTheTargetCannotTake) {
  ImportOptions rename;
  rename.renameDuplicates = true;
  const ReportCase cases[] = {
      {"clean", {Jobs({Job("A100", "P1", "12.3400"), Job("B200", "P2")}), Named("Machine")}, {}, {}, {}},
      {"keys equal without case",
       {Jobs({Job("A100", "P1"), Job("a100", "P2"), Job("C300", "p1")})},
       {},
       {Kind::DuplicateKey, Kind::DuplicateKey},
       {}},
      {"renamed instead",
       {Jobs({Job("A100", "P1"), Job("a100", "P2"), Job("A100~2", "P3")})},
       rename,
       {},
       {"a100~2", "A100~2~2"}},
      {"suffix cut to the column",
       {Jobs({Job("ABCDEFGH", "P1"), Job("abcdefgh", "P2")})},
       rename,
       {},
       {"abcdef~2"}},
      {"currency beyond a double, too long a text",
       {Jobs({Job("A100", "P1", "922337203685477.5807"), Job("B200-too-long", "P2")})},
       {},
       {Kind::ValueDoesNotFit, Kind::ValueDoesNotFit},
       {}},
      {"date outside 100..9999",
       {Jobs({{"A100", "P1", Variant::Null(), Variant(-700000.0)}})},
       {},
       {Kind::ValueDoesNotFit},
       {}},
      {"names equal without case, a job table alias",
       {Jobs({}), Named("Orders"), Named("ORDERS"), Named("NcData")},
       {},
       {Kind::TableNameClash, Kind::TableNameClash},
       {}},
  };
  for (const ReportCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string target = (dir / "jobs.db").string();
    FakeSource source(c.tables);
    ImportOptions dry = c.options;
    dry.dryRun = true;
    const ImportReport report = ImportTables(source, target, dry);
    std::vector<Kind> kinds;
    for (const ImportConflict& k : report.conflicts) kinds.push_back(k.kind);
    EXPECT_EQ(kinds, c.conflicts);
    std::vector<std::string> renamed;
    for (const RenamedKey& k : report.renamed) renamed.push_back(k.to);
    EXPECT_EQ(renamed, c.renamedTo);
    EXPECT_FALSE(report.written);
    EXPECT_FALSE(std::filesystem::exists(target)) << "a dry run writes nothing";

    const ImportReport real = ImportTables(source, target, c.options);
    EXPECT_EQ(real.written, c.conflicts.empty());
    EXPECT_EQ(std::filesystem::exists(target), c.conflicts.empty()) << "a refused import leaves no target";
  }
}

TEST(TableImport, JobTableBecomesTheJobDatabasesOwn) {
  TempDir dir;
  const std::string target = (dir / "jobs.db").string();
  ImportOptions options;
  options.renameDuplicates = true;
  FakeSource source({Jobs({Job("A100", "P1", "12.3400"), Job("a100", "P2", "-0.5")}), Named("MACHINE")});
  const ImportReport report = ImportTables(source, target, options);
  ASSERT_TRUE(report.written);
  EXPECT_EQ(report.tables[0].target, "NCDATA");

  auto db = Engine().OpenDatabase(target);
  auto rs = db->OpenRecordset("select Filename, Price, Made from Data order by ProgramNumber");
  std::vector<std::string> rows;
  for (; !rs->Eof(); rs->MoveNext())
    rows.push_back(rs->Fields(0).Value().ToText() + " " + rs->Fields(1).Value().ToText() + " " +
                   rs->Fields(2).Value().ToText());
  EXPECT_THAT(rows, ElementsAre("A100 12.34 1850-03-04 05:06:07", "a100~2 -0.5 1850-03-04 05:06:07"));
  // The job table's keys are unique without case in the target.
  try {
    db->Execute("insert into NCDATA (Filename, ProgramNumber) values ('A100~2', 'P9')");
    ADD_FAILURE() << "a key equal without case was taken";
  } catch (const KxError& e) {
    EXPECT_EQ(e.Number(), dberr::DuplicateKey);
  }
  EXPECT_EQ(db->OpenRecordset("select Count(*) from Machine")->Fields(0).Value().ToText(), "1");
}

// Index names are the database's: A's index on B_C and A_B's on C are both A_B_C, A's on C is
// named like the table A_C that comes later, and the server keeps only 63 bytes of a name.
TEST(TableImport, IndexNamesAreMadeUniqueInTheDatabase) {
  const std::string longName(70, 'x');
  TableLayout a{"A", {Col("B_C", FieldType::Text, 5), Col("C", FieldType::Int32)}, {}, {}};
  a.indexes = {{"A_B_C", {"B_C"}, true, false},
               {"a_c", {"C"}, false, false},
               {longName + "1", {"C"}, false, false},
               {longName + "2", {"B_C"}, false, false}};
  TableLayout ab{"A_B", {Col("C", FieldType::Text, 5)}, {}, {{"A_B_C", {"C"}, false, false}}};
  TableLayout ac{"A_C", {Col("D", FieldType::Text, 5)}, {}, {}};
  FakeSource source({{a, {{"x", 1}}}, {ab, {{"y"}}}, {ac, {{"z"}}}});
  TempDir dir;
  const std::string target = (dir / "a.db").string();
  ImportOptions tablesOnly;
  tablesOnly.tablesOnly = true;
  ASSERT_TRUE(ImportTables(source, target, tablesOnly).written);

  std::vector<std::string> indexes;
  for (const TableLayout& t : Engine().OpenDatabase(target)->TableDefs())
    for (const IndexLayout& ix : t.indexes)
      indexes.push_back(t.name + " " + ix.name + " " + ix.columns.at(0));
  EXPECT_THAT(indexes, ::testing::UnorderedElementsAre("A A_B_C B_C", "A a_c_2 C", "A " + longName + "1 C",
                                                       "A " + std::string(61, 'x') + "_2 B_C", "A_B A_B_C_2 C"));
}

TEST(TableImport, FileWithoutJobTableIsRefusedUnlessTablesOnly) {
  TempDir dir;
  FakeSource source({Named("Orders")});
  try {
    ImportTables(source, (dir / "a.db").string(), {});
    ADD_FAILURE() << "imported without a job table";
  } catch (const KxError& e) {
    EXPECT_EQ(e.Number(), dberr::TableNotFound);
    EXPECT_THAT(e.Description(), HasSubstr("no job table"));
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "a.db"));
  ImportOptions tablesOnly;
  tablesOnly.tablesOnly = true;
  EXPECT_TRUE(ImportTables(source, (dir / "b.db").string(), tablesOnly).written);
}

}  // namespace
}  // namespace kx::test
