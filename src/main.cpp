// anagrams: prints, for each query word, its one-word anagrams and its divisions into two
// and three dictionary signatures, from the word lists of the current directory.
#include "dictionary/word_list_loading.h"
#include "output.h"
#include "search/search.h"

#if defined(_WIN32)
// Arguments are taken as the runtime splits them; a * or ? stays part of the query word.
extern "C" {
int _dowildcard = 0;
}
#endif

int main(int argc, char** argv) {
  if (argc <= 1) {
    print_formatted("usage: %s word\n", argc > 0 && argv[0] ? argv[0] : "anagrams");
    return finish_output();
  }
  load_word_lists();
  for (int i = 1; i < argc; ++i) {
    print_formatted("word : %s\n", argv[i]);
    search_single_word(argv[i]);
    search_two_words(argv[i]);
    search_three_words(argv[i]);
  }
  return finish_output();
}
