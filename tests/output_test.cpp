#include "output.h"

#include <gtest/gtest.h>

namespace {

TEST(Output, FormattedAndWordLinesKeepTheirOrder) {
  std::string captured;
  capture_output(&captured);
  print_formatted("word : %s\n", "stop");
  print_word_line("  ", "post");
  print_formatted("  %s : %s : %d*%d entries\n", "op", "st", 1, 12);
  print_word_line("    fm:", "op");
  capture_output(nullptr);
  EXPECT_EQ(captured, "word : stop\n  post\n  op : st : 1*12 entries\n    fm:op\n");
}

TEST(Output, ValuesAreNeverTakenAsFormats) {
  std::string captured;
  capture_output(&captured);
  print_formatted("word : %s\n", "50%d%s%n");
  print_word_line("  ", "%s");
  capture_output(nullptr);
  EXPECT_EQ(captured, "word : 50%d%s%n\n  %s\n");
}

}  // namespace
