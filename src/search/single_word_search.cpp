#include "dictionary/signature_dictionary.h"
#include "output.h"
#include "search/listing.h"
#include "search/search.h"

void search_single_word(std::string word) {
  signature query = signature_of(word);
  print_separator();
  std::optional<word_set> words = find(query);
  if (!words) {
    print_formatted("Single word : 0 words\n");
    return;
  }
  print_formatted("Single word : %d words\n", words->size());
  print_words("  ", *words);
}
