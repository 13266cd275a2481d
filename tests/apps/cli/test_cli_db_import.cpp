// kestrafix db import of the two Access files in tests/data/access: with --tables-only every
// table arrives with its rows, types and values as mdb-export prints them, and the file is left
// as it was; without it both are refused; damaged copies give one error and no target.
#include <fmt/format.h>
#include <gmock/gmock.h>
#include <stdio.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "cli_fixture.h"
#include "core/text.h"
#include "job_database.h"

namespace kx::test {
namespace {

using ::testing::HasSubstr;
using Csv = std::vector<std::vector<std::optional<std::string>>>;  // nullopt: an unquoted empty field

const std::filesystem::path kAccess = TestData("access");

std::optional<std::string> Output(const std::string& command) {
  FILE* p = popen(command.c_str(), "r");
  if (!p) return std::nullopt;
  std::string out;
  char buf[65536];
  for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  return pclose(p) == 0 ? std::optional(out) : std::nullopt;
}

// mdb-export's CSV: quotes doubled inside quoted fields, which may hold line breaks.
Csv ParseCsv(const std::string& text) {
  Csv rows(1);
  std::string field;
  bool quoted = false, inQuotes = false;
  const auto endField = [&] {
    rows.back().push_back(quoted || !field.empty() ? std::optional(field) : std::nullopt);
    field.clear();
    quoted = false;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inQuotes) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        inQuotes = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      inQuotes = quoted = true;
    } else if (c == ',') {
      endField();
    } else if (c == '\n') {
      endField();
      rows.emplace_back();
    } else {
      field += c;
    }
  }
  if (rows.back().empty()) rows.pop_back();
  return rows;
}

std::string Quote(const std::filesystem::path& p) { return "'" + p.string() + "'"; }

// One table of the target against mdb-export of the same table: names, rows, every value.
void CompareWithMdbExport(const std::filesystem::path& file, Database& db, const TableLayout& table) {
  SCOPED_TRACE(table.name);
  const auto csv = Output("mdb-export -D '%Y-%m-%d %H:%M:%S' -T '%Y-%m-%d %H:%M:%S' -b hex " + Quote(file) +
                          " " + Quote(table.name));
  ASSERT_TRUE(csv);
  Csv rows = ParseCsv(*csv);
  ASSERT_FALSE(rows.empty());
  std::vector<std::string> names;
  for (const ColumnLayout& c : table.columns) names.push_back(c.name);
  std::vector<std::string> header;
  for (const auto& h : rows[0]) header.push_back(h.value_or(""));
  EXPECT_EQ(header, names);
  // A whole-number key is SQLite's row number, which orders the rows; otherwise they keep the file's order.
  std::string order;
  const auto key = std::find(names.begin(), names.end(), table.primaryKey.empty() ? "" : table.primaryKey[0]);
  if (table.primaryKey.size() == 1 && table.columns[key - names.begin()].type == FieldType::Int64) {
    const auto k = static_cast<std::size_t>(key - names.begin());
    std::sort(rows.begin() + 1, rows.end(),
              [&](auto& x, auto& y) { return std::stoll(*x[k]) < std::stoll(*y[k]); });
    order = " order by [" + *key + "]";
  }
  auto rs = db.OpenRecordset("select * from [" + table.name + "]" + order);
  std::size_t r = 1;
  for (; !rs->Eof() && r < rows.size(); rs->MoveNext(), ++r) {
    ASSERT_EQ(rows[r].size(), names.size()) << "row " << r;
    for (std::size_t i = 0; i < names.size(); ++i) {
      const Variant v = rs->Fields(static_cast<int>(i)).Value();
      const std::optional<std::string>& want = rows[r][i];
      SCOPED_TRACE(
          fmt::format("row {} column {}: '{}' / '{}'", r, names[i], v.ToText(), want.value_or("Null")));
      if (!want || v.IsNull()) {
        EXPECT_EQ(!want, v.IsNull());
      } else if (table.columns[i].type == FieldType::Bool) {
        EXPECT_EQ(v.ToNumber() != 0, *want == "1");
      } else if (v.IsNumber()) {
        const double a = v.ToNumber(), b = std::stod(*want);
        EXPECT_NEAR(a, b, 1e-6 * std::max(1.0, std::fabs(b)));
      } else if (table.columns[i].type != FieldType::DateTime || !StartsWithNoCase(*want, "1900-01-00")) {
        EXPECT_EQ(v.ToText(), *want);  // mdb-export has no text for dates it cannot place; they come below
      }
    }
  }
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(r, rows.size());
}

