#include "output.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::string* capture_sink = nullptr;

[[noreturn]] void fail_write(int error) {
  // stderr is unbuffered, so the message is out before the process ends; standard
  // output is not flushed again, it has already failed.
  std::fprintf(stderr, "anagrams: write error: %s\n", std::strerror(error));
  std::_Exit(1);
}

void write_bytes(const char* data, std::size_t size) {
  if (size == 0) return;
  if (std::fwrite(data, 1, size, stdout) != size) fail_write(errno ? errno : EIO);
}

void flush_output() {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) fail_write(errno ? errno : EIO);
}

}  // namespace

void print_formatted(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  if (capture_sink) {
    va_list copy;
    va_copy(copy, arguments);
    int size = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::size_t old_size = capture_sink->size();
    capture_sink->resize(old_size + static_cast<std::size_t>(size) + 1);
    std::vsnprintf(&(*capture_sink)[old_size], static_cast<std::size_t>(size) + 1, format, arguments);
    capture_sink->resize(old_size + static_cast<std::size_t>(size));
  } else {
    errno = 0;
    if (std::vfprintf(stdout, format, arguments) < 0) {
      va_end(arguments);
      fail_write(errno ? errno : EIO);
    }
  }
  va_end(arguments);
}

void print_word_line(std::string_view prefix, std::string_view word) {
  if (capture_sink) {
    capture_sink->append(prefix).append(word).push_back('\n');
    return;
  }
  errno = 0;
  write_bytes(prefix.data(), prefix.size());
  write_bytes(word.data(), word.size());
  write_bytes("\n", 1);
  flush_output();
}

int finish_output() {
  if (!capture_sink) {
    errno = 0;
    flush_output();
  }
  return 0;
}

void capture_output(std::string* sink) { capture_sink = sink; }
