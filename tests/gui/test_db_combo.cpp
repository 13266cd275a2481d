#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include "core/error.h"
#include "gui/db_combo.h"
#include "job_database.h"
#include "platform/data_source.h"

namespace kx {
namespace {

// The data-type list as the new-job dialog builds it: number hidden, caption shown.
void MakeTypeList(DbCombo& list) {
  list.SetFieldSeparator(";");
  list.SetColumnCount(2);
  list.SetColumnVisible(0, false);
  list.SetValueField(0);
  list.SetDisplayField(1);
  list.AddItem("0;Milling");
  list.AddItem("1;Turning");
  list.AddItem("2;Wire cut");
}

TEST(DbComboColumns, SeparatorSplitsAddedTextIntoColumnsInOrder) {
  DbCombo list;
  MakeTypeList(list);
  ASSERT_EQ(list.RowCount(), 3);
  EXPECT_EQ(list.CellText(0, 0), "0");
  EXPECT_EQ(list.CellText(1, 0), "Milling");
  EXPECT_EQ(list.CellText(1, 2), "Wire cut");
  EXPECT_EQ(list.CellText("column 1", 1), "Turning");  // names resolve without case
  // Another separator keeps ";" inside a field.
  DbCombo other;
  other.SetFieldSeparator("|");
  other.AddItem("a;b|c");
  EXPECT_EQ(other.ColumnCount(), 2);
  EXPECT_EQ(other.CellText(0, 0), "a;b");
  EXPECT_EQ(other.CellText(1, 0), "c");
  // A row with fewer fields leaves the rest empty.
  other.AddItem("only");
  EXPECT_EQ(other.CellText(1, 1), "");
}

TEST(DbComboColumns, HiddenColumnIsHiddenInTheDropDownAndABadColumnIsAnError) {
  DbCombo list;
  MakeTypeList(list);
  auto* view = qobject_cast<QTableView*>(list.view());
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->isColumnHidden(0));
  EXPECT_FALSE(view->isColumnHidden(1));
  EXPECT_FALSE(list.ColumnVisible(0));
  EXPECT_EQ(list.FirstVisibleColumn(), 1);
  list.SetColumnVisible(0, true);
  EXPECT_FALSE(view->isColumnHidden(0));
  EXPECT_EQ(list.FirstVisibleColumn(), 0);
  EXPECT_EQ(test::ErrorOf([&] { list.SetColumnVisible(3, false); }).Number(), err::SubscriptOutOfRange);
  EXPECT_THROW(list.CellText("nope", 0), KxError);
}

TEST(DbComboValue, ValueShowsItsRowOrItselfAndInListLooksAtTheEditText) {
  DbCombo list;
  MakeTypeList(list);
  EXPECT_EQ(list.Text(), "");  // adding rows selects nothing
  list.SetValue("1");
  EXPECT_EQ(list.Value(), "1");
  EXPECT_EQ(list.Text(), "Turning");
  EXPECT_TRUE(list.IsItemInList());
  list.SetValue("2");
  EXPECT_EQ(list.Text(), "Wire cut");
  list.SetValue("5");  // a type the list does not offer
  EXPECT_EQ(list.Value(), "5");
  EXPECT_EQ(list.Text(), "5");
  EXPECT_FALSE(list.IsItemInList());
  list.SetValue(std::string(1, '\0'));  // the dialogs' way of showing nothing
  EXPECT_EQ(list.Text(), "");
  EXPECT_EQ(list.Value(), std::string(1, '\0'));
  EXPECT_FALSE(list.IsItemInList());
  list.setEditText("Turning");
  EXPECT_TRUE(list.IsItemInList());
  list.setEditText("1");  // a value, but no row shows it
  EXPECT_FALSE(list.IsItemInList());
  list.setEditText("wire CUT");
  EXPECT_TRUE(list.IsItemInList());
  list.setEditText("");
  EXPECT_FALSE(list.IsItemInList());
}

TEST(DbComboRows, FirstRowBookmarkCellTextAndRemoveAll) {
  DbCombo list;
  EXPECT_EQ(list.FirstRowBookmark(), -1);
  EXPECT_EQ(list.CellText(0, list.FirstRowBookmark()), "");
  list.AddItem("Material;Werkstoff");
  list.AddItem("Machine;Maschine");
  const ListBookmark first = list.FirstRowBookmark();
  EXPECT_EQ(list.CellText(0, first), "Material");
  EXPECT_EQ(list.CellText(1, first), "Werkstoff");
  EXPECT_EQ(list.CellText(0, 7), "");
  list.AddItem("a");
  list.AddItem("b");
  list.SetValue("b");
  list.RemoveAll();
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_EQ(list.FirstRowBookmark(), -1);
  EXPECT_EQ(list.Text(), "b");
  EXPECT_FALSE(list.IsItemInList());
  list.AddItem("c");
  EXPECT_EQ(list.RowCount(), 1);
  EXPECT_EQ(list.CellText(0, 0), "c");
  EXPECT_EQ(list.Text(), "b");
}

TEST(DbComboRows, RowsOfAQueryResultBecomeNamedColumns) {
  DbCombo list;
  list.SetRows({"Machine"}, {{Variant("DMU50")}, {Variant::Null()}, {Variant(42)}});
  list.SetValueField("Machine");
  list.SetDisplayField("Machine");
  ASSERT_EQ(list.RowCount(), 3);
  EXPECT_EQ(list.ColumnName(0), "Machine");
  EXPECT_EQ(list.CellText("machine", 1), "");
  EXPECT_EQ(list.CellText(0, 2), "42");
  list.SetValue("42");
  EXPECT_TRUE(list.IsItemInList());
}

using DbComboBinding = test::JobDbTest;

TEST_F(DbComboBinding, BindsToTheRowsOfADataSource) {
  db.Execute("insert into Machine ([Machine]) values ('Mazak'), ('DMU50')");
  DataSource source;
  source.DatabaseName(db.Path());
  source.RecordSource("select Distinct [Machine] from machine order by [Machine] ASC");
  source.Refresh();
  DbCombo list;
  list.AddItem("stale");
  list.Bind(source);
  list.SetValueField("MACHINE");  // fields and values match without case
  list.SetDisplayField("machine");
  ASSERT_EQ(list.RowCount(), 2);
  EXPECT_EQ(list.CellText("Machine", list.FirstRowBookmark()), "DMU50");
  EXPECT_EQ(list.CellText(0, 1), "Mazak");
  list.SetValue("MAZAK");
  EXPECT_EQ(list.Value(), "Mazak");
  EXPECT_EQ(list.Text(), "Mazak");
  EXPECT_TRUE(list.IsItemInList());
}

TEST(DbComboSignal, RaisedWhenTheProgramSetsAValueTheUserPicksOrTypes) {
  DbCombo list;
  MakeTypeList(list);
  QSignalSpy spy(&list, &DbCombo::valueChanged);
  list.SetValue("1");
  list.SetValue("1");  // no change, no notification
  EXPECT_EQ(spy.count(), 1);
  list.SetValue("0");
  spy.clear();
  list.show();
  QTest::keyClick(list.lineEdit(), Qt::Key_Down);
  EXPECT_EQ(spy.count(), 1);
  EXPECT_EQ(list.Value(), "1");
  EXPECT_EQ(list.Text(), "Turning");
  list.lineEdit()->clear();
  spy.clear();
  QTest::keyClicks(list.lineEdit(), "Tu");
  EXPECT_EQ(spy.count(), 2);
  EXPECT_EQ(list.Value(), "Tu");
  EXPECT_FALSE(list.IsItemInList());
  QTest::keyClicks(list.lineEdit(), "rning");
  // A typed caption stands for its row's value.
  EXPECT_EQ(list.Text(), "Turning");
  EXPECT_EQ(list.Value(), "1");
  EXPECT_TRUE(list.IsItemInList());
}

}  // namespace
}  // namespace kx
