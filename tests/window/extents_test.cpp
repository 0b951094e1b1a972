#include "window/extents.h"
#include "window/fields.h"
#include "window/form.h"

#include <gtest/gtest.h>

namespace pelmora {
namespace {

const QString kPrefix = QStringLiteral("Ｘ：Ｙ＝ 1 : ");

// Fields wired to a session the way the window's corner fields are.
struct Corners {
  MemoryFields fields;
  Session session;
  Corners() {
    fields.setCornerChangedHandler([this] { recomputeExtents(fields, session); });
  }
  void set(const char* t1, const char* t2, const char* t3, const char* t4) {
    fields.setText(Field::Text1, t1);
    fields.setText(Field::Text2, t2);
    fields.setText(Field::Text3, t3);
    fields.setText(Field::Text4, t4);
  }
  QString label() const { return fields.text(Field::Label9); }
};

TEST(ExtentRecomputation, InitialTextsAreNotReadUntilAFieldChanges) {
  Corners c;
  EXPECT_EQ(c.session.W_DX, 0);
  EXPECT_EQ(c.label(), "");
  c.fields.setText(Field::Text1, "00");  // still 0
  EXPECT_EQ(c.session.LL_X, 1000);
  EXPECT_EQ(c.session.LL_Y, 1000);
  EXPECT_EQ(c.session.UR_X, 0);
  EXPECT_EQ(c.session.UR_Y, 0);
  EXPECT_EQ(c.session.W_DX, -1000);
  EXPECT_EQ(c.session.W_DY, -1000);
  EXPECT_EQ(c.label(), kPrefix + "1");
}

TEST(ExtentRecomputation, CaptionShowsTheRatioRoundedHalfUp) {
  Corners c;
  c.set("0", "1500", "1000", "1000");
  EXPECT_EQ(c.session.W_DX, -1000);
  EXPECT_EQ(c.session.W_DY, 500);
  EXPECT_EQ(c.label(), kPrefix + "-0.5");

  c.set("3000", "2000", "0", "0");
  EXPECT_EQ(c.label(), kPrefix + "0.67");
  c.fields.setText(Field::Text2, "375");
  EXPECT_EQ(c.label(), kPrefix + "0.13");
}

TEST(ExtentRecomputation, UpperRightXKeepsItsFraction) {
  Corners c;
  c.set("3000", "2000", "0", "0");
  const QString before = c.label();
  c.fields.setText(Field::Text3, "1000");
  c.fields.setText(Field::Text1, "1000.4");
  EXPECT_DOUBLE_EQ(c.session.UR_X, 1000.4);
  EXPECT_NEAR(c.session.W_DX, 0.4, 1e-12);
  EXPECT_NE(c.label(), before);
  c.fields.setText(Field::Text1, "2.5");
  EXPECT_EQ(c.session.UR_X, 2.5);
}

TEST(ExtentRecomputation, ZeroExtentKeepsTheCaption) {
  Corners c;
  c.set("3000", "2000", "0", "0");
  c.fields.setText(Field::Text1, "0");
  EXPECT_EQ(c.session.W_DX, 0);
  EXPECT_EQ(c.label(), kPrefix + "0.67");
}

TEST(ExtentRecomputation, LenientTextsOfTheCornerFields) {
  Corners c;
  c.set("12abc", "1 000", "", "0");
  EXPECT_EQ(c.session.UR_X, 12);
  EXPECT_EQ(c.session.UR_Y, 1000);
  EXPECT_EQ(c.session.LL_X, 0);
}

TEST(ExtentRecomputation, NumberBeyondADoubleLeavesRecordAndCaption) {
  Corners c;
  c.set("3000", "2000", "0", "0");
  const Session before = c.session;
  c.fields.setText(Field::Text1, "1e400");
  EXPECT_EQ(c.session.UR_X, before.UR_X);
  EXPECT_EQ(c.session.W_DX, before.W_DX);
  EXPECT_EQ(c.label(), kPrefix + "0.67");
  c.fields.setText(Field::Text1, "1e308");
  const QString caption = c.label();
  const Session beforeOverflow = c.session;
  c.fields.setText(Field::Text3, "-1e308");  // the extent itself overflows
  EXPECT_EQ(c.session.LL_X, beforeOverflow.LL_X);
  EXPECT_EQ(c.session.W_DX, beforeOverflow.W_DX);
  EXPECT_EQ(c.label(), caption);
}

TEST(ExtentRecomputation, EachWriteSeesTheFieldsWrittenSoFar) {
  Corners c;
  c.fields.setText(Field::Text1, "450");
  EXPECT_EQ(c.session.W_DX, 450 - 1000);
  c.fields.setText(Field::Text3, "0");
  EXPECT_EQ(c.session.W_DX, 450);
}

TEST(MemoryFieldsTest, SameTextRunsNoHandler) {
  MemoryFields fields;
  int calls = 0;
  fields.setCornerChangedHandler([&] { ++calls; });
  fields.setText(Field::Text1, "0");
  fields.setText(Field::Text5, "3");
  EXPECT_EQ(calls, 0);
  fields.setText(Field::Text4, "5");
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(fields.text(Field::Text7), " 1");
  EXPECT_EQ(fields.text(Field::Text12), "0.0000");
}

}  // namespace
}  // namespace pelmora
