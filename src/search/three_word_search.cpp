#include <algorithm>
#include <array>
#include <vector>

#include "dictionary/signature_dictionary.h"
#include "output.h"
#include "search/listing.h"
#include "search/search.h"
#include "search/sub_signatures.h"

namespace {

// A division into three present parts, packed so that divisions sort by their first
// assignment number: that number (below 3^14), then the places in the present list of
// its smallest and middle parts by index (a 15-byte query has at most 2^15 parts). The
// largest is what the two leave over. Eight bytes each keep a search with many
// divisions small.
using division = std::uint64_t;
constexpr int place_bits = 16;

division pack(std::uint32_t first_number, std::size_t smallest, std::size_t middle) {
  return (std::uint64_t{first_number} << (2 * place_bits)) | (std::uint64_t{smallest} << place_bits) | middle;
}

std::size_t smallest_place(division d) {
  return static_cast<std::size_t>((d >> place_bits) & ((1u << place_bits) - 1));
}
std::size_t middle_place(division d) { return static_cast<std::size_t>(d & ((1u << place_bits) - 1)); }

// What the search needs of each present part, in the order of the present list, kept
// in flat arrays for the loop over pairs of parts.
struct part_facts {
  std::vector<std::uint32_t> index;
  std::vector<std::uint32_t> mask;  // which letters of the query signature it holds
  std::vector<int> digits;          // its copies of each distinct letter, a row per part
};

part_facts facts_of(const query_parts& parts, const present_parts& present) {
  part_facts facts;
  std::size_t letters = parts.letters.size();
  for (const present_part& part : present.list) {
    facts.index.push_back(part.index);
    facts.mask.push_back(part_mask(parts, part.index));
    for (std::size_t j = 0; j < letters; ++j) facts.digits.push_back(part_digit(parts, part.index, j));
  }
  return facts;
}

// The smallest assignment number giving a division its groups. Group 0 must take the part
// of greatest index, group 2 the smallest: index order is the order of the digits from
// the greatest letter down. Within one letter's positions the number is smallest with the
// group-2 copies lowest, then the group-1 copies, then group 0's.
std::uint32_t first_assignment_number(const query_parts& parts, const int* smallest, const int* middle) {
  static constexpr std::array<std::uint32_t, 21> power_of_three = [] {
    std::array<std::uint32_t, 21> powers{};
    powers[0] = 1;
    for (std::size_t k = 1; k < powers.size(); ++k) powers[k] = 3 * powers[k - 1];
    return powers;
  }();
  std::uint32_t number = 0;
  for (std::size_t j = 0; j < parts.letters.size(); ++j) {
    int in_group_2 = smallest[j];
    int in_group_1 = middle[j];
    std::uint32_t letter_value = (power_of_three[in_group_2] + power_of_three[in_group_1 + in_group_2] - 2) / 2;
    number += letter_value * power_of_three[parts.first_position[j]];
  }
  return number;
}

// Every division into three present parts, in the order of their first assignment numbers.
std::vector<division> find_divisions(const query_parts& parts, const present_parts& present) {
  const std::vector<present_part>& list = present.list;
  part_facts facts = facts_of(parts, present);
  std::size_t letters = parts.letters.size();

  // Each division is met once, as parts a <= b <= c by index, c what a and b leave over.
  std::vector<division> divisions;
  const std::uint32_t* index = facts.index.data();
  const std::uint32_t* mask = facts.mask.data();
  std::uint32_t whole = parts.part_count - 1;
  for (std::size_t i = 0; i < list.size(); ++i) {
    std::uint32_t rest = whole - index[i];
    if (index[i] > rest / 2) break;
    std::uint32_t outside_rest = ~part_mask(parts, rest);
    std::size_t end = static_cast<std::size_t>(std::upper_bound(index + i, index + list.size(), rest / 2) - index);
    for (std::size_t j = i; j < end; ++j) {
      if ((mask[j] & outside_rest) != 0 || !is_present(present, rest - index[j])) continue;
      divisions.push_back(
          pack(first_assignment_number(parts, &facts.digits[i * letters], &facts.digits[j * letters]), i, j));
    }
  }
  std::sort(divisions.begin(), divisions.end());
  return divisions;
}

void print_division(const query_parts& parts, const present_parts& present, division d) {
  const present_part& smallest = present.list[smallest_place(d)];
  const present_part& middle = present.list[middle_place(d)];
  const present_part& largest = part_at(present, parts.part_count - 1 - smallest.index - middle.index);
  std::array<const present_part*, 3> groups = {&smallest, &middle, &largest};
  std::sort(groups.begin(), groups.end(),
            [](const present_part* a, const present_part* b) { return a->signature < b->signature; });
  print_formatted("  %s : %s : %s : %d*%d*%d entries\n", groups[0]->signature.c_str(), groups[1]->signature.c_str(),
                  groups[2]->signature.c_str(), groups[0]->words.size(), groups[1]->words.size(),
                  groups[2]->words.size());
  print_words("    0:", groups[0]->words);
  print_words("    1:", groups[1]->words);
  print_words("    2:", groups[2]->words);
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
  present_parts present = find_present_parts(parts);
  for (division d : find_divisions(parts, present)) print_division(parts, present, d);
}
