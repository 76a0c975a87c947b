#include "dictionary/signature_dictionary.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

// One slot of an open-addressing table: the entry it names (plus one: an empty slot is
// all zero bytes) and the 32 bits of that entry's hash that chose its home slot. They
// also settle most mismatches without touching the text.
struct table_slot {
  std::uint32_t entry;
  std::uint32_t hash_bits;
};
// No signature, or no word: the end of a chain is the mark its iterator stops at.
constexpr std::uint32_t no_entry = word_set::no_word;

// Made with calloc, so the pages of a table sized for more than it gets are never touched
// and cost no memory.
struct slot_table {
  std::unique_ptr<table_slot, void (*)(void*)> slots{nullptr, std::free};
  std::size_t capacity = 0;
};

struct signature_dictionary_state {
  // Every stored word, each ending in a zero byte, in the order the words were added.
  // Grown with realloc, which large blocks move without copying.
  std::unique_ptr<char, void (*)(void*)> text{nullptr, std::free};
  std::size_t text_size = 0;
  std::size_t text_capacity = 0;

  // The words of a signature form a chain, kept ascending as words are added: the check
  // for a repeat walks the chain anyway, so keeping it sorted costs nothing more, and a
  // lookup hands the chain out as it is.
  std::vector<std::uint32_t> word_offset;  // where each word starts in text
  std::vector<std::uint32_t> next_word;    // the next greater word under its signature

  std::vector<std::uint32_t> signature_first;  // the smallest word of each signature
  std::vector<std::uint32_t> signature_size;   // how many words each signature holds

  // A signature is found by the multiset of its letters, so neither a word being added
  // nor a key being looked up needs sorting, and no signature string is stored.
  slot_table signature_slots;

