// The signature index: every accepted word grouped under its signature, the word's bytes
// in ascending order, so that all the anagrams of a word are found by a single lookup.
//
// There is one process-wide signature_dictionary. Word-list loading fills it through
// add_word before the first search; the searches only read it, through find.
//
// Promises:
//  - a word is stored once, under its own signature; a present signature has >= 1 word;
//  - only words of the bytes a..z are stored, the empty word included;
//  - find never creates an entry and copies no words;
//  - the words of a present signature are listed in ascending byte order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

using signature = std::string;

// The bytes of word in ascending order of their unsigned values; word is untouched.
signature signature_of(std::string_view word);

// Stores word under its signature. True when the word was not in the dictionary before;
// false also for a word with a byte outside a..z, which is not stored.
bool add_word(std::string_view word);

// Adds the words in order, exactly as add_word one by one would; returns how many were
// new. Faster for many words at once.
std::size_t add_words(const std::string_view* words, std::size_t count);

// The words of one present signature, ascending. Valid until the next add_word.
struct word_set {
  // What follows the greatest word of a signature.
  static constexpr std::uint32_t no_word = 0xFFFFFFFFu;

  std::uint32_t first;  // the smallest word
  int count;

  struct iterator {
    using iterator_category = std::forward_iterator_tag;
    using value_type = const char*;
    using difference_type = std::ptrdiff_t;
    using pointer = const value_type*;
    using reference = value_type;

    std::uint32_t word;
    const char* operator*() const;
    iterator& operator++();
    bool operator==(const iterator& other) const { return word == other.word; }
    bool operator!=(const iterator& other) const { return word != other.word; }
  };

  iterator begin() const { return {first}; }
  iterator end() const { return {no_word}; }
  int size() const { return count; }
};

// A hint that about this many bytes of word lists are about to be added: the dictionary
// makes room once instead of growing step by step. Changes nothing that can be seen.
void expect_word_list_bytes(std::size_t bytes);

// The words stored under the signature, or nothing when none are.
std::optional<word_set> find(std::string_view signature);

// How many signatures the dictionary holds.
std::size_t signature_count();

// The words of the i-th signature (0 <= i < signature_count(), in no particular order).
// Lets a search visit every signature once without building its string.
word_set signature_words(std::size_t i);

// Empties the dictionary, as at program start. For the tests.
void clear_dictionary();
