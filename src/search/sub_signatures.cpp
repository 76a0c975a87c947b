#include "search/sub_signatures.h"

#include <algorithm>

#include "dictionary/signature_dictionary.h"

namespace {

void mark_present(present_parts& present, std::uint32_t index) {
  present.bits[index >> 6] |= std::uint64_t{1} << (index & 63);
}

void look_up_each_part(const query_parts& parts, present_parts& present) {
  for (std::uint32_t index = 1; index < parts.part_count; ++index) {
    std::string signature = part_signature(parts, index);
    if (std::optional<word_set> words = find(signature)) present.list.push_back({index, std::move(signature), *words});
  }
}

// Visits every signature once through one of its words, which holds the same letters.
void scan_dictionary(const query_parts& parts, present_parts& present) {
  // Place value of each byte, and how many copies of it the query has left to give.
  std::uint32_t place[256] = {};
  int available[256] = {};
  for (std::size_t j = 0; j < parts.letters.size(); ++j) {
    auto letter = static_cast<unsigned char>(parts.letters[j]);
    place[letter] = parts.radix[j];
    available[letter] = parts.copies[j];
  }
  std::size_t longest = 0;
  for (int copies : parts.copies) longest += static_cast<std::size_t>(copies);
  for (std::size_t s = 0, count = signature_count(); s < count; ++s) {
    word_set words = signature_words(s);
    std::string_view word = *words.begin();
    if (word.empty() || word.size() > longest) continue;
    std::uint32_t index = 0;
    std::size_t used = 0;
    for (; used < word.size(); ++used) {
      auto c = static_cast<unsigned char>(word[used]);
      if (available[c] == 0) break;
      --available[c];
      index += place[c];
    }
    for (std::size_t i = 0; i < used; ++i) ++available[static_cast<unsigned char>(word[i])];
    if (used == word.size()) present.list.push_back({index, signature_of(word), words});
  }
  std::sort(present.list.begin(), present.list.end(),
            [](const present_part& a, const present_part& b) { return a.index < b.index; });
}

}  // namespace

query_parts parts_of(std::string_view query_signature) {
  query_parts parts;
  for (std::size_t i = 0; i < query_signature.size(); ++i) {
    if (i > 0 && query_signature[i] == query_signature[i - 1]) {
      ++parts.copies.back();
      continue;
    }
    parts.letters.push_back(query_signature[i]);
    parts.copies.push_back(1);
    parts.first_position.push_back(static_cast<int>(i));
  }
  for (int copies : parts.copies) {
    parts.radix.push_back(parts.part_count);
    parts.part_count *= static_cast<std::uint32_t>(copies + 1);
  }
  return parts;
}

int part_digit(const query_parts& parts, std::uint32_t index, std::size_t letter) {
  return static_cast<int>(index / parts.radix[letter] % static_cast<std::uint32_t>(parts.copies[letter] + 1));
}

std::string part_signature(const query_parts& parts, std::uint32_t index) {
  char letters[32];
  std::size_t size = 0;
  for (std::size_t j = 0; j < parts.letters.size(); ++j) {
    std::uint32_t base = static_cast<std::uint32_t>(parts.copies[j] + 1);
    for (std::uint32_t copies = index % base; copies > 0; --copies) letters[size++] = parts.letters[j];
    index /= base;
  }
  return std::string(letters, size);
}

std::uint32_t part_mask(const query_parts& parts, std::uint32_t index) {
  std::uint32_t mask = 0;
  for (std::size_t j = 0; j < parts.letters.size(); ++j)
    mask |= ((std::uint32_t{1} << part_digit(parts, index, j)) - 1) << parts.first_position[j];
  return mask;
}

const present_part& part_at(const present_parts& present, std::uint32_t index) {
  return *std::lower_bound(present.list.begin(), present.list.end(), index,
                           [](const present_part& part, std::uint32_t i) { return part.index < i; });
}

present_parts find_present_parts(const query_parts& parts, presence_search how) {
  present_parts present;
  present.bits.assign(parts.part_count / 64 + 1, 0);
  if (how == presence_search::automatic) {
    // A lookup costs about ten times what testing one signature in the scan does.
    how = std::uint64_t{parts.part_count} * 10 < signature_count() ? presence_search::look_up_each_part
                                                                   : presence_search::scan_dictionary;
  }
  if (how == presence_search::look_up_each_part)
    look_up_each_part(parts, present);
  else
    scan_dictionary(parts, present);
  for (const present_part& part : present.list) mark_present(present, part.index);
  return present;
}
