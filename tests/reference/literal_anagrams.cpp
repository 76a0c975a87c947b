#include "reference/literal_anagrams.h"

#include <algorithm>
#include <fstream>

#include "dictionary/word_list_loading.h"
#include "output.h"

std::map<std::string, std::set<std::string>> literal_dictionary;

namespace {

std::string literal_signature(const std::string& word) {
  std::string sorted = word;
  std::sort(sorted.begin(), sorted.end(),
            [](char a, char b) { return static_cast<unsigned char>(a) < static_cast<unsigned char>(b); });
  return sorted;
}

// Removes the carriage returns; true when what is left is a word.
bool literal_clean_line(std::string& line) {
  line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
  return std::all_of(line.begin(), line.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

const std::set<std::string>* literal_find(const std::string& key) {
  auto entry = literal_dictionary.find(key);
  return entry == literal_dictionary.end() ? nullptr : &entry->second;
}

void literal_print_words(const char* prefix, const std::set<std::string>& words) {
  for (const std::string& word : words) print_word_line(prefix, word);
}

}  // namespace

bool literal_add_word(const std::string& word) {
  return literal_dictionary[literal_signature(word)].insert(word).second;
}

std::vector<std::string> literal_words_of(std::string_view bytes) {
  bytes = bytes.substr(0, bytes.find('\x1A'));
  std::vector<std::string> words;
  while (!bytes.empty()) {
    std::size_t line_feed = bytes.find('\n');
    std::string line(bytes.substr(0, line_feed));
    bytes = line_feed == std::string_view::npos ? std::string_view() : bytes.substr(line_feed + 1);
    if (literal_clean_line(line)) words.push_back(line);
  }
  return words;
}

void literal_load_word_lists() {
  int total = 0;
  for (const std::string& name : list_word_list_files()) {
    int count = 0;
    std::ifstream in(name, std::ios::binary);
    std::string line;
    bool data_ended = false;
    while (!data_ended && std::getline(in, line)) {
      std::size_t end_of_data = line.find('\x1A');
      if (end_of_data != std::string::npos) {
        data_ended = true;
        line.resize(end_of_data);
        if (line.empty()) break;
      }
      if (literal_clean_line(line) && literal_add_word(line)) ++count;
    }
    total += count;
    print_formatted("%s : %d words\n", name.c_str(), count);
  }
  print_formatted("--total : %d words\n", total);
}

void literal_search_single_word(std::string word) {
  std::string query = literal_signature(word);
  print_formatted("------------------------\n");
  const std::set<std::string>* words = literal_find(query);
  if (!words) {
    print_formatted("Single word : 0 words\n");
    return;
  }
  print_formatted("Single word : %d words\n", static_cast<int>(words->size()));
  literal_print_words("  ", *words);
}

void literal_search_two_words(std::string word) {
  std::string query = literal_signature(word);
  std::size_t n = query.size();
  print_formatted("------------------------\n");
  if (n == 1) {
    print_formatted("sorry, too short.\n");
    return;
  }
  if (n > 20) {
    print_formatted("sorry, too long word.\n");
    return;
  }
  if (n == 0) return;
  std::set<std::string> seen_set;
  for (long mask = 1; mask < (1L << (n - 1)); ++mask) {
    std::string first, second;
    for (std::size_t i = 0; i < n; ++i) ((mask >> i) & 1 ? first : second).push_back(query[i]);
    if (seen_set.count(first)) continue;
    seen_set.insert(first);
    seen_set.insert(second);
    const std::set<std::string>* first_words = literal_find(first);
    if (!first_words) continue;
    const std::set<std::string>* second_words = literal_find(second);
    if (!second_words) continue;
    print_formatted("  %s : %s : %d*%d entries\n", first.c_str(), second.c_str(), static_cast<int>(first_words->size()),
                    static_cast<int>(second_words->size()));
    literal_print_words("    fm:", *first_words);
    literal_print_words("    la:", *second_words);
  }
}

void literal_search_three_words(std::string word) {
  std::string query = literal_signature(word);
  int n = static_cast<int>(query.size());
  print_formatted("------------------------\n");
  if (n < 3) {
    print_formatted("sorry, too short.\n");
    return;
  }
  if (n > 15) {
    print_formatted("sorry, too long word.\n");
    return;
  }
  int powers[15];
  powers[0] = 1;
  for (int k = 1; k < n; ++k) powers[k] = 3 * powers[k - 1];
  std::set<std::string> seen_set;
  std::string groups[3], key;  // reused: the walk is long enough for allocation to show
  for (int t = 0; t < powers[n - 1]; ++t) {
    int counts[3] = {0, 0, 0};
    for (int i = 0; i < n; ++i) ++counts[(t / powers[i]) % 3];
    if (counts[0] == 0 || counts[1] == 0 || counts[2] == 0) continue;
    for (std::string& group : groups) group.clear();
    for (int i = 0; i < n; ++i) groups[(t / powers[i]) % 3].push_back(query[static_cast<std::size_t>(i)]);
    std::sort(groups, groups + 3);
    key.assign(groups[0]).append(" ").append(groups[1]);
    if (seen_set.count(key)) continue;
    seen_set.insert(key);
    const std::set<std::string>* words[3];
    bool all_present = true;
    for (int k = 0; k < 3 && all_present; ++k) all_present = (words[k] = literal_find(groups[k])) != nullptr;
    if (!all_present) continue;
    print_formatted("  %s : %s : %s : %d*%d*%d entries\n", groups[0].c_str(), groups[1].c_str(), groups[2].c_str(),
                    static_cast<int>(words[0]->size()), static_cast<int>(words[1]->size()),
                    static_cast<int>(words[2]->size()));
    literal_print_words("    0:", *words[0]);
    literal_print_words("    1:", *words[1]);
    literal_print_words("    2:", *words[2]);
  }
}

void literal_search_all(const std::string& word) {
  literal_search_single_word(word);
  literal_search_two_words(word);
  literal_search_three_words(word);
}
