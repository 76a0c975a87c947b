#include <algorithm>
#include <array>
#include <vector>

#include "dictionary/signature_dictionary.h"
#include "output.h"
#include "search/listing.h"
#include "search/search.h"
#include "search/sub_signatures.h"

namespace {

std::uint32_t power_of_three(int exponent) {
  std::uint32_t power = 1;
  while (exponent-- > 0) power *= 3;
  return power;
}

// The smallest assignment number that gives a division its groups. Group 0 must take the
// part of greatest index, group 2 the smallest: index order is the order of the digits
// from the greatest letter down. Within one letter's positions the number is smallest
// with the group-2 copies lowest, then group 1, then group 0.
std::uint32_t first_assignment_number(const query_parts& parts, std::uint32_t smallest, std::uint32_t middle) {
  std::uint32_t number = 0;
  for (std::size_t j = 0; j < parts.letters.size(); ++j) {
    int in_group_2 = part_digit(parts, smallest, j);
    int in_group_1 = part_digit(parts, middle, j);
    std::uint32_t letter_value = (power_of_three(in_group_2) + power_of_three(in_group_1 + in_group_2) - 2) / 2;
    number += letter_value * power_of_three(parts.first_position[j]);
  }
  return number;
}

void print_division(const std::string& query, std::uint32_t assignment_number) {
  std::array<std::string, 3> groups;
  for (char letter : query) {
    groups[assignment_number % 3].push_back(letter);
    assignment_number /= 3;
  }
  std::sort(groups.begin(), groups.end());
  std::array<word_set, 3> words = {*find(groups[0]), *find(groups[1]), *find(groups[2])};
  print_formatted("  %s : %s : %s : %d*%d*%d entries\n", groups[0].c_str(), groups[1].c_str(), groups[2].c_str(),
                  words[0].size(), words[1].size(), words[2].size());
  print_words("    0:", words[0]);
  print_words("    1:", words[1]);
  print_words("    2:", words[2]);
}

// The smallest assignment number of every division into three present parts.
std::vector<std::uint32_t> find_divisions(const query_parts& parts, const present_parts& present) {
  const std::vector<std::uint32_t>& index = present.indices;
  std::vector<std::uint32_t> mask(index.size());
  for (std::size_t i = 0; i < index.size(); ++i) mask[i] = part_mask(parts, index[i]);

  // Each division is met once, as parts a <= b <= c by index, c what a and b leave over.
  std::vector<std::uint32_t> numbers;
  std::uint32_t whole = parts.part_count - 1;
  for (std::size_t i = 0; i < index.size(); ++i) {
    std::uint32_t rest = whole - index[i];
    if (index[i] > rest / 2) break;
    std::uint32_t rest_mask = part_mask(parts, rest);
    for (std::size_t j = i; j < index.size() && index[j] <= rest / 2; ++j) {
      if ((mask[j] & ~rest_mask) != 0) continue;
      if (is_present(present, rest - index[j])) numbers.push_back(first_assignment_number(parts, index[i], index[j]));
    }
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

}  // namespace

void search_three_words(std::string word) {
  signature query = signature_of(word);
  print_separator();
  if (query.size() < 3) {
    print_formatted("sorry, too short.\n");
    return;
  }
  if (query.size() > 15) {
    print_formatted("sorry, too long word.\n");
    return;
  }
  if (!is_plain_lowercase(query)) return;
  query_parts parts = parts_of(query);
  for (std::uint32_t number : find_divisions(parts, find_present_parts(parts))) print_division(query, number);
}
