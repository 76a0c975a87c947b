#include "search/search.h"

#include <gtest/gtest.h>

#include <random>

#include "dictionary/signature_dictionary.h"
#include "output.h"
#include "reference/literal_anagrams.h"

namespace {

// Both dictionaries, the program's and the literal one, hold the same words.
class Search : public testing::Test {
 protected:
  void SetUp() override { forget_words(); }
  void TearDown() override { forget_words(); }

  static void forget_words() {
    clear_dictionary();
    literal_dictionary.clear();
  }
  static void add_words(const std::vector<std::string>& words) {
    for (const std::string& word : words) {
      add_word(word);
      literal_add_word(word);
    }
  }
  static std::string program_output(const std::string& query) {
    std::string printed;
    capture_output(&printed);
    search_single_word(query);
    search_two_words(query);
    search_three_words(query);
    capture_output(nullptr);
    return printed;
  }
  static std::string literal_output(const std::string& query) {
    std::string printed;
    capture_output(&printed);
    literal_search_all(query);
    capture_output(nullptr);
    return printed;
  }
};

const std::string separator = "------------------------\n";
const std::string no_single = separator + "Single word : 0 words\n";

struct example {
  const char* name;
  std::vector<std::string> words;
  std::string query;
  std::string expected;
};

// Worked by hand from the rules; they hold the literal reference to account too.
const example examples[] = {
    {"one-word anagrams ascending",
     {"listen", "silent", "enlist", "tinsel"},
     "inlets",
     separator + "Single word : 4 words\n  enlist\n  listen\n  silent\n  tinsel\n" + separator + separator},
    {"two letters",
     {"a", "b"},
     "ba",
     no_single + separator + "  a : b : 1*1 entries\n    fm:a\n    la:b\n" + separator + "sorry, too short.\n"},
    {"the greatest letter never starts a division",
     {"op", "st", "so"},
     "stop",
     no_single + separator + "  op : st : 1*1 entries\n    fm:op\n    la:st\n" + separator},
    {"divisions in the order of their first mask",
     {"en", "list", "nil", "set", "sen", "lit"},
     "listen",
     no_single + separator + "  en : ilst : 1*1 entries\n    fm:en\n    la:list\n" +
         "  iln : est : 1*1 entries\n    fm:nil\n    la:set\n" + "  ens : ilt : 1*1 entries\n    fm:sen\n    la:lit\n" +
         separator},
    {"equal halves once",
     {"ab", "ba"},
     "aabb",
     separator + "Single word : 0 words\n" + separator +
         "  ab : ab : 2*2 entries\n    fm:ab\n    fm:ba\n    la:ab\n    la:ba\n" + separator},
    {"a repeated letter's copies",
     {"b", "ab"},
     "abb",
     no_single + separator + "  b : ab : 1*1 entries\n    fm:b\n    la:ab\n" + separator},
    {"three groups sorted",
     {"a", "b", "c"},
     "cab",
     no_single + separator + separator + "  a : b : c : 1*1*1 entries\n    0:a\n    1:b\n    2:c\n"},
    {"two equal groups",
     {"ab", "c"},
     "aabbc",
     no_single + separator + separator + "  ab : ab : c : 1*1*1 entries\n    0:ab\n    1:ab\n    2:c\n"},
    {"three equal groups",
     {"a"},
     "aaa",
     no_single + separator + separator + "  a : a : a : 1*1*1 entries\n    0:a\n    1:a\n    2:a\n"},
    {"three groups in the order of their first number",
     {"a", "b", "c", "d", "ab", "ac", "ad", "bc", "bd", "cd"},
     "abcd",
     no_single + separator + "  ab : cd : 1*1 entries\n    fm:ab\n    la:cd\n" +
         "  ac : bd : 1*1 entries\n    fm:ac\n    la:bd\n" + "  bc : ad : 1*1 entries\n    fm:bc\n    la:ad\n" +
         separator + "  a : b : cd : 1*1*1 entries\n    0:a\n    1:b\n    2:cd\n" +
         "  a : bd : c : 1*1*1 entries\n    0:a\n    1:bd\n    2:c\n" +
         "  a : bc : d : 1*1*1 entries\n    0:a\n    1:bc\n    2:d\n" +
         "  ad : b : c : 1*1*1 entries\n    0:ad\n    1:b\n    2:c\n" +
         "  ac : b : d : 1*1*1 entries\n    0:ac\n    1:b\n    2:d\n" +
         "  ab : c : d : 1*1*1 entries\n    0:ab\n    1:c\n    2:d\n"},
    {"a letter no word has", {"a", "b", "ab"}, "aB", no_single + separator + separator + "sorry, too short.\n"},
    {"the empty word is no part",
     {"", "ab"},
     "",
     separator + "Single word : 1 words\n  \n" + separator + separator + "sorry, too short.\n"},
};

TEST_F(Search, WorkedExamples) {
  for (const example& e : examples) {
    add_words(e.words);
    EXPECT_EQ(literal_output(e.query), e.expected) << "example " << e.name << " (literal)";
    EXPECT_EQ(program_output(e.query), e.expected) << "example " << e.name;
    forget_words();
  }
}

std::string random_word(std::mt19937& pick, std::size_t length, int letters) {
  std::string word(length, ' ');
  for (char& c : word) c = static_cast<char>('a' + pick() % static_cast<unsigned>(letters));
  return word;
}

std::string random_query(std::mt19937& pick, std::size_t length, int letters) {
  std::string query = random_word(pick, length, letters);
  if (!query.empty() && pick() % 16 == 0) query[pick() % query.size()] = "A-{`\xff"[pick() % 5];
  return query;
}

std::string joined(const std::vector<std::string>& words) {
  std::string all;
  for (const std::string& word : words) all += word + ",";
  return all;
}

// Few letters make repeated letters, shared signatures and equal parts common. Some
// dictionaries are large, so that the searches also find parts by looking them up.
TEST_F(Search, AgreesWithTheLiteralWalkOnRandomDictionaries) {
  std::mt19937 pick(20261211);
  for (int round = 0; round < 3000; ++round) {
    forget_words();
    int letters = 2 + static_cast<int>(pick() % 5);
    std::vector<std::string> words(round % 10 == 0 ? 3000 : pick() % 40);
    for (std::string& word : words) word = random_word(pick, 1 + pick() % 5, letters);
    if (pick() % 8 == 0) words.push_back("");
    add_words(words);
    std::string query = random_query(pick, pick() % 12, letters);
    ASSERT_EQ(program_output(query), literal_output(query))
        << "round " << round << ", query " << query << ", words " << joined(words);
  }
}

// The longest queries each search takes, and one byte more: few, since the literal walk
// over 3^14 assignment numbers is slow. (Fifteen distinct letters are the benchmark's.)
TEST_F(Search, AgreesWithTheLiteralWalkOnLongQueries) {
  std::mt19937 pick(777);
  for (std::size_t length : {13, 15, 16, 20, 21}) {
    forget_words();
    int letters = 3 + static_cast<int>(pick() % 6);
    std::vector<std::string> words(400);
    for (std::string& word : words) word = random_word(pick, 1 + pick() % 7, letters);
    add_words(words);
    std::string query = random_word(pick, length, letters);
    ASSERT_EQ(program_output(query), literal_output(query))
        << "length " << length << ", query " << query << ", words " << joined(words);
  }
}

}  // namespace
