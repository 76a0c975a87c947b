// The three searches run for every query word, in this order. Each takes its own copy of
// the query word, prints its report to the output channel, and only reads the dictionary.
//
// Every report opens with the separator line. A query holding any byte outside a..z finds
// nothing: no dictionary signature holds such a byte.
#pragma once

#include <string>

// The dictionary words made of exactly the query's letters:
// "Single word : N words", then "  WORD" for each, ascending.
void search_single_word(std::string word);

// Every division of the query's letters into two non-empty dictionary signatures, each
// once, in the order of the first split mask that produces it and in that mask's
// orientation: "  FIRST : SECOND : N*M entries", then "    fm:WORD" and "    la:WORD".
// Queries of 1 byte are too short, of more than 20 bytes too long.
void search_two_words(std::string word);

// Every division of the query's letters into three non-empty dictionary signatures, each
// once, in the order of the smallest assignment number that produces it, its groups
// sorted: "  S0 : S1 : S2 : N*M*K entries", then "    0:WORD", "    1:WORD", "    2:WORD".
// Queries of fewer than 3 bytes are too short, of more than 15 bytes too long.
void search_three_words(std::string word);
