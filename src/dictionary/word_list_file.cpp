#include "dictionary/word_list_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <cerrno>

#if defined(_WIN32)

#include <io.h>

int open_word_list_file(const char* name) {
  int file = _open(name, _O_RDONLY | _O_BINARY);
  if (file < 0) return no_word_list_file;
  struct _stat64 status;
  if (_fstat64(file, &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG) {
    _close(file);
    return no_word_list_file;
  }
  return file;
}

std::size_t word_list_file_size(int file) {
  struct _stat64 status;
  return _fstat64(file, &status) == 0 ? static_cast<std::size_t>(status.st_size) : 0;
}

long read_word_list_file(int file, char* buffer, std::size_t size) {
  unsigned int chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned int>(size);
  return _read(file, buffer, chunk);
}

void close_word_list_file(int file) { _close(file); }

#else

#include <unistd.h>

int open_word_list_file(const char* name) {
  // Looking before opening keeps the program from opening a device at all; opening
  // without blocking and looking again covers an entry replaced in between.
  struct stat status;
  if (stat(name, &status) != 0 || !S_ISREG(status.st_mode)) return no_word_list_file;
  int file = open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (file < 0) return no_word_list_file;
  if (fstat(file, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(file);
    return no_word_list_file;
  }
  return file;
}

std::size_t word_list_file_size(int file) {
  struct stat status;
  return fstat(file, &status) == 0 ? static_cast<std::size_t>(status.st_size) : 0;
}

long read_word_list_file(int file, char* buffer, std::size_t size) {
  for (;;) {
    ssize_t got = read(file, buffer, size);
    if (got >= 0 || errno != EINTR) return static_cast<long>(got);
  }
}

void close_word_list_file(int file) { close(file); }

#endif
