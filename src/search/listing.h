// What the three searches print alike: the separator line and the word listings.
#pragma once

#include <string_view>

#include "dictionary/signature_dictionary.h"

void print_separator();

// "PREFIXWORD" for every word of the set, ascending, each line flushed.
void print_words(std::string_view prefix, const word_set& words);

// Whether every byte of the text is one of a..z.
bool is_plain_lowercase(std::string_view text);
