#include "dictionary/signature_dictionary.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

// One slot of an open-addressing table: the entry it names and the 32 bits of that
// entry's hash that chose its home slot. They also settle most mismatches without
// touching the text.
struct table_slot {
  std::uint32_t id;
  std::uint32_t hash_bits;
};
constexpr std::uint32_t no_entry = 0xFFFFFFFFu;

struct signature_dictionary_state {
  // Every stored word, each ending in a zero byte, in the order the words were added.
  // Grown with realloc, which large blocks move without copying.
  std::unique_ptr<char, void (*)(void*)> text{nullptr, std::free};
  std::size_t text_size = 0;
  std::size_t text_capacity = 0;

  std::vector<std::uint32_t> word_offset;  // where each word starts in text
  std::vector<std::uint32_t> next_word;    // the word added before it under its signature

  std::vector<std::uint32_t> signature_latest;  // the last word added under each signature
  std::vector<std::uint32_t> signature_size;    // how many words each signature holds

  // A signature is found by the multiset of its letters, so neither a word being added
  // nor a key being looked up needs sorting, and no signature string is stored.
  std::vector<table_slot> signature_slots;

  // A new word is checked against the words of its own signature, nearly always one or
  // two. Only signatures that grow past many_words also keep their words in a table, so a
  // list of permutations cannot make loading quadratic.
  std::vector<table_slot> word_slots;
  std::size_t words_in_table = 0;

  // The words grouped by signature and sorted, made on the first find after a change.
  bool listing_ready = true;
  std::vector<const char*> listed_words;
  std::vector<std::uint32_t> listing_start;  // per signature, then the end of the last
};

constexpr std::uint32_t many_words = 32;

signature_dictionary_state signature_dictionary;

constexpr std::uint64_t mix(std::uint64_t z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// A fixed random key per letter; a multiset of letters hashes to the mix of their sum.
constexpr std::array<std::uint64_t, 26> letter_keys = [] {
  std::array<std::uint64_t, 26> keys{};
  std::uint64_t x = 0;
  for (auto& key : keys) key = mix(x += 0x9E3779B97F4A7C15ull);
  return keys;
}();

bool is_letter(unsigned char c) { return c >= 'a' && c <= 'z'; }

std::uint64_t letters_hash(std::string_view letters) {
  std::uint64_t sum = 0;
  for (unsigned char c : letters) sum += letter_keys[c - 'a'];
  return mix(sum + letters.size());
}

std::uint64_t word_hash(std::string_view word) {
  std::uint64_t h = 0xCBF29CE484222325ull;
  for (unsigned char c : word) h = (h ^ c) * 0x100000001B3ull;
  return mix(h);
}

std::uint32_t hash_bits_of(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32); }

std::size_t home_slot(std::uint32_t hash_bits, std::size_t capacity) {
  return static_cast<std::size_t>((std::uint64_t{hash_bits} * capacity) >> 32);
}

const char* word_text(std::uint32_t word) {
  return signature_dictionary.text.get() + signature_dictionary.word_offset[word];
}

// Whether a (letters a..z) and the zero-terminated b hold the same letters.
bool same_letters(std::string_view a, const char* b) {
  int counts[26] = {};
  for (unsigned char c : a) ++counts[c - 'a'];
  std::size_t b_size = 0;
  for (; b[b_size] != '\0'; ++b_size) {
    if (b_size == a.size() || --counts[static_cast<unsigned char>(b[b_size]) - 'a'] < 0) return false;
  }
  return b_size == a.size();
}

bool same_word(std::string_view a, const char* b) {
  return std::memcmp(a.data(), b, a.size()) == 0 && b[a.size()] == '\0';
}

// The signature whose letters are those of key, or no_entry.
std::uint32_t find_signature(std::string_view key, std::uint64_t hash) {
  const auto& slots = signature_dictionary.signature_slots;
  if (slots.empty()) return no_entry;
  std::uint32_t bits = hash_bits_of(hash);
  for (std::size_t i = home_slot(bits, slots.size());; i = (i + 1 == slots.size()) ? 0 : i + 1) {
    const table_slot& slot = slots[i];
    if (slot.id == no_entry) return no_entry;
    if (slot.hash_bits == bits &&
        same_letters(key, word_text(signature_dictionary.signature_latest[slot.id])))
      return slot.id;
  }
}

bool word_present(std::string_view word, std::uint64_t hash) {
  const auto& slots = signature_dictionary.word_slots;
  if (slots.empty()) return false;
  std::uint32_t bits = hash_bits_of(hash);
  for (std::size_t i = home_slot(bits, slots.size());; i = (i + 1 == slots.size()) ? 0 : i + 1) {
    const table_slot& slot = slots[i];
    if (slot.id == no_entry) return false;
    if (slot.hash_bits == bits && same_word(word, word_text(slot.id))) return true;
  }
}

void place(std::vector<table_slot>& slots, table_slot entry) {
  std::size_t i = home_slot(entry.hash_bits, slots.size());
  while (slots[i].id != no_entry) i = (i + 1 == slots.size()) ? 0 : i + 1;
  slots[i] = entry;
}

