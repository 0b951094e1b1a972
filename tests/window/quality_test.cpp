#include "window/fields.h"
#include "window/quality.h"

#include <gtest/gtest.h>

namespace pelmora {
namespace {

QString normalised(const QString& text) {
  MemoryFields fields;
  fields.setText(Field::Text11, text);
  normaliseQuality(fields);
  return fields.text(Field::Text11);
}

TEST(QualityNormalisation, BoundsTheNumberBetween25And100) {
  EXPECT_EQ(normalised("50"), " 50");
  EXPECT_EQ(normalised(" 50"), " 50");
  EXPECT_EQ(normalised("150"), " 100");
  EXPECT_EQ(normalised("10"), " 25");
  EXPECT_EQ(normalised("-60"), " 25");
  EXPECT_EQ(normalised("abc"), " 25");
  EXPECT_EQ(normalised(""), " 25");
  EXPECT_EQ(normalised("25"), " 25");
  EXPECT_EQ(normalised("100"), " 100");
  EXPECT_EQ(normalised("60.7"), " 60.7");
  EXPECT_EQ(normalised("1e999"), " 100");
}

TEST(QualityNormalisation, FullWidthBecomesHalfWidth) {
  EXPECT_EQ(normalised(QStringLiteral("５０")), " 50");
  EXPECT_EQ(normalised(QStringLiteral("　７５．５")), " 75.5");
  // 50 only when the full-width minus turns the exponent negative.
  EXPECT_EQ(normalised(QStringLiteral("５０００Ｅ－２")), " 50");
}

TEST(QualityNormalisation, HalfWidthTextIsWrittenBackFirst) {
  // Katakana narrow too; the field ends with the bounded number all the same.
  MemoryFields fields;
  fields.setText(Field::Text11, QStringLiteral("８０ア"));
  normaliseQuality(fields);
  EXPECT_EQ(fields.text(Field::Text11), " 80");
}

}  // namespace
}  // namespace pelmora