// A copy encrypted as Access does it: a key in the header page (stored XOR a constant of the
// format), each later page RC4-encrypted with that key XOR its page number.
std::string Encrypted(std::string file, std::size_t pageSize) {
  const auto rc4 = [](std::uint32_t key, char* data, std::size_t n) {
    unsigned char s[256], k[4];
    std::memcpy(k, &key, 4);
    for (int i = 0; i < 256; ++i) s[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) std::swap(s[i], s[j = (j + s[i] + k[i % 4]) & 255]);
    for (std::size_t x = 0, i = 0, j = 0; x < n; ++x) {
      i = (i + 1) & 255;
      std::swap(s[i], s[j = (j + s[i]) & 255]);
      data[x] = static_cast<char>(data[x] ^ s[(s[i] + s[j]) & 255]);
    }
  };
  const std::uint32_t key = 0x2468ACE1, stored = key ^ 0x4EBC8AFBu;
  std::memcpy(file.data() + 0x3E, &stored, 4);
  for (std::size_t p = 1; p < file.size() / pageSize; ++p)
    rc4(key ^ static_cast<std::uint32_t>(p), file.data() + p * pageSize, pageSize);
  return file;
}

class DbImport : public CliTest {};

TEST_F(DbImport, TablesOnlyBringsEveryTableRowTypeAndValueAndLeavesTheFileAlone) {
  struct Typed {
    const char* table;
    const char* column;
    FieldType type;
    int size;
  };
  const struct {
    const char* file;
    std::vector<std::string> tables;
    std::vector<Typed> types;
  } cases[] = {
      {"nwind.mdb",
       {"Order Details", "Orders", "Products", "Shippers", "Categories", "Customers", "Employees",
        "Suppliers", "Umsätze"},
       {{"Products", "UnitPrice", FieldType::Decimal, 19},
        {"Products", "Discontinued", FieldType::Bool, 0},
        {"Products", "ProductID", FieldType::Int64, 0},  // an AutoNumber key is the row number
        {"Products", "SupplierID", FieldType::Int32, 0},
        {"Order Details", "Quantity", FieldType::Int16, 0},
        {"Order Details", "Discount", FieldType::Double, 0},
        {"Employees", "BirthDate", FieldType::DateTime, 0},
        {"Employees", "Notes", FieldType::Text, 0},
        {"Customers", "CustomerID", FieldType::Text, 5}}},
      {"DateTestDatabase.mdb",
       {"DateTest"},
       {{"DateTest", "ShortTextCol", FieldType::Text, 255}, {"DateTest", "DateCol", FieldType::DateTime, 0}}},
  };
  const bool haveMdbExport = Output("mdb-export --version >/dev/null 2>&1").has_value();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const auto source = kAccess / c.file;
    struct stat before {};
    ASSERT_EQ(stat(source.c_str(), &before), 0);
    const std::string bytes = ReadAll(source);
    const auto target = env / (std::string(c.file) + ".db");

    const CliResult r = Run({"db", "import", "--tables-only", "--json", source.string(), target.string()});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("\"imported\":true"));
    EXPECT_EQ(ReadAll(source), bytes);
    struct stat after {};
    ASSERT_EQ(stat(source.c_str(), &after), 0);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);

    auto db = Engine().OpenDatabase(target.string());
    const std::vector<TableLayout> defs = db->TableDefs();
    std::vector<std::string> names;
    for (const TableLayout& t : defs) names.push_back(t.name);
    EXPECT_THAT(names, ::testing::UnorderedElementsAreArray(c.tables));
    for (const Typed& t : c.types) {
      const auto table = std::find_if(defs.begin(), defs.end(), [&](auto& d) { return d.name == t.table; });
      ASSERT_NE(table, defs.end());
      const auto col = std::find_if(table->columns.begin(), table->columns.end(),
                                    [&](auto& k) { return k.name == t.column; });
      ASSERT_NE(col, table->columns.end());
      EXPECT_EQ(col->type, t.type) << t.table << "." << t.column;
      EXPECT_EQ(col->size, t.size) << t.table << "." << t.column;
    }
    if (!haveMdbExport) {
      ADD_FAILURE() << "mdb-export (Debian package mdbtools) is needed to compare the values";
      continue;
    }
    for (const TableLayout& t : defs) CompareWithMdbExport(source, *db, t);
  }
  // The dates mdb-export cannot write: before 1900, and the year 9999.
  EXPECT_EQ(JobDatabase((env / "DateTestDatabase.mdb.db").string(), false)
                .Rows("select DateTimeCol from DateTest order by IDCol"),
            (std::vector<std::string>{"2021-12-02 00:00:00", "9999-01-01 00:00:00", "1898-01-01 00:00:00",
                                      "0632-01-01 00:00:00", "2021-12-02 00:00:00", "2021-12-02 00:00:00"}));
}