  // Signatures that grow past many_words (lists of permutations, not languages) also keep
  // their words in a table, take new words at the front of the chain, and are sorted again
  // on their next lookup: loading stays linear however large a signature grows.
  slot_table word_slots;
  std::size_t words_in_table = 0;
  std::vector<bool> signature_unsorted;
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

// The hash of a word's letters, or nothing when a byte is not one of a..z.
std::optional<std::uint64_t> letters_hash(std::string_view word) {
  std::uint64_t sum = 0;
  for (unsigned char c : word) {
    if (c < 'a' || c > 'z') return std::nullopt;
    sum += letter_keys[c - 'a'];
  }
  return mix(sum + word.size());
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

std::size_t next_slot(std::size_t i, std::size_t capacity) { return i + 1 == capacity ? 0 : i + 1; }

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

// Compares a word with a zero-terminated stored one, as unsigned bytes.
int compare_text(std::string_view a, const char* b) {
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto x = static_cast<unsigned char>(a[i]);
    auto y = static_cast<unsigned char>(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return b[a.size()] == '\0' ? 0 : -1;
}

// The signature whose letters are those of key, or no_entry.
std::uint32_t find_signature(std::string_view key, std::uint64_t hash) {
  const slot_table& table = signature_dictionary.signature_slots;
  if (table.capacity == 0) return no_entry;
  std::uint32_t bits = hash_bits_of(hash);
  for (std::size_t i = home_slot(bits, table.capacity);; i = next_slot(i, table.capacity)) {
    const table_slot& slot = table.slots.get()[i];
    if (slot.entry == 0) return no_entry;
    std::uint32_t sig = slot.entry - 1;
    if (slot.hash_bits == bits && same_letters(key, word_text(signature_dictionary.signature_first[sig]))) return sig;
  }
}

bool in_word_table(std::string_view word) {
  const slot_table& table = signature_dictionary.word_slots;
  if (table.capacity == 0) return false;
  std::uint32_t bits = hash_bits_of(word_hash(word));
  for (std::size_t i = home_slot(bits, table.capacity);; i = next_slot(i, table.capacity)) {
    const table_slot& slot = table.slots.get()[i];
    if (slot.entry == 0) return false;
    if (slot.hash_bits == bits && compare_text(word, word_text(slot.entry - 1)) == 0) return true;
  }
}

void place(slot_table& table, table_slot slot) {
  std::size_t i = home_slot(slot.hash_bits, table.capacity);
  while (table.slots.get()[i].entry != 0) i = next_slot(i, table.capacity);
  table.slots.get()[i] = slot;
}

void place(slot_table& table, std::uint32_t id, std::uint32_t hash_bits) { place(table, {id + 1, hash_bits}); }

// Keeps a table at most 80% full, growing by half at least. Each slot keeps the hash bits
// that place it, so growing re-places the slots in one pass without reading a word again.
void make_room(slot_table& table, std::size_t entries) {
  if ((entries + 1) * 5 <= table.capacity * 4) return;
  std::size_t capacity = std::max({std::size_t{64}, table.capacity + table.capacity / 2, (entries + 1) * 5 / 4 + 1});
  slot_table grown;
  grown.slots.reset(static_cast<table_slot*>(std::calloc(capacity, sizeof(table_slot))));
  if (!grown.slots) throw std::bad_alloc();
  grown.capacity = capacity;
  for (std::size_t i = 0; i < table.capacity; ++i)
    if (table.slots.get()[i].entry != 0) place(grown, table.slots.get()[i]);
  table = std::move(grown);
}

void put_in_word_table(std::uint32_t word) {
  auto& d = signature_dictionary;
  make_room(d.word_slots, d.words_in_table);
  place(d.word_slots, word, hash_bits_of(word_hash(word_text(word))));
  ++d.words_in_table;
}

void reserve_text(std::size_t needed) {
  auto& d = signature_dictionary;
  if (needed <= d.text_capacity) return;
  std::size_t capacity = std::max({needed, d.text_capacity + d.text_capacity / 2, std::size_t{1} << 16});
  void* grown = std::realloc(d.text.get(), capacity);
  if (!grown) throw std::bad_alloc();
  d.text.release();
  d.text.reset(static_cast<char*>(grown));
  d.text_capacity = capacity;
}

template <typename T>
void reserve_more(std::vector<T>& items, std::size_t more) {
  std::size_t needed = items.size() + more;
  if (needed > items.capacity()) items.reserve(std::max(needed, items.capacity() + items.capacity() / 2));
}

// Stores a word's text; the word's number is returned.
std::uint32_t store_word(std::string_view word) {
  auto& d = signature_dictionary;
  auto id = static_cast<std::uint32_t>(d.word_offset.size());
  std::size_t needed = d.text_size + word.size() + 1;
  if (id == no_entry || needed > 0xFFFFFFFFu) throw std::bad_alloc();
  reserve_text(needed);
  char* stored = d.text.get() + d.text_size;
  std::memcpy(stored, word.data(), word.size());
  stored[word.size()] = '\0';
  d.word_offset.push_back(static_cast<std::uint32_t>(d.text_size));
  d.text_size = needed;
  return id;
}

std::uint32_t new_signature(std::string_view word, std::uint64_t letters) {
  auto& d = signature_dictionary;
  auto sig = static_cast<std::uint32_t>(d.signature_size.size());
  d.signature_first.push_back(store_word(word));
  d.next_word.push_back(no_entry);
  d.signature_size.push_back(1);
  d.signature_unsorted.push_back(false);
  make_room(d.signature_slots, sig);
  place(d.signature_slots, sig, hash_bits_of(letters));
  return sig;
}

// Adds a word to a large signature: checked in the word table, put first in the chain.
bool add_to_large_signature(std::string_view word, std::uint32_t sig) {
  auto& d = signature_dictionary;
  if (in_word_table(word)) return false;
  std::uint32_t id = store_word(word);
  d.next_word.push_back(d.signature_first[sig]);
  d.signature_first[sig] = id;
  d.signature_unsorted[sig] = true;
  ++d.signature_size[sig];
  put_in_word_table(id);
  return true;
}

// Links a word into its place in the signature's ascending chain, unless it is there.
bool add_to_signature(std::string_view word, std::uint32_t sig) {
  auto& d = signature_dictionary;
  if (d.signature_size[sig] >= many_words) return add_to_large_signature(word, sig);
  std::uint32_t previous = no_entry;  // the word the new one follows; none when it goes first
  std::uint32_t following = d.signature_first[sig];
  for (; following != no_entry; previous = following, following = d.next_word[following]) {
    int order = compare_text(word, word_text(following));
    if (order == 0) return false;
    if (order < 0) break;
  }
  std::uint32_t id = store_word(word);
  d.next_word.push_back(following);
  (previous == no_entry ? d.signature_first[sig] : d.next_word[previous]) = id;
  if (++d.signature_size[sig] == many_words)
    for (std::uint32_t w = d.signature_first[sig]; w != no_entry; w = d.next_word[w]) put_in_word_table(w);
  return true;
}

void sort_chain(std::uint32_t sig) {
  auto& d = signature_dictionary;
  std::vector<std::uint32_t> words;
  for (std::uint32_t w = d.signature_first[sig]; w != no_entry; w = d.next_word[w]) words.push_back(w);
  std::sort(words.begin(), words.end(),
            [](std::uint32_t a, std::uint32_t b) { return std::strcmp(word_text(a), word_text(b)) < 0; });
  d.signature_first[sig] = words.front();
  for (std::size_t i = 0; i + 1 < words.size(); ++i) d.next_word[words[i]] = words[i + 1];
  d.next_word[words.back()] = no_entry;
  d.signature_unsorted[sig] = false;
}

}  // namespace

signature signature_of(std::string_view word) {
  signature sorted(word);
  std::sort(sorted.begin(), sorted.end(),
            [](char a, char b) { return static_cast<unsigned char>(a) < static_cast<unsigned char>(b); });
  return sorted;
}

bool add_word(std::string_view word) { return add_words(&word, 1) == 1; }

std::size_t add_words(const std::string_view* words, std::size_t count) {
  // Most of the cost of adding a word is fetching its home slot from memory. Hashing a
  // few words ahead and asking for their slots early lets those fetches overlap.
  constexpr std::size_t ahead = 16;
  std::optional<std::uint64_t> letters[ahead];
  std::size_t added = 0;
  for (std::size_t first = 0; first < count; first += ahead) {
    std::size_t batch = std::min(ahead, count - first);
    const slot_table& table = signature_dictionary.signature_slots;
    for (std::size_t i = 0; i < batch; ++i) {
      letters[i] = letters_hash(words[first + i]);
#if defined(__GNUC__)
      if (letters[i] && table.capacity != 0)
        __builtin_prefetch(table.slots.get() + home_slot(hash_bits_of(*letters[i]), table.capacity));
#endif
    }
    for (std::size_t i = 0; i < batch; ++i) {
      // The loader hands over only lines of a..z; anything else has no place in the index.
      if (!letters[i]) continue;
      std::string_view word = words[first + i];
      std::uint32_t sig = find_signature(word, *letters[i]);
      if (sig == no_entry) {
        new_signature(word, *letters[i]);
        ++added;
      } else if (add_to_signature(word, sig)) {
        ++added;
      }
    }
  }
  return added;
}

void expect_word_list_bytes(std::size_t bytes) {
  // Text never needs more than the list's bytes; word and signature counts are guessed
  // from a typical line of ten bytes, and a guess too large costs address space, not
  // memory: capacity never used is never touched. Past 64 MiB the dictionary just grows.
  auto& d = signature_dictionary;
  bytes = std::min(bytes, std::size_t{64} << 20);
  std::size_t words = bytes / 10;
  reserve_text(d.text_size + bytes + 1);
  reserve_more(d.word_offset, words);
  reserve_more(d.next_word, words);
  reserve_more(d.signature_first, words);
  reserve_more(d.signature_size, words);
  make_room(d.signature_slots, d.signature_size.size() + words * 3 / 4);
}

std::optional<word_set> find(std::string_view key) {
  // Only keys of ascending letters are ever stored.
  for (std::size_t i = 1; i < key.size(); ++i)
    if (key[i] < key[i - 1]) return std::nullopt;
  std::optional<std::uint64_t> letters = letters_hash(key);
  if (!letters) return std::nullopt;
  std::uint32_t sig = find_signature(key, *letters);
  if (sig == no_entry) return std::nullopt;
  return signature_words(sig);
}

const char* word_set::iterator::operator*() const { return word_text(word); }

word_set::iterator& word_set::iterator::operator++() {
  word = signature_dictionary.next_word[word];
  return *this;
}

std::size_t signature_count() { return signature_dictionary.signature_size.size(); }

word_set signature_words(std::size_t i) {
  auto& d = signature_dictionary;
  if (d.signature_unsorted[i]) sort_chain(static_cast<std::uint32_t>(i));
  return word_set{d.signature_first[i], static_cast<int>(d.signature_size[i])};
}

void clear_dictionary() { signature_dictionary = signature_dictionary_state{}; }
