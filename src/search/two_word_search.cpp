#include "dictionary/signature_dictionary.h"
#include "output.h"
#include "search/listing.h"
#include "search/search.h"
#include "search/sub_signatures.h"

namespace {

void print_division(const present_part& first, const present_part& second) {
  print_formatted("  %s : %s : %d*%d entries\n", first.signature.c_str(), second.signature.c_str(), first.words.size(),
                  second.words.size());
  print_words("    fm:", first.words);
  print_words("    la:", second.words);
}

}  // namespace

void search_two_words(std::string word) {
  signature query = signature_of(word);
  print_separator();
  if (query.size() == 1) {
    print_formatted("sorry, too short.\n");
    return;
  }
  if (query.size() > 20) {
    print_formatted("sorry, too long word.\n");
    return;
  }
  if (query.empty() || !is_plain_lowercase(query)) return;

  // Both parts of a division together hold every letter of the query, so a division is a
  // part and its complement. Its first split mask puts the part of smaller index first;
  // walking the present parts upwards meets the divisions in the order of those masks.
  query_parts parts = parts_of(query);
  present_parts present = find_present_parts(parts);
  std::uint32_t whole = parts.part_count - 1;
  for (const present_part& first : present.list) {
    std::uint32_t second = whole - first.index;
    if (second < first.index) break;
    if (is_present(present, second)) print_division(first, part_at(present, second));
  }
}