TEST_F(DbImport, FileWithoutJobTableOrDamagedGivesOneMessageAndNoTarget) {
  const std::string nwind = ReadAll(kAccess / "nwind.mdb");
  std::string flipped = ReadAll(kAccess / "DateTestDatabase.mdb");
  for (std::size_t i = 0; i < 64; ++i) flipped[i] = static_cast<char>(flipped[i] ^ 0x55);
  std::string scrambled = nwind;  // the catalog's page (Jet 3 pages are 2048 bytes)
  for (std::size_t i = 2 * 2048 + 16; i < 3 * 2048; ++i) scrambled[i] = static_cast<char>(~scrambled[i]);
  // A page of a long value inverted: libmdb reads what it finds (an empty memo, part of a photo).
  const auto inverted = [&](std::size_t page) {
    std::string s = nwind;
    for (std::size_t i = page * 2048; i < (page + 1) * 2048; ++i) s[i] = static_cast<char>(~s[i]);
    return s;
  };
  const struct {
    const char* what;
    std::string content;  // empty: the shipped file of that name
    int code;
    const char* message;
  } cases[] = {
      {"nwind.mdb", {}, 2, "no job table"},
      {"DateTestDatabase.mdb", {}, 2, "no job table"},
      {"truncated", nwind.substr(0, 100000), 1, "Cannot read"},
      {"truncated in the header", nwind.substr(0, 3000), 1, "Cannot read"},
      {"header bytes flipped", flipped, 1, "Cannot read"},
      {"catalog bytes flipped", scrambled, 1, "Cannot read"},
      {"memo page inverted", inverted(31), 1, "memo in column 'Description' of table 'Categories', row 1"},
      {"OLE page inverted", inverted(100), 1, "OLE object in column 'Photo' of table 'Employees', row 1"},
      {"no database", "just text\n", 1, "Cannot read"},
      {"encrypted", Encrypted(ReadAll(kAccess / "DateTestDatabase.mdb"), 4096), 1,
       "is an encrypted Access database"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto source =
        c.content.empty() ? kAccess / c.what : env.Write(std::string(c.what) + ".mdb", c.content);
    const auto target = env / "jobs.db";
    const CliResult r = Run({"db", "import", source.string(), target.string()});
    EXPECT_EQ(r.code, c.code);
    EXPECT_THAT(r.err, HasSubstr(c.message));
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(std::filesystem::exists(target));
  }
}

}  // namespace
}  // namespace kx::test
