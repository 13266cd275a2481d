// The columns an Access file's types become: those neither test file holds (decimal,
// replication ID, attachment, binary), the notes on what is kept in another form, and the
// descriptions no Access file has.
#include <gmock/gmock.h>

#include <cstring>

#include "core/error.h"
#include "platform/jet_columns.h"

namespace kx::test {
namespace {

TEST(JetColumns, EachTypeBecomesAColumnOrIsReported) {
  const struct {
    const char* what;
    int type, size, prec, scale;
    bool uuidAuto;
    FieldType want;
    int wantSize, wantScale;
    const char* note;   // "" for none
    const char* error;  // nullptr: no error
  } cases[] = {
      {"decimal", MDB_NUMERIC, 17, 18, 4, false, FieldType::Decimal, 18, 4, "", nullptr},
      {"replication ID", MDB_REPID, 16, 0, 0, false, FieldType::Text, 38, 0, "", nullptr},
      {"replication ID numbered", MDB_REPID, 16, 0, 0, true, FieldType::Text, 38, 0, "new rows get none", nullptr},
      {"attachment", MDB_COMPLEX, 4, 0, 0, false, FieldType::Int32, 0, 0, "only its number", nullptr},
      {"OLE object", MDB_OLE, 0, 0, 0, false, FieldType::Text, 0, 0, "OLE object, kept as hexadecimal", nullptr},
      {"binary", MDB_BINARY, 20, 0, 0, false, FieldType::Text, 0, 0, "binary, kept as hexadecimal", nullptr},
      {"decimal of 30 digits", MDB_NUMERIC, 17, 30, 0, false, {}, 0, 0, "", "a decimal of 30 digits"},
      {"more decimals than digits", MDB_NUMERIC, 17, 4, 6, false, {}, 0, 0, "", "with 6 decimals"},
      {"unknown type", 0x13, 4, 0, 0, false, {}, 0, 0, "", "the unknown type 19"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MdbColumn column{};
    std::strcpy(column.name, "Col");
    column.col_type = c.type;
    column.col_size = c.size;
    column.col_prec = c.prec;
    column.col_scale = c.scale;
    column.is_uuid_auto = c.uuidAuto;
    std::vector<std::string> notes;
    try {
      const ColumnLayout got = JetColumnLayout(column, false, notes, "T");
      ASSERT_EQ(c.error, nullptr) << "no error";
      EXPECT_EQ(got.type, c.want);
      EXPECT_EQ(got.size, c.wantSize);
      EXPECT_EQ(got.scale, c.wantScale);
      EXPECT_EQ(got.name, "Col");
    } catch (const KxError& e) {
      ASSERT_NE(c.error, nullptr) << e.Description();
      EXPECT_THAT(e.Description(), ::testing::HasSubstr(c.error));
      EXPECT_THAT(e.Description(), ::testing::HasSubstr("column 'Col' of table 'T'"));
    }
    if (*c.note)
      EXPECT_THAT(notes, ::testing::ElementsAre(::testing::AllOf(::testing::StartsWith("T.Col: "),
                                                                  ::testing::HasSubstr(c.note))));
    else
      EXPECT_TRUE(notes.empty());
  }
}

}  // namespace
}  // namespace kx::test
