// The program's one output channel: standard output, with one buffer, so every line
// appears in the order the program issues it.
//
// Two kinds of writes go to it: formatted lines (a printf format fixed in the code whose
// %s and %d take the values; a file name or a query word only ever fills a %s), and
// word-listing lines (a prefix, a word and a line feed), each followed at once by a flush
// so that a long listing shows up as it is found.
//
// A write that fails (a full disk, a closed standard output) ends the process: one line on
// standard error, "anagrams: write error: " and the system's reason, and exit status 1.
// A run whose output was lost is never reported as a success.
#pragma once

#include <string>
#include <string_view>

#if defined(__GNUC__)
#define ANAGRAMS_PRINTF_FORMAT(a, b) __attribute__((format(printf, a, b)))
#else
#define ANAGRAMS_PRINTF_FORMAT(a, b)
#endif

// Prints one formatted line (the format carries its own line feed).
void print_formatted(const char* format, ...) ANAGRAMS_PRINTF_FORMAT(1, 2);

// Writes prefix, word and a line feed, then flushes standard output.
void print_word_line(std::string_view prefix, std::string_view word);

// Writes out everything still buffered and returns the exit status for a run that
// reached its end: 0, since any write failure has already ended the process. Nothing
// is written out after main returns, so main ends with this.
int finish_output();

// Sends every later write into *sink instead of standard output (nullptr restores
// standard output). Lets the tests compare what the searches print byte for byte.
void capture_output(std::string* sink);
