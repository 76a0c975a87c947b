// Finding the word lists of the current directory and loading their words into the
// signature dictionary, printing a count line per list and the total line.
//
// A word list is any entry whose name is at least two bytes long and ends in two ASCII
// digits. Its lines are separated by line feeds. A line is a word when, with every
// carriage return in it removed, each remaining byte is one of a..z, so an empty line is
// the empty word; any other line is skipped whole, never repaired. The first 0x1A byte
// ends a file's data. A last line without a line feed counts; a line feed at the very end
// makes no extra empty line. These rules are applied to raw bytes, so every platform
// accepts the same words from the same file.
//
// Promises: files are read one at a time in listing order and streamed; besides the
// dictionary, only the current line is kept, and only while it can still be a word. A
// list that cannot be read shows 0 words and loading goes on.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Words added to the dictionary so far; only load_word_lists changes it.
extern int total_word_count;

bool is_word_list_name(std::string_view name);

// The names of the current directory's word lists, in the listing's order.
std::vector<std::string> list_word_list_files();

// The state of reading one word list: the current line and how it stands.
struct word_list_reader {
  std::string line;            // the current line so far, carriage returns removed
  bool line_started = false;   // a byte of the current line has been read
  bool line_rejected = false;  // it holds a byte outside a..z: its bytes are not kept
  bool data_ended = false;     // a 0x1A byte was met: nothing after it counts
};

using word_visitor = std::function<void(std::string_view word)>;

// Feeds the next bytes of a word list; visit gets every word whose line they complete.
void read_word_list_bytes(word_list_reader& reader, std::string_view bytes, const word_visitor& visit);

// Ends the data: visit gets the last line's word if it had no line feed.
void finish_word_list(word_list_reader& reader, const word_visitor& visit);

// Adds the words of one list; returns how many were new to the dictionary.
int load_word_list(const char* name);

// Loads every word list of the current directory, printing "NAME : N words" for each in
// listing order, then "--total : N words".
void load_word_lists();
