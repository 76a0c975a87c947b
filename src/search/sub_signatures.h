// The parts of a query's signature, and which of them the dictionary holds.
//
// A part is a sub-multiset of the query's letters. It is named by an index in a mixed
// radix with one digit per distinct letter (the copies of that letter in the part), the
// greatest letter the most significant digit. Two facts make this the searches' number:
//  - the complement of part i (the letters the query has left over) is part_count-1-i,
//    and when part j fits inside part i, what is left is simply part i-j;
//  - ordering parts by index is ordering them by the smallest split mask or assignment
//    number that puts exactly those letters in one place, the order in which a walk over
//    masks or assignment numbers first meets them.
//
// Promises: find_present_parts gives every non-empty part that is a dictionary signature,
// in ascending index order, either by looking each part up or, when the query has more
// parts than that is worth, by one pass over the dictionary's signatures: a long query
// makes no more lookups than a short one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/signature_dictionary.h"

struct query_parts {
  std::string letters;               // the distinct letters, ascending
  std::vector<int> copies;           // how often each occurs in the query
  std::vector<int> first_position;   // where its first copy stands in the signature
  std::vector<std::uint32_t> radix;  // place value of each letter's digit
  std::uint32_t part_count = 1;      // number of parts, the empty and the whole included
};

// The parts of a signature made of a..z only and of at most 20 bytes.
query_parts parts_of(std::string_view query_signature);

int part_digit(const query_parts& parts, std::uint32_t index, std::size_t letter);
std::string part_signature(const query_parts& parts, std::uint32_t index);

// Bit i of a part's mask is set when the part holds the query signature's i-th letter,
// each letter's copies taken from its first position on. A part fits inside another
// exactly when its mask has no bit outside the other's.
std::uint32_t part_mask(const query_parts& parts, std::uint32_t index);

enum class presence_search { automatic, look_up_each_part, scan_dictionary };

// A part the dictionary holds.
struct present_part {
  std::uint32_t index;
  std::string signature;
  word_set words;
};

struct present_parts {
  std::vector<present_part> list;   // ascending by index, the empty part left out
  std::vector<std::uint64_t> bits;  // bit i set when part i is present
};

present_parts find_present_parts(const query_parts& parts, presence_search how = presence_search::automatic);

inline bool is_present(const present_parts& present, std::uint32_t index) {
  return (present.bits[index >> 6] >> (index & 63)) & 1u;
}

// A present part, by its index.
const present_part& part_at(const present_parts& present, std::uint32_t index);
