// The signature index: every accepted word grouped under its signature, the word's bytes
// in ascending order, so that all the anagrams of a word are found by a single lookup.
//
// There is one process-wide signature_dictionary. Word-list loading fills it through
// add_word before the first search; the searches only read it, through find.
//
// Promises:
//  - a word is stored once, under its own signature; a present signature has >= 1 word;
//  - find never creates an entry and copies no words;
//  - the words of a present signature are listed in ascending byte order.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

using signature = std::string;

// The bytes of word in ascending order of their unsigned values; word is untouched.
signature signature_of(std::string_view word);

// Stores word under its signature. True when the word was not in the dictionary before.
bool add_word(std::string_view word);

// The words of one present signature, ascending. Valid until the next add_word.
struct word_set {
  const char* const* first;
  const char* const* last;

  const char* const* begin() const { return first; }
  const char* const* end() const { return last; }
  int size() const { return static_cast<int>(last - first); }
};

// The words stored under the signature, or nothing when none are.
std::optional<word_set> find(std::string_view signature);

// How many signatures the dictionary holds.
std::size_t signature_count();

// One word of the i-th signature (0 <= i < signature_count(), in no particular order).
// Lets a search visit every signature once without building its string.
std::string_view signature_word(std::size_t i);

// Empties the dictionary, as at program start. For the tests.
void clear_dictionary();