// Keeps a table at most 80% full, growing by half. Each slot keeps the hash bits that place it, so
// growing re-places the slots without reading or hashing a single word again.
void make_room(std::vector<table_slot>& slots, std::size_t entries) {
  if ((entries + 1) * 5 <= slots.size() * 4) return;
  std::vector<table_slot> old(std::max<std::size_t>(64, slots.size() + slots.size() / 2), table_slot{no_entry, 0});
  old.swap(slots);
  for (const table_slot& entry : old)
    if (entry.id != no_entry) place(slots, entry);
}

std::uint32_t append_word_text(std::string_view word) {
  auto& d = signature_dictionary;
  std::size_t needed = d.text_size + word.size() + 1;
  if (needed > 0xFFFFFFFFu) throw std::bad_alloc();
  if (needed > d.text_capacity) {
    std::size_t capacity = std::max({needed, d.text_capacity + d.text_capacity / 2, std::size_t{1} << 16});
    void* grown = std::realloc(d.text.get(), capacity);
    if (!grown) throw std::bad_alloc();
    d.text.release();
    d.text.reset(static_cast<char*>(grown));
    d.text_capacity = capacity;
  }
  auto offset = static_cast<std::uint32_t>(d.text_size);
  std::memcpy(d.text.get() + offset, word.data(), word.size());
  d.text.get()[offset + word.size()] = '\0';
  d.text_size = needed;
  return offset;
}

bool less_text(const char* a, const char* b) { return std::strcmp(a, b) < 0; }

// Lays the words out grouped by signature, each group ascending.
void prepare_listing() {
  auto& d = signature_dictionary;
  std::size_t signatures = d.signature_size.size();
  d.listing_start.assign(signatures + 1, 0);
  for (std::size_t s = 0; s < signatures; ++s) d.listing_start[s + 1] = d.listing_start[s] + d.signature_size[s];
  d.listed_words.resize(d.word_offset.size());
  for (std::size_t s = 0; s < signatures; ++s) {
    auto first = d.listed_words.begin() + d.listing_start[s];
    auto out = first;
    for (std::uint32_t w = d.signature_latest[s]; w != no_entry; w = d.next_word[w]) *out++ = word_text(w);
    if (out - first > 1) std::sort(first, out, less_text);
  }
  d.listing_ready = true;
}

bool word_under_signature(std::string_view word, std::uint32_t sig) {
  const auto& d = signature_dictionary;
  if (d.signature_size[sig] >= many_words) return word_present(word, word_hash(word));
  for (std::uint32_t w = d.signature_latest[sig]; w != no_entry; w = d.next_word[w])
    if (same_word(word, word_text(w))) return true;
  return false;
}

void put_in_word_table(std::uint32_t word) {
  auto& d = signature_dictionary;
  make_room(d.word_slots, d.words_in_table);
  place(d.word_slots, {word, hash_bits_of(word_hash(word_text(word)))});
  ++d.words_in_table;
}

bool is_stored_form(std::string_view word) {
  return std::all_of(word.begin(), word.end(), [](char c) { return is_letter(static_cast<unsigned char>(c)); });
}

}  // namespace

signature signature_of(std::string_view word) {
  signature sorted(word);
  std::sort(sorted.begin(), sorted.end(),
            [](char a, char b) { return static_cast<unsigned char>(a) < static_cast<unsigned char>(b); });
  return sorted;
}

bool add_word(std::string_view word) {
  // The loader hands over only lines of a..z; anything else has no place in the index.
  if (!is_stored_form(word)) return false;
  auto& d = signature_dictionary;
  std::uint64_t letters = letters_hash(word);
  std::uint32_t sig = find_signature(word, letters);
  if (sig != no_entry && word_under_signature(word, sig)) return false;

  auto id = static_cast<std::uint32_t>(d.word_offset.size());
  if (id == no_entry) throw std::bad_alloc();
  d.word_offset.push_back(append_word_text(word));
  if (sig == no_entry) {
    sig = static_cast<std::uint32_t>(d.signature_size.size());
    d.signature_latest.push_back(no_entry);
    d.signature_size.push_back(0);
    make_room(d.signature_slots, sig);
    place(d.signature_slots, {sig, hash_bits_of(letters)});
  }
  d.next_word.push_back(d.signature_latest[sig]);
  d.signature_latest[sig] = id;
  std::uint32_t size = ++d.signature_size[sig];
  if (size == many_words) {
    for (std::uint32_t w = id; w != no_entry; w = d.next_word[w]) put_in_word_table(w);
  } else if (size > many_words) {
    put_in_word_table(id);
  }
  d.listing_ready = false;
  return true;
}

std::optional<word_set> find(std::string_view key) {
  // Only keys of ascending letters are ever stored.
  for (std::size_t i = 0; i < key.size(); ++i) {
    if (!is_letter(static_cast<unsigned char>(key[i])) || (i > 0 && key[i] < key[i - 1])) return std::nullopt;
  }
  std::uint32_t sig = find_signature(key, letters_hash(key));
  if (sig == no_entry) return std::nullopt;
  if (!signature_dictionary.listing_ready) prepare_listing();
  const char* const* words = signature_dictionary.listed_words.data();
  return word_set{words + signature_dictionary.listing_start[sig], words + signature_dictionary.listing_start[sig + 1]};
}

std::size_t signature_count() { return signature_dictionary.signature_size.size(); }

std::string_view signature_word(std::size_t i) {
  return word_text(signature_dictionary.signature_latest[i]);
}

void clear_dictionary() {
  signature_dictionary = signature_dictionary_state{};
}
