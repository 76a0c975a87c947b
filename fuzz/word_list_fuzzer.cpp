// Word-list reading under libFuzzer. The input's first byte says how to cut the rest into
// pieces; the rest is a word list. Fed to the streaming reader piece by piece, and also
// all at once, the list must give exactly the words of the plain line rules
// (literal_words_of), in file order. Those words, added to the dictionary one by one and
// in one batch, must then be found under their signatures, each signature holding exactly
// its distinct words in ascending order.
//
// The first byte: its low two bits pick the cutting, its upper six bits (s) a size:
//   0  one byte at a time
//   1  pieces of s + 1 bytes
//   2  pieces of 0 to s + 1 bytes, empty ones included, from a generator seeded by the byte
//   3  a cut right before and right after every line feed, carriage return and 0x1A
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/signature_dictionary.h"
#include "dictionary/word_list_loading.h"
#include "escaped.h"
#include "reference/literal_anagrams.h"

namespace {

using word_list = std::vector<std::string>;

// Enough of a word list to recognise it; the whole input is in the crash file.
constexpr std::size_t shown_bytes = 300;

void print_words(const char* label, const word_list& words) {
  std::fprintf(stderr, "  %s (%zu):", label, words.size());
  for (std::size_t i = 0; i < words.size() && i < 40; ++i) {
    std::fprintf(stderr, " \"");
    print_escaped(words[i], shown_bytes);
    std::fprintf(stderr, "\"");
  }
  std::fprintf(stderr, words.size() > 40 ? " ...\n" : "\n");
}

[[noreturn]] void fail(const std::string& what, std::string_view list) {
  std::fprintf(stderr, "word_list_fuzzer: %s\n  word list: \"", what.c_str());
  print_escaped(list, shown_bytes);
  std::fprintf(stderr, "\"\n");
  std::abort();
}

// Where each piece ends, as offsets into the list; the last one is the list's size.
std::vector<std::size_t> piece_ends(unsigned char how, std::string_view list) {
  std::vector<std::size_t> ends;
  std::size_t size = static_cast<std::size_t>(how >> 2) + 1;
  switch (how & 3) {
    case 0:
      for (std::size_t i = 1; i <= list.size(); ++i) ends.push_back(i);
      break;
    case 1:
      for (std::size_t i = size; i < list.size(); i += size) ends.push_back(i);
      break;
    case 2: {
      std::uint32_t state = 0x9E3779B9u ^ how;
      std::size_t at = 0;
      while (at < list.size()) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        at += state % (size + 1);  // 0 gives an empty piece
        ends.push_back(at < list.size() ? at : list.size());
      }
      break;
    }
    default:
      for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] == '\n' || list[i] == '\r' || list[i] == '\x1A') {
          ends.push_back(i);
          ends.push_back(i + 1);
        }
      }
      break;
  }
  ends.push_back(list.size());
  return ends;
}

word_list read_in_pieces(std::string_view list, const std::vector<std::size_t>& ends) {
  word_list words;
  word_visitor visit = [&words](std::string_view word) { words.emplace_back(word); };
  word_list_reader reader;
  std::size_t at = 0;
  for (std::size_t end : ends) {
    read_word_list_bytes(reader, list.substr(at, end - at), visit);
    at = end;
  }
  finish_word_list(reader, visit);
  return words;
}

void check_read(const char* how, const word_list& got, const word_list& expected, std::string_view list) {
  if (got == expected) return;
  print_words("read", got);
  print_words("expected", expected);
  fail(std::string("the words read ") + how + " differ from the line rules", list);
}

// The dictionary against the literal one built from the same words.
void check_dictionary(const char* how, const word_list& words, std::string_view list) {
  if (signature_count() != literal_dictionary.size())
    fail(std::string(how) + ": " + std::to_string(signature_count()) + " signatures, expected " +
             std::to_string(literal_dictionary.size()),
         list);
  for (const std::string& word : words) {
    signature key = signature_of(word);
    std::optional<word_set> found = find(key);
    if (!found) fail(std::string(how) + ": nothing found under the signature of \"" + word + "\"", list);
    const std::set<std::string>& expected = literal_dictionary.at(key);
    word_list listed(found->begin(), found->end());
    if (found->size() != static_cast<int>(expected.size()) || listed != word_list(expected.begin(), expected.end())) {
      print_words("found", listed);
      print_words("expected", word_list(expected.begin(), expected.end()));
      fail(std::string(how) + ": wrong words under the signature \"" + key + "\" (size " +
               std::to_string(found->size()) + ")",
           list);
    }
    // Only signatures are keys: the word itself, unless it is already ascending, is not one.
    if (key != word && find(word))
      fail(std::string(how) + ": the unsorted word \"" + word + "\" was found as a key", list);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  unsigned char how = data[0];
  std::string_view list(reinterpret_cast<const char*>(data) + 1, size - 1);

  const word_list expected = literal_words_of(list);
  check_read("all at once", read_in_pieces(list, {list.size()}), expected, list);
  check_read("in pieces", read_in_pieces(list, piece_ends(how, list)), expected, list);

  // Which words are new, by the literal dictionary.
  literal_dictionary.clear();
  std::vector<bool> is_new;
  std::size_t new_words = 0;
  for (const std::string& word : expected) {
    is_new.push_back(literal_add_word(word));
    new_words += is_new.back();
  }

  clear_dictionary();
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (add_word(expected[i]) != is_new[i])
      fail("add_word(\"" + expected[i] + "\") returned " + (is_new[i] ? "false" : "true"), list);
  }
  check_dictionary("one by one", expected, list);

  clear_dictionary();
  std::vector<std::string_view> views(expected.begin(), expected.end());
  std::size_t added = add_words(views.data(), views.size());
  if (added != new_words)
    fail("add_words returned " + std::to_string(added) + ", expected " + std::to_string(new_words), list);
  check_dictionary("in one batch", expected, list);
  return 0;
}
