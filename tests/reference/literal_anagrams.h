// The program's rules done the slow, obvious way, as the oracle the production code is
// compared with and the baseline the benchmarks time: an ordered map from signature to an
// ordered set of words, every line of a word list read with getline, every split mask and
// every assignment number walked in increasing order with a set of the parts or keys
// already met. It prints through the same output channel as the program.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

extern std::map<std::string, std::set<std::string>> literal_dictionary;

bool literal_add_word(const std::string& word);

// The words a word list's bytes hold, in file order, repeats included: the data ends at
// the first 0x1A, lines end at line feeds, a final line feed adds no empty line, carriage
// returns are removed, and a line is kept only when every remaining byte is a..z.
std::vector<std::string> literal_words_of(std::string_view bytes);

// Loads the current directory's word lists into literal_dictionary, printing the count
// lines and the total line as the program does.
void literal_load_word_lists();

void literal_search_single_word(std::string word);
void literal_search_two_words(std::string word);
void literal_search_three_words(std::string word);

// The three searches for one query word, in the program's order.
void literal_search_all(const std::string& word);
