#include "search/listing.h"

#include <algorithm>

#include "output.h"

void print_separator() { print_formatted("------------------------\n"); }

void print_words(std::string_view prefix, const word_set& words) {
  for (const char* word : words) print_word_line(prefix, word);
}

bool is_plain_lowercase(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}
