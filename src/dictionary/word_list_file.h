// Opening and reading one word list, as raw bytes, on every platform alike.
//
// Promises: open_word_list_file never blocks and never opens what is not a regular file
// (a FIFO, a device, a socket, a directory): those, like a missing or unreadable file,
// give no_word_list_file. Bytes come back untranslated (no text mode anywhere), so the
// line rules of the loader alone decide which words a file holds.
#pragma once

#include <cstddef>

constexpr int no_word_list_file = -1;

// A file handle for reading, or no_word_list_file.
int open_word_list_file(const char* name);

// The file's size in bytes when it was opened.
std::size_t word_list_file_size(int file);

// Reads up to size bytes; returns how many, 0 at the end of the file, -1 on a read error.
long read_word_list_file(int file, char* buffer, std::size_t size);

void close_word_list_file(int file);
