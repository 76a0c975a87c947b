#include "search/sub_signatures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "dictionary/signature_dictionary.h"

namespace {

const char* const queries[] = {"a", "ab", "abb", "aabb", "aaa", "abcd", "eilnst", "aabbbcdddd", "aeeeiilnnrsttv"};

// The first part a split mask puts together: the letters whose bits are set.
std::string part_of_mask(const std::string& query, std::uint32_t mask) {
  std::string part;
  for (std::size_t i = 0; i < query.size(); ++i)
    if ((mask >> i) & 1) part.push_back(query[i]);
  return part;
}

TEST(QueryParts, ComplementIsTheLastIndexMinusTheIndex) {
  for (const char* query : queries) {
    query_parts parts = parts_of(query);
    for (std::uint32_t i = 0; i < parts.part_count; ++i) {
      std::string joined = part_signature(parts, i) + part_signature(parts, parts.part_count - 1 - i);
      EXPECT_EQ(signature_of(joined), query) << "query " << query << ", part " << i;
    }
  }
}

// The order the searches print in rests on this: index order is the order of the
// smallest mask giving each part.
TEST(QueryParts, IndexOrderIsTheOrderOfTheFirstMask) {
  for (const char* query : queries) {
    std::string q = query;
    query_parts parts = parts_of(q);
    std::map<std::string, std::uint32_t> first_mask;
    for (std::uint32_t mask = 0; mask < (1u << q.size()); ++mask) first_mask.emplace(part_of_mask(q, mask), mask);
    ASSERT_EQ(first_mask.size(), parts.part_count) << "query " << q;
    for (std::uint32_t i = 0; i < parts.part_count; ++i) {
      std::string part = part_signature(parts, i);
      EXPECT_EQ(part_mask(parts, i), first_mask[part]) << "query " << q << ", part " << part;
      if (i > 0) {
        EXPECT_LT(first_mask[part_signature(parts, i - 1)], first_mask[part]) << "query " << q;
      }
    }
  }
}

TEST(QueryParts, MasksTellWhichPartFitsInWhich) {
  for (const char* query : queries) {
    query_parts parts = parts_of(query);
    if (parts.part_count > 500) continue;  // every pair is checked
    for (std::uint32_t i = 0; i < parts.part_count; ++i)
      for (std::uint32_t j = 0; j < parts.part_count; ++j) {
        bool fits = true;
        for (std::size_t letter = 0; letter < parts.letters.size(); ++letter)
          fits = fits && part_digit(parts, j, letter) <= part_digit(parts, i, letter);
        EXPECT_EQ((part_mask(parts, j) & ~part_mask(parts, i)) == 0, fits)
            << "query " << query << ", " << j << " in " << i;
      }
  }
}

// Index, signature and the first word of every present part, for comparing.
std::vector<std::string> described(const present_parts& present) {
  std::vector<std::string> lines;
  for (const present_part& part : present.list)
    lines.push_back(std::to_string(part.index) + " " + part.signature + " " + *part.words.begin() + " " +
                    std::to_string(part.words.size()));
  return lines;
}

TEST(PresentParts, LookingUpAndScanningAgree) {
  clear_dictionary();
  std::mt19937 pick(99);
  for (int i = 0; i < 3000; ++i) {
    std::string word(1 + pick() % 7, ' ');
    for (char& c : word) c = "abcdeilnst"[pick() % 10];
    add_word(word);
  }
  add_word("");
  for (const char* query : queries) {
    query_parts parts = parts_of(query);
    present_parts looked_up = find_present_parts(parts, presence_search::look_up_each_part);
    present_parts scanned = find_present_parts(parts, presence_search::scan_dictionary);
    EXPECT_EQ(described(looked_up), described(scanned)) << "query " << query;
    EXPECT_EQ(looked_up.bits, scanned.bits) << "query " << query;
    EXPECT_EQ(described(find_present_parts(parts)), described(scanned)) << "query " << query;
    std::vector<std::string> expected;
    for (std::uint32_t i = 1; i < parts.part_count; ++i) {
      std::string signature = part_signature(parts, i);
      if (auto words = find(signature))
        expected.push_back(std::to_string(i) + " " + signature + " " + *words->begin() + " " +
                           std::to_string(words->size()));
    }
    EXPECT_EQ(described(scanned), expected) << "query " << query;
  }
  clear_dictionary();
}

}  // namespace
