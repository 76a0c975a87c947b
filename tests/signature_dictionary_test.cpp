#include "dictionary/signature_dictionary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <vector>

namespace {

std::vector<std::string> words_of(const word_set& words) { return {words.begin(), words.end()}; }

class SignatureDictionary : public testing::Test {
 protected:
  void SetUp() override { clear_dictionary(); }
  void TearDown() override { clear_dictionary(); }
};

TEST(SignatureOf, SortsBytesAscendingAsUnsignedValues) {
  struct case_row {
    std::string word, expected;
  } cases[] = {
      {"", ""},
      {"a", "a"},
      {"noon", "nnoo"},
      {"listen", "eilnst"},
      {"zyxwvutsrqponmlkjihgfedcba", "abcdefghijklmnopqrstuvwxyz"},
      {"b\xff"
       "a\x01",
       "\x01"
       "ab\xff"},
  };
  for (const case_row& c : cases) EXPECT_EQ(signature_of(c.word), c.expected) << "word " << c.word;
}

TEST_F(SignatureDictionary, AddWordTellsWhetherTheWordIsNew) {
  EXPECT_TRUE(add_word("listen"));
  EXPECT_TRUE(add_word("silent"));
  EXPECT_FALSE(add_word("listen"));
  auto words = find("eilnst");
  ASSERT_TRUE(words);
  EXPECT_EQ(words_of(*words), (std::vector<std::string>{"listen", "silent"}));
  EXPECT_EQ(signature_count(), 1u);
}

TEST_F(SignatureDictionary, WordsAreListedAscendingWhateverTheOrderAdded) {
  for (const char* word : {"tinsel", "silent", "listen", "inlets", "enlist"}) add_word(word);
  add_word("stop");
  EXPECT_EQ(words_of(*find("eilnst")), (std::vector<std::string>{"enlist", "inlets", "listen", "silent", "tinsel"}));
  // A word added after a lookup shows up in the next one.
  add_word("elints");
  EXPECT_EQ(find("eilnst")->size(), 6);
  EXPECT_EQ(words_of(*find("opst")), (std::vector<std::string>{"stop"}));
}

TEST_F(SignatureDictionary, TheEmptyWordHasTheEmptySignature) {
  EXPECT_FALSE(find(""));
  EXPECT_TRUE(add_word(""));
  EXPECT_FALSE(add_word(""));
  auto words = find("");
  ASSERT_TRUE(words);
  EXPECT_EQ(words_of(*words), (std::vector<std::string>{""}));
}

TEST_F(SignatureDictionary, FindNeverCreatesEntries) {
  add_word("listen");
  add_word("a");
  const char* absent[] = {"eilnsx", "tsnlie", "ab", "", "EILNST", "eiln st", "a\xff", "aa", "eilnstt"};
  for (int round = 0; round < 3; ++round)
    for (const char* key : absent) EXPECT_FALSE(find(key)) << "key " << key;
  EXPECT_EQ(signature_count(), 2u);
  EXPECT_TRUE(find("a"));
  EXPECT_TRUE(find("eilnst"));
}

TEST_F(SignatureDictionary, OnlyPlainLowercaseWordsAreStored) {
  for (const char* word : {"Listen", "ten nis", "caf\xe9", "a-b", "x1"}) EXPECT_FALSE(add_word(word)) << word;
  EXPECT_EQ(signature_count(), 0u);
}

// A signature with many words keeps its words in a table besides its own list.
TEST_F(SignatureDictionary, LargeAnagramFamiliesStayExact) {
  std::string letters = "abcdef";
  std::vector<std::string> all;
  do all.push_back(letters);
  while (std::next_permutation(letters.begin(), letters.end()));
  std::mt19937 pick(7);
  std::shuffle(all.begin(), all.end(), pick);
  for (const std::string& word : all) EXPECT_TRUE(add_word(word)) << word;
  for (const std::string& word : all) EXPECT_FALSE(add_word(word)) << word;
  std::sort(all.begin(), all.end());
  EXPECT_EQ(words_of(*find("abcdef")), all);
  EXPECT_EQ(signature_count(), 1u);
}

// Many random words over a few letters: collisions, growth and long families all happen.
TEST_F(SignatureDictionary, AgreesWithAnOrderedMapOfOrderedSets) {
  std::mt19937 pick(12345);
  std::map<std::string, std::set<std::string>> expected;
  for (int i = 0; i < 60000; ++i) {
    std::string word(pick() % 9, ' ');
    for (char& c : word) c = static_cast<char>('a' + pick() % 5);
    bool is_new = expected[signature_of(word)].insert(word).second;
    ASSERT_EQ(add_word(word), is_new) << "word " << word << " at " << i;
  }
  ASSERT_EQ(signature_count(), expected.size());
  for (const auto& [key, words] : expected) {
    auto found = find(key);
    ASSERT_TRUE(found) << "key " << key;
    EXPECT_EQ(words_of(*found), std::vector<std::string>(words.begin(), words.end())) << "key " << key;
  }
}

}  // namespace
