// The three searches under libFuzzer: a small dictionary and a few query words made from
// the input go to both the production dictionary and the literal one, and for every query
// the production searches together must print byte for byte what the literal searches
// print.
//
// The input is read as lines (line feeds end them):
//  - the first byte picks the alphabet, the letters a to that byte when it is a letter
//    (z: all 26), else the first 1 + byte % 8 of them; few letters make repeated
//    letters, shared signatures and signatures of many words common;
//  - the rest of the first line is the main query, searched once every word is in;
//  - a line that starts with '?' is a further query, searched at that point with the words
//    added so far (at most three such are searched);
//  - every other line is a dictionary word, the empty line the empty word.
// A letter a..z beyond the alphabet is folded into it. In a word any other byte becomes
// a letter too; in a query it stays as it is, so queries that can find nothing are
// searched as well. Queries keep their first ANAGRAMS_FUZZ_LONGEST_QUERY bytes (10
// unless the build says otherwise): the literal three-word walk takes 3^(n-1) steps, and
// past 10 bytes it, not the code under test, sets the pace (at 12, about half a second
// an input).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/signature_dictionary.h"
#include "escaped.h"
#include "output.h"
#include "reference/literal_anagrams.h"
#include "search/search.h"

namespace {

#ifndef ANAGRAMS_FUZZ_LONGEST_QUERY
#define ANAGRAMS_FUZZ_LONGEST_QUERY 10
#endif
constexpr std::size_t longest_query = ANAGRAMS_FUZZ_LONGEST_QUERY;
constexpr int most_further_queries = 3;

// The line of text that holds byte at, and the one after it.
std::string_view lines_around(std::string_view text, std::size_t at) {
  std::size_t first = text.rfind('\n', at == 0 ? 0 : at - 1);
  first = first == std::string_view::npos || at == 0 ? 0 : first + 1;
  std::size_t last = text.find('\n', at);
  if (last != std::string_view::npos) last = text.find('\n', last + 1);
  return text.substr(first, last == std::string_view::npos ? std::string_view::npos : last + 1 - first);
}

[[noreturn]] void fail(const std::string& query, const std::vector<std::string>& words, const std::string& got,
                       const std::string& expected) {
  std::size_t at = static_cast<std::size_t>(
      std::mismatch(got.begin(), got.end(), expected.begin(), expected.end()).first - got.begin());
  std::fprintf(stderr, "search_fuzzer: the searches for \"");
  print_escaped(query);
  std::fprintf(stderr, "\" print %zu bytes, the literal searches %zu; they differ from byte %zu on.\n", got.size(),
               expected.size(), at);
  std::fprintf(stderr, "  dictionary (%zu words):", words.size());
  for (std::size_t i = 0; i < words.size() && i < 60; ++i) std::fprintf(stderr, " \"%s\"", words[i].c_str());
  std::fprintf(stderr, words.size() > 60 ? " ...\n" : "\n");
  std::fprintf(stderr, "  printed there:  \"");
  print_escaped(lines_around(got, at));
  std::fprintf(stderr, "\"\n  expected there: \"");
  print_escaped(lines_around(expected, at));
  std::fprintf(stderr, "\"\n");
  std::abort();
}

void compare_searches(const std::string& query, const std::vector<std::string>& words) {
  std::string got;
  std::string expected;
  capture_output(&got);
  search_single_word(query);
  search_two_words(query);
  search_three_words(query);
  capture_output(&expected);
  literal_search_all(query);
  capture_output(nullptr);
  if (got != expected) fail(query, words, got, expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int letters = data[0] >= 'a' && data[0] <= 'z' ? data[0] - 'a' + 1 : 1 + data[0] % 8;
  auto fold = [letters](unsigned char c) {
    return static_cast<char>('a' + (c >= 'a' && c <= 'z' ? c - 'a' : c) % letters);
  };

  clear_dictionary();
  literal_dictionary.clear();
  std::vector<std::string> words;
  std::string main_query;
  int further_queries = 0;

  std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  for (bool first_line = true; first_line || !rest.empty(); first_line = false) {
    std::size_t line_feed = rest.find('\n');
    std::string_view line = rest.substr(0, line_feed);
    rest = line_feed == std::string_view::npos ? std::string_view() : rest.substr(line_feed + 1);

    if (first_line || (!line.empty() && line[0] == '?')) {
      if (!first_line) line.remove_prefix(1);
      std::string query;
      for (unsigned char c : line.substr(0, longest_query))
        query.push_back(c >= 'a' && c <= 'z' ? fold(c) : static_cast<char>(c));
      if (first_line)
        main_query = query;
      else if (further_queries++ < most_further_queries)
        compare_searches(query, words);
      continue;
    }

    std::string word;
    for (unsigned char c : line) word.push_back(fold(c));
    bool is_new = literal_add_word(word);
    if (add_word(word) != is_new) {
      std::fprintf(stderr, "search_fuzzer: add_word(\"%s\") returned %s\n", word.c_str(), is_new ? "false" : "true");
      std::abort();
    }
    words.push_back(word);
  }
  compare_searches(main_query, words);
  return 0;
}
