// The built program, run as a user runs it: in a fresh folder holding fixture word lists,
// with an exact argument list. Every expected output below is worked out by hand.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "program_runner.h"

namespace {

using program_runner::launcher;
using program_runner::line_end;
using program_runner::run_anagrams;
using program_runner::run_options;
using program_runner::run_result;
using program_runner::temporary_folder;
using program_runner::with_line_ends;

const std::string separator = "------------------------\n";
const std::string no_single_word = "Single word : 0 words\n";
const std::string too_short = "sorry, too short.\n";
const std::string too_long = "sorry, too long word.\n";
const std::string nothing_found = "";

// The output for one query word: its heading, then the single-word, two-word and
// three-word searches, each after its separator.
std::string block(const std::string& query, const std::string& single, const std::string& two,
                  const std::string& three) {
  return "word : " + query + "\n" + separator + single + separator + two + separator + three;
}

// An entry of the folder the program runs in. `count` is the number its count line must
// show; entries without one must never be read or listed.
struct folder_entry {
  enum kind_type { file, directory } kind;
  std::string name;
  std::string bytes;
  std::optional<int> count;
};

folder_entry word_list(std::string name, std::string bytes, int count) {
  return {folder_entry::file, std::move(name), std::move(bytes), count};
}
folder_entry ignored_file(std::string name, std::string bytes) {
  return {folder_entry::file, std::move(name), std::move(bytes), std::nullopt};
}
folder_entry listed_directory(std::string name) { return {folder_entry::directory, std::move(name), "", 0}; }

void populate(const temporary_folder& folder, const std::vector<folder_entry>& entries) {
  for (const folder_entry& entry : entries) {
    if (entry.kind == folder_entry::directory) {
      folder.make_directory(entry.name);
    } else {
      folder.write_file(entry.name, entry.bytes);
    }
  }
}

// The names of the count lines at the start of `output`, in the order printed.
std::vector<std::string> listed_names(const std::string& output) {
  std::vector<std::string> names;
  const std::string& end = line_end();
  std::size_t start = 0;
  for (;;) {
    std::size_t stop = output.find(end, start);
    if (stop == std::string::npos) break;
    std::string line = output.substr(start, stop - start);
    if (line.rfind("--total : ", 0) == 0 || line.rfind("word : ", 0) == 0) break;
    std::size_t colon = line.rfind(" : ");
    if (colon == std::string::npos) break;
    names.push_back(line.substr(0, colon));
    start = stop + end.size();
  }
  return names;
}

// The order in which the count lines of `expected` names must appear: the program's own
// order when it printed exactly those names, otherwise the given order (and the
// comparison of the whole output then shows what went wrong).
std::vector<std::string> listing_order(const std::string& output, std::vector<std::string> expected) {
  std::vector<std::string> printed = listed_names(output);
  if (printed.size() == expected.size() && std::is_permutation(printed.begin(), printed.end(), expected.begin()))
    return printed;
  return expected;
}

std::string count_line(const std::string& name, int count) { return name + " : " + std::to_string(count) + " words\n"; }
std::string total_line(int total) { return "--total : " + std::to_string(total) + " words\n"; }

void expect_clean_exit(const run_result& result, const std::string& case_name) {
  EXPECT_TRUE(result.exited) << "case " << case_name << ": killed by signal " << result.signal_number;
  EXPECT_EQ(result.exit_status, 0) << "case " << case_name;
  // An emulator may talk on standard error; the program itself never does.
  if (!launcher()) {
    EXPECT_EQ(result.standard_error, "") << "case " << case_name;
  }
}

// One run: the folder's entries, the query words and what follows the total line.
struct run_case {
  std::string name;
  std::vector<folder_entry> entries;
  std::vector<std::string> queries;
  std::string expected_blocks;
};

// Runs each case in a folder of its own and compares the whole of standard output,
// taking only the order of the count lines from the program.
void check_cases(const std::vector<run_case>& cases) {
  for (const run_case& c : cases) {
    temporary_folder folder;
    populate(folder, c.entries);
    run_result result = run_anagrams(folder.path(), c.queries);

    std::vector<std::string> names;
    int total = 0;
    for (const folder_entry& entry : c.entries) {
      if (!entry.count) continue;
      names.push_back(entry.name);
      total += *entry.count;
    }
    std::string expected;
    for (const std::string& name : listing_order(result.standard_output, names)) {
      auto entry =
          std::find_if(c.entries.begin(), c.entries.end(), [&](const folder_entry& e) { return e.name == name; });
      expected += count_line(name, *entry->count);
    }
    expected += total_line(total) + c.expected_blocks;

    EXPECT_EQ(result.standard_output, with_line_ends(expected)) << "case " << c.name;
    expect_clean_exit(result, c.name);
  }
}

// ---------------------------------------------------------------------------------------
// Usage

TEST(EndToEndUsage, NoQueryWordPrintsOnlyTheUsageLineWithTheNameAsGiven) {
  struct usage_case {
    std::string name;
    std::optional<std::string> program_name;
    std::string expected_name;
  };
  const std::vector<usage_case> cases = {
      {"plain name", std::string("anagrams"), "anagrams"},
      {"path-like name", std::string("./some/dir/anagrams"), "./some/dir/anagrams"},
      {"name with conversions", std::string("50%d%s%n"), "50%d%s%n"},
      {"name with a space", std::string("my anagrams"), "my anagrams"},
      {"default name, the executed path", std::nullopt, program_runner::program_under_test()},
  };
  for (const usage_case& c : cases) {
    temporary_folder folder;
    // Read, this list would print its count line.
    folder.write_file("words01", "listen\nsilent\n");
    run_options options;
    options.program_name = c.program_name;
    run_result result = run_anagrams(folder.path(), {}, options);

    if (launcher()) {
      // The emulated program gets a name of the emulator's making.
      const std::string& out = result.standard_output;
      const std::string tail = " word" + line_end();
      EXPECT_EQ(out.rfind("usage: ", 0), 0u) << "case " << c.name << ": " << out;
      EXPECT_TRUE(out.size() >= tail.size() && out.compare(out.size() - tail.size(), tail.size(), tail) == 0)
          << "case " << c.name << ": " << out;
      EXPECT_EQ(out.find(line_end()), out.size() - line_end().size()) << "case " << c.name << ": " << out;
    } else {
      EXPECT_EQ(result.standard_output, "usage: " + c.expected_name + " word\n") << "case " << c.name;
    }
    expect_clean_exit(result, c.name);
  }
}

// ---------------------------------------------------------------------------------------
// Word lists: which entries are read and what is taken from them

TEST(EndToEndWordLists, CountLinesAndAcceptedWords) {
  check_cases({
      {"mixed line ends, blank, capitalised and spaced lines, repeat without final LF",
       {word_list("a01", "listen\r\nsilent\n\nLISTEN\nten nis\nlisten", 3)},
       {"silent", ""},
       block("silent", "Single word : 2 words\n  listen\n  silent\n", nothing_found, nothing_found) +
           block("", "Single word : 1 words\n  \n", nothing_found, too_short)},
      {"lines separated by lone carriage returns are one line",
       {word_list("c01", "one\rtwo\rthree\r", 1)},
       {"onetwothree", "one"},
       block("onetwothree", "Single word : 1 words\n  onetwothree\n", nothing_found, nothing_found) +
           block("one", no_single_word, nothing_found, nothing_found)},
      {"ctrl-z ends the data",
       {word_list("d01", "alpha\n\x1A\nbeta\n", 1)},
       {"alpha", "beta"},
       block("alpha", "Single word : 1 words\n  alpha\n", nothing_found, nothing_found) +
           block("beta", no_single_word, nothing_found, nothing_found)},
      {"carriage returns inside a line join its bytes",
       {word_list("e01", "ab\rcd\nx\r\r\n", 2)},
       {"abcd", "x"},
       block("abcd", "Single word : 1 words\n  abcd\n", nothing_found, nothing_found) +
           block("x", "Single word : 1 words\n  x\n", too_short, too_short)},
      {"lines with other bytes are dropped, not repaired",
       {word_list("f01", "tab\t\nspace \n lead\nDigit\ndigit7\nhy-phen\ncaf\xC3\xA9\nkept\n", 1)},
       {"tab", "space", "kept"},
       block("tab", no_single_word, nothing_found, nothing_found) +
           block("space", no_single_word, nothing_found, nothing_found) +
           block("kept", "Single word : 1 words\n  kept\n", nothing_found, nothing_found)},
      {"a byte-order mark costs the first line",
       {word_list("g01",
                  "\xEF\xBB\xBF"
                  "first\nsecond\n",
                  1)},
       {"first", "second"},
       block("first", no_single_word, nothing_found, nothing_found) +
           block("second", "Single word : 1 words\n  second\n", nothing_found, nothing_found)},
      {"only names ending in two digits are read",
       {ignored_file("7", "seven\n"), word_list("77", "double\n", 1), word_list("en.42", "english\n", 1),
        ignored_file("words1a", "wordsa\n"), word_list("12", "twelve\n", 1), word_list("list-07", "listed\n", 1)},
       {"elbuod", "seven", "wordsa"},
       block("elbuod", "Single word : 1 words\n  double\n", nothing_found, nothing_found) +
           block("seven", no_single_word, nothing_found, nothing_found) +
           block("wordsa", no_single_word, nothing_found, nothing_found)},
      {"a directory with a word-list name is listed with 0 words",
       {listed_directory("x01"), ignored_file("x01/inner01", "inner\n"), word_list("words01", "stop\n", 1)},
       {"pots", "inner"},
       block("pots", "Single word : 1 words\n  stop\n", nothing_found, nothing_found) +
           block("inner", no_single_word, nothing_found, nothing_found)},
      {"no entries at all", {}, {"a"}, block("a", no_single_word, too_short, too_short)},
      {"no name that qualifies",
       {ignored_file("words", "a\n"), ignored_file("words1a", "a\n"), ignored_file("7", "a\n"),
        ignored_file("readme.txt", "a\n"), ignored_file("1x", "a\n")},
       {"a"},
       block("a", no_single_word, too_short, too_short)},
  });
}

TEST(EndToEndWordLists, AWordInTwoListsCountsForTheFirstListed) {
  temporary_folder folder;
  folder.write_file("b01", "stop\n");
  folder.write_file("b02", "stop\n");
  run_result result = run_anagrams(folder.path(), {"stop"});

  std::vector<std::string> order = listing_order(result.standard_output, {"b01", "b02"});
  std::string expected = count_line(order[0], 1) + count_line(order[1], 0) + total_line(1) +
                         block("stop", "Single word : 1 words\n  stop\n", nothing_found, nothing_found);
  EXPECT_EQ(result.standard_output, with_line_ends(expected)) << "case shared word";
  expect_clean_exit(result, "shared word");
}

TEST(EndToEndWordLists, OutputSentToAFileHoldsTheWholeRun) {
  temporary_folder folder;
  temporary_folder elsewhere;
  folder.write_file("words01", "a\nb\nc\n");
  run_options options;
  options.stdout_path = elsewhere.path_of("output");
  run_result result = run_anagrams(folder.path(), {"cab", "ba"}, options);

  const std::string expected =
      "words01 : 3 words\n" + total_line(3) +
      block("cab", no_single_word, nothing_found, "  a : b : c : 1*1*1 entries\n    0:a\n    1:b\n    2:c\n") +
      block("ba", no_single_word, "  a : b : 1*1 entries\n    fm:a\n    la:b\n", too_short);
  EXPECT_EQ(elsewhere.read_file("output"), with_line_ends(expected)) << "case output to a file";
  EXPECT_EQ(result.standard_output, "") << "case output to a file";
  expect_clean_exit(result, "output to a file");
}

// ---------------------------------------------------------------------------------------
// Searches: each case has one word list holding exactly the listed words

// A case whose folder holds the single word list words01 with `words` (one a line).
run_case search_case(std::string name, const std::string& words, int count, std::vector<std::string> queries,
                     std::string expected_blocks) {
  return {std::move(name), {word_list("words01", words, count)}, std::move(queries), std::move(expected_blocks)};
}

TEST(EndToEndSearches, WorkedExamples) {
  const std::string four_anagrams = "Single word : 4 words\n  enlist\n  listen\n  silent\n  tinsel\n";
  check_cases({
      search_case("silent", "listen\nsilent\nenlist\ntinsel\n", 4, {"silent"},
                  block("silent", four_anagrams, nothing_found, nothing_found)),
      search_case("inlets, not itself a word", "listen\nsilent\nenlist\ntinsel\n", 4, {"inlets"},
                  block("inlets", four_anagrams, nothing_found, nothing_found)),
      search_case("ba, the single mask", "a\nb\n", 2, {"ba"},
                  block("ba", no_single_word, "  a : b : 1*1 entries\n    fm:a\n    la:b\n", too_short)),
      search_case("stop, the last letter stays in the second part", "op\nst\nso\n", 3, {"stop"},
                  block("stop", no_single_word, "  op : st : 1*1 entries\n    fm:op\n    la:st\n", nothing_found)),
      search_case("listen, divisions in mask order", "en\nlist\nnil\nset\nsen\nlit\n", 6, {"listen"},
                  block("listen", no_single_word,
                        "  en : ilst : 1*1 entries\n    fm:en\n    la:list\n"
                        "  iln : est : 1*1 entries\n    fm:nil\n    la:set\n"
                        "  ens : ilt : 1*1 entries\n    fm:sen\n    la:lit\n",
                        nothing_found)),
      search_case("aabb, equal parts printed once", "ab\nba\n", 2, {"aabb"},
                  block("aabb", no_single_word, "  ab : ab : 2*2 entries\n    fm:ab\n    fm:ba\n    la:ab\n    la:ba\n",
                        nothing_found)),
      search_case("abb, the mirror is passed over", "b\nab\n", 2, {"abb"},
                  block("abb", no_single_word, "  b : ab : 1*1 entries\n    fm:b\n    la:ab\n", nothing_found)),
      search_case(
          "cab, groups sorted", "a\nb\nc\n", 3, {"cab"},
          block("cab", no_single_word, nothing_found, "  a : b : c : 1*1*1 entries\n    0:a\n    1:b\n    2:c\n")),
      search_case("aabbc, a repeated group", "ab\nc\n", 2, {"aabbc"},
                  block("aabbc", no_single_word, nothing_found,
                        "  ab : ab : c : 1*1*1 entries\n    0:ab\n    1:ab\n    2:c\n")),
      search_case(
          "aaa, one word three times", "a\n", 1, {"aaa"},
          block("aaa", no_single_word, nothing_found, "  a : a : a : 1*1*1 entries\n    0:a\n    1:a\n    2:a\n")),
      search_case("abcd, six divisions in assignment order", "a\nb\nc\nd\nab\nac\nad\nbc\nbd\ncd\n", 10, {"abcd"},
                  block("abcd", no_single_word,
                        "  ab : cd : 1*1 entries\n    fm:ab\n    la:cd\n"
                        "  ac : bd : 1*1 entries\n    fm:ac\n    la:bd\n"
                        "  bc : ad : 1*1 entries\n    fm:bc\n    la:ad\n",
                        "  a : b : cd : 1*1*1 entries\n    0:a\n    1:b\n    2:cd\n"
                        "  a : bd : c : 1*1*1 entries\n    0:a\n    1:bd\n    2:c\n"
                        "  a : bc : d : 1*1*1 entries\n    0:a\n    1:bc\n    2:d\n"
                        "  ad : b : c : 1*1*1 entries\n    0:ad\n    1:b\n    2:c\n"
                        "  ac : b : d : 1*1*1 entries\n    0:ac\n    1:b\n    2:d\n"
                        "  ab : c : d : 1*1*1 entries\n    0:ab\n    1:c\n    2:d\n")),
      search_case("the empty word: a lone CR line, found by the empty query only", "a\n\r\nb\n", 3, {"", "ab"},
                  block("", "Single word : 1 words\n  \n", nothing_found, too_short) +
                      block("ab", no_single_word, "  a : b : 1*1 entries\n    fm:a\n    la:b\n", too_short)),
      search_case("a capital letter finds nothing", "listen\nsilent\nen\nlist\n", 4, {"Listen"},
                  block("Listen", no_single_word, nothing_found, nothing_found)),
      search_case("a hyphen finds nothing", "listen\nsilent\nen\nlist\n", 4, {"lis-ten"},
                  block("lis-ten", no_single_word, nothing_found, nothing_found)),
  });
}

TEST(EndToEndSearches, QueryLengthsAroundTheLimits) {
  // Each query is shuffled, has one division of each kind that fits it, and uses words
  // of this one list only.
  const std::string words = "a\nb\naaaaa\nbbbbb\nccccc\naaaaaa\naaaaaaaaaa\nbbbbbccccc\naaaaaaaaaaabbbbbccccc\n";
  const std::string query_15 = "abcabcabcabcabc";        // aaaaa bbbbb ccccc
  const std::string query_16 = "cbacbacbacbacbaa";       // aaaaaa bbbbb ccccc
  const std::string query_20 = "abcabcabcabcabcaaaaa";   // aaaaaaaaaa bbbbb ccccc
  const std::string query_21 = "abcabcabcabcabcaaaaaa";  // aaaaaaaaaaa bbbbb ccccc
  ASSERT_EQ(query_15.size(), 15u);
  ASSERT_EQ(query_16.size(), 16u);
  ASSERT_EQ(query_20.size(), 20u);
  ASSERT_EQ(query_21.size(), 21u);
  check_cases({
      search_case("1 byte", words, 9, {"a"}, block("a", "Single word : 1 words\n  a\n", too_short, too_short)),
      search_case("2 bytes", words, 9, {"ba"},
                  block("ba", no_single_word, "  a : b : 1*1 entries\n    fm:a\n    la:b\n", too_short)),
      search_case(
          "15 bytes", words, 9, {query_15},
          block(query_15, no_single_word, "  aaaaa : bbbbbccccc : 1*1 entries\n    fm:aaaaa\n    la:bbbbbccccc\n",
                "  aaaaa : bbbbb : ccccc : 1*1*1 entries\n    0:aaaaa\n    1:bbbbb\n    2:ccccc\n")),
      search_case("16 bytes", words, 9, {query_16},
                  block(query_16, no_single_word,
                        "  aaaaaa : bbbbbccccc : 1*1 entries\n    fm:aaaaaa\n    la:bbbbbccccc\n", too_long)),
      search_case("20 bytes", words, 9, {query_20},
                  block(query_20, no_single_word,
                        "  aaaaaaaaaa : bbbbbccccc : 1*1 entries\n    fm:aaaaaaaaaa\n    la:bbbbbccccc\n", too_long)),
      search_case("21 bytes, still looked up whole", words, 9, {query_21},
                  block(query_21, "Single word : 1 words\n  aaaaaaaaaaabbbbbccccc\n", too_long, too_long)),
  });
}

// ---------------------------------------------------------------------------------------
// Arguments: every one is a query word, taken byte for byte

TEST(EndToEndArguments, EveryArgumentIsAQueryWord) {
  const std::string words = "listen\nsilent\n";
  const std::string two_anagrams = "Single word : 2 words\n  listen\n  silent\n";
  check_cases({
      search_case("empty argument", words, 2, {""}, block("", no_single_word, nothing_found, too_short)),
      search_case("leading hyphen, no help text", words, 2, {"-h"},
                  block("-h", no_single_word, nothing_found, too_short)),
      search_case("percent conversion", words, 2, {"50%d"},
                  block("50%d", no_single_word, nothing_found, nothing_found)),
      search_case("conversions that would read and write memory", words, 2, {"%s%s%n"},
                  block("%s%s%n", no_single_word, nothing_found, nothing_found)),
      search_case("asterisk, not expanded", words, 2, {"*"}, block("*", no_single_word, too_short, too_short)),
      search_case("question mark, not expanded", words, 2, {"a?b"},
                  block("a?b", no_single_word, nothing_found, nothing_found)),
      search_case("space inside, not split", words, 2, {"ten nis"},
                  block("ten nis", no_single_word, nothing_found, nothing_found)),
      search_case("two query words, loaded once", "a\nb\nlisten\nsilent\n", 4, {"silent", "ab"},
                  block("silent", two_anagrams, nothing_found, nothing_found) +
                      block("ab", no_single_word, "  a : b : 1*1 entries\n    fm:a\n    la:b\n", too_short)),
      search_case("the same word twice is searched twice", "a\nb\n", 2, {"ab", "ab"},
                  block("ab", no_single_word, "  a : b : 1*1 entries\n    fm:a\n    la:b\n", too_short) +
                      block("ab", no_single_word, "  a : b : 1*1 entries\n    fm:a\n    la:b\n", too_short)),
  });
}

// ---------------------------------------------------------------------------------------
// The runner itself: a folder goes away whatever it holds

TEST(EndToEndRunner, TemporaryFolderIsRemovedWithAllItHolds) {
  temporary_folder outside;
  outside.write_file("kept", "kept\n");
  std::string path;
  {
    temporary_folder folder;
    path = folder.path();
    folder.make_directory("nested01");
    folder.make_directory("nested01/deeper");
    folder.write_file("nested01/deeper/file", "bytes");
    folder.make_fifo("fifo01");
    folder.make_symbolic_link("link01", outside.path());
    folder.make_symbolic_link("dangling", "no such entry");
    folder.write_file("locked01", "secret\n");
    folder.set_mode("locked01", 0);
    folder.make_directory("closed01");
    folder.write_file("closed01/inside", "x");
    folder.set_mode("closed01", 0);
    struct stat status {};
    ASSERT_EQ(lstat(path.c_str(), &status), 0);
  }
  struct stat status {};
  EXPECT_NE(lstat(path.c_str(), &status), 0);
  EXPECT_EQ(errno, ENOENT);
  // The link was removed, not followed.
  EXPECT_EQ(outside.read_file("kept"), "kept\n");
}

}  // namespace
