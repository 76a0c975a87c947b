#include "dictionary/word_list_loading.h"

#include <gtest/gtest.h>

#include <random>

#include "dictionary/signature_dictionary.h"
#include "output.h"
#include "reference/literal_anagrams.h"
#include "test_folder.h"

namespace {

// Feeds the bytes to a reader in pieces of the given size (0: all at once).
std::vector<std::string> read_words(std::string_view bytes, std::size_t piece = 0) {
  std::vector<std::string> words;
  word_visitor visit = [&words](std::string_view word) { words.emplace_back(word); };
  word_list_reader reader;
  if (piece == 0) piece = bytes.size() + 1;
  for (std::size_t at = 0; at < bytes.size(); at += piece) read_word_list_bytes(reader, bytes.substr(at, piece), visit);
  finish_word_list(reader, visit);
  return words;
}

using words = std::vector<std::string>;

struct line_case {
  const char* name;
  std::string bytes;
  words expected;
};

const line_case line_cases[] = {
    {"plain lines", "listen\nsilent\n", {"listen", "silent"}},
    {"CR LF", "listen\r\nsilent\r\n", {"listen", "silent"}},
    {"lone CR line is the empty word", "\r\nab\n", {"", "ab"}},
    {"CR inside a word joins it", "ab\rcd\n", {"abcd"}},
    {"CR only separators make one line", "one\rtwo\rthree\r", {"onetwothree"}},
    {"0x1A at the start",
     "\x1A"
     "abc\n",
     {}},
    {"0x1A on a line of its own", "alpha\n\x1A\nbeta\n", {"alpha"}},
    {"0x1A in the middle of a word", "alpha\nbe\x1Ata\ngamma\n", {"alpha", "be"}},
    {"0x1A at the end", "alpha\nbeta\n\x1A", {"alpha", "beta"}},
    {"trailing space", "word \nword\n", {"word"}},
    {"tab", "a\tb\nab\n", {"ab"}},
    {"capitals", "Listen\nLISTEN\nlisten\n", {"listen"}},
    {"digits and hyphens", "x1\na-b\nab\n", {"ab"}},
    {"high bytes", "caf\xc3\xa9\n\xff\nok\n", {"ok"}},
    {"byte-order mark costs the first line",
     "\xef\xbb\xbf"
     "first\nsecond\n",
     {"second"}},
    {"empty line is the empty word", "a\n\nb\n", {"a", "", "b"}},
    {"no final line feed", "a\nlast", {"a", "last"}},
    {"final line feed adds no line", "a\n", {"a"}},
    {"nothing at all", "", {}},
    {"a single line feed", "\n", {""}},
    {"repeats are all handed over", "ab\nab\n", {"ab", "ab"}},
    {"a bad line ends at its line feed",
     "ab\xff"
     "cd\nef\n",
     {"ef"}},
    {"the file example", "listen\r\nsilent\n\nLISTEN\nten nis\nlisten", {"listen", "silent", "", "listen"}},
};

TEST(WordListReader, LineRules) {
  for (const line_case& c : line_cases) EXPECT_EQ(read_words(c.bytes), c.expected) << "case " << c.name;
}

// Reading happens in buffer-sized pieces: where a piece ends must never matter.
TEST(WordListReader, PieceBoundariesDoNotMatter) {
  for (const line_case& c : line_cases)
    for (std::size_t piece : {1, 2, 3, 5})
      EXPECT_EQ(read_words(c.bytes, piece), c.expected) << "case " << c.name << ", pieces of " << piece;
}

TEST(WordListReader, AgreesWithThePlainLineRulesOnRandomBytes) {
  std::mt19937 pick(2024);
  const char alphabet[] = {'a', 'b', 'z', '\r', '\n', '\n', '\x1A', 'A', ' ', '\xff', '`', '{'};
  for (int i = 0; i < 3000; ++i) {
    std::string bytes(pick() % 40, ' ');
    for (char& c : bytes) c = alphabet[pick() % sizeof alphabet];
    // 0x1A is rare in real lists; let most cases reach their end.
    if (pick() % 2) bytes.erase(std::remove(bytes.begin(), bytes.end(), '\x1A'), bytes.end());
    std::size_t piece = pick() % 6;
    ASSERT_EQ(read_words(bytes, piece), literal_words_of(bytes)) << "case " << i << ", pieces of " << piece;
  }
}

TEST(WordListNames, EndInTwoDigits) {
  struct name_case {
    const char* name;
    bool qualifies;
  } cases[] = {{"words01", true}, {"en.42", true},  {"list-07", true},           {"12", true},
               {"77", true},      {"words", false}, {"words1a", false},          {"7", false},
               {"", false},       {"1a1", false},   {"a\xd9\xa1\xd9\xa2", false}};
  for (const name_case& c : cases) EXPECT_EQ(is_word_list_name(c.name), c.qualifies) << "name " << c.name;
}

class WordListLoading : public testing::Test {
 protected:
  void SetUp() override {
    clear_dictionary();
    total_word_count = 0;
    capture_output(&printed);
  }
  void TearDown() override {
    capture_output(nullptr);
    clear_dictionary();
    total_word_count = 0;
  }
  std::string printed;
  test_folder folder;
};

// Lines longer than the read buffer, a rejected line as long, and a CR LF pair split
// between two reads of the buffer's size.
TEST_F(WordListLoading, LinesCrossingReadsAreWhole) {
  constexpr std::size_t read_size = std::size_t{1} << 17;
  std::string long_word(300000, 'q');
  std::string bytes = long_word + "\nab\n";
  std::string filler(read_size - 1 - bytes.size() % read_size, 'c');  // puts the CR last in a read
  bytes += filler + "\r\n" + std::string(200000, 'x') + "Y\nlast";
  folder.write("words01", bytes);
  EXPECT_EQ(load_word_list("words01"), 4);
  EXPECT_TRUE(find(long_word));
  EXPECT_TRUE(find("ab"));
  EXPECT_TRUE(find(filler));
  EXPECT_TRUE(find("alst"));
}

TEST_F(WordListLoading, CountsEachWordForTheFirstListThatHasIt) {
  folder.write("a01", "stop\npots\nstop\n");
  EXPECT_EQ(load_word_list("a01"), 2);
  folder.write("a02", "pots\ntops\n");
  EXPECT_EQ(load_word_list("a02"), 1);
  EXPECT_EQ(load_word_list("missing01"), 0);
}

TEST_F(WordListLoading, PrintsACountLinePerListThenTheTotal) {
  folder.write("x01", "alpha\nbeta\n");
  folder.write("notalist", "gamma\n");
  load_word_lists();
  EXPECT_EQ(printed, "x01 : 2 words\n--total : 2 words\n");
  EXPECT_FALSE(find("aagmm"));
}

}  // namespace
