#include "dictionary/word_list_loading.h"

#include <cstring>
#include <deque>
#include <memory>

#include "dictionary/directory_listing.h"
#include "dictionary/signature_dictionary.h"
#include "dictionary/word_list_file.h"
#include "output.h"

int total_word_count = 0;

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

void forget_line(word_list_reader& reader) {
  // A rejected line may have grown large before its first bad byte: give that back.
  if (reader.line.capacity() > (std::size_t{1} << 16)) std::string().swap(reader.line);
  reader.line.clear();
}

// Takes the bytes of one line up to (not including) its line feed, if it has one.
void take_line_bytes(word_list_reader& reader, const char* first, const char* last, bool line_ends,
                     const word_visitor& visit) {
  if (first != last) reader.line_started = true;
  if (!reader.line_rejected) {
    bool has_carriage_return = false;
    for (const char* p = first; p != last; ++p) {
      auto c = static_cast<unsigned char>(*p);
      if (c >= 'a' && c <= 'z') continue;
      if (c == '\r') {
        has_carriage_return = true;
        continue;
      }
      reader.line_rejected = true;
      forget_line(reader);
      break;
    }
    if (!reader.line_rejected) {
      if (line_ends && reader.line.empty() && !has_carriage_return) {
        visit(std::string_view(first, static_cast<std::size_t>(last - first)));
      } else {
        for (const char* p = first; p != last; ++p)
          if (*p != '\r') reader.line.push_back(*p);
        if (line_ends) visit(reader.line);
      }
    }
  }
  if (line_ends) {
    reader.line.clear();
    reader.line_started = false;
    reader.line_rejected = false;
  }
}

}  // namespace

bool is_word_list_name(std::string_view name) {
  return name.size() >= 2 && is_digit(name[name.size() - 1]) && is_digit(name[name.size() - 2]);
}

std::vector<std::string> list_word_list_files() {
  std::vector<std::string> names;
  list_directory_entries([&names](const char* name) {
    if (is_word_list_name(name)) names.emplace_back(name);
  });
  return names;
}

void read_word_list_bytes(word_list_reader& reader, std::string_view bytes, const word_visitor& visit) {
  if (reader.data_ended) return;
  std::size_t end_of_data = bytes.find('\x1A');
  if (end_of_data != std::string_view::npos) {
    bytes = bytes.substr(0, end_of_data);
    reader.data_ended = true;
  }
  const char* p = bytes.data();
  const char* end = p + bytes.size();
  while (p != end) {
    auto* line_feed = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    take_line_bytes(reader, p, line_feed ? line_feed : end, line_feed != nullptr, visit);
    p = line_feed ? line_feed + 1 : end;
  }
}

void finish_word_list(word_list_reader& reader, const word_visitor& visit) {
  if (reader.line_started) take_line_bytes(reader, nullptr, nullptr, true, visit);
}

int load_word_list(const char* name) {
  int file = open_word_list_file(name);
  if (file == no_word_list_file) return 0;
  expect_word_list_bytes(word_list_file_size(file));
  constexpr std::size_t buffer_size = std::size_t{1} << 17;
  static const std::unique_ptr<char[]> buffer(new char[buffer_size]);

  // The words of one read go to the dictionary together. Most are views into the buffer;
  // a line that was pieced together (it crossed reads or held a carriage return) is
  // copied, since the reader reuses its line.
  std::vector<std::string_view> words;
  std::deque<std::string> pieced;
  word_visitor visit = [&](std::string_view word) {
    std::less<const char*> before;
    bool in_buffer = !before(word.data(), buffer.get()) && before(word.data(), buffer.get() + buffer_size);
    words.push_back(in_buffer || word.empty() ? word : std::string_view(pieced.emplace_back(word)));
  };
  std::size_t new_words = 0;
  auto add_waiting_words = [&] {
    new_words += add_words(words.data(), words.size());
    words.clear();
    pieced.clear();
  };
  word_list_reader reader;
  while (!reader.data_ended) {
    long got = read_word_list_file(file, buffer.get(), buffer_size);
    if (got <= 0) break;  // a read error ends the file as its end would
    read_word_list_bytes(reader, std::string_view(buffer.get(), static_cast<std::size_t>(got)), visit);
    add_waiting_words();
  }
  finish_word_list(reader, visit);
  add_waiting_words();
  close_word_list_file(file);
  return static_cast<int>(new_words);
}

void load_word_lists() {
  for (const std::string& name : list_word_list_files()) {
    int new_words = load_word_list(name.c_str());
    total_word_count += new_words;
    print_formatted("%s : %d words\n", name.c_str(), new_words);
  }
  print_formatted("--total : %d words\n", total_word_count);
}
