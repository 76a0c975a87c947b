// anagrams_literal: the same run as anagrams, done the literal way (an ordered map of
// ordered sets, the full walks with their seen sets). The benchmarks' baseline.
#include "output.h"
#include "reference/literal_anagrams.h"

int main(int argc, char** argv) {
  if (argc <= 1) {
    print_formatted("usage: %s word\n", argc > 0 && argv[0] ? argv[0] : "anagrams_literal");
    return finish_output();
  }
  literal_load_word_lists();
  for (int i = 1; i < argc; ++i) {
    print_formatted("word : %s\n", argv[i]);
    literal_search_all(argv[i]);
  }
  return finish_output();
}
