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

void append_decimal(std::string& line, int value) {
  char digits[12];
  char* first = digits + sizeof digits;
  long long magnitude = value < 0 ? -static_cast<long long>(value) : value;
  do *--first = static_cast<char>('0' + magnitude % 10);
  while ((magnitude /= 10) != 0);
  if (value < 0) *--first = '-';
  line.append(first, static_cast<std::size_t>(digits + sizeof digits - first));
}

}  // namespace

void print_formatted(const char* format, ...) {
  // Only the two conversions the program's formats use: %s inserts a string's bytes, %d
  // a signed decimal integer. A value is only ever inserted, never read as a format.
  static std::string line;
  line.clear();
  va_list arguments;
  va_start(arguments, format);
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%') {
      line.push_back(*p);
    } else if (*++p == 's') {
      line.append(va_arg(arguments, const char*));
    } else if (*p == 'd') {
      append_decimal(line, va_arg(arguments, int));
    } else {
      line.push_back(*p);  // "%%"
    }
  }
  va_end(arguments);
  if (capture_sink) {
    capture_sink->append(line);
  } else {
    errno = 0;
    write_bytes(line.data(), line.size());
  }
}

void print_word_line(std::string_view prefix, std::string_view word) {
  if (capture_sink) {
    capture_sink->append(prefix).append(word).push_back('\n');
    return;
  }
  errno = 0;
  // One write of the whole line where it fits a small buffer, as nearly every line does.
  char line[256];
  if (prefix.size() + word.size() < sizeof line) {
    std::memcpy(line, prefix.data(), prefix.size());
    std::memcpy(line + prefix.size(), word.data(), word.size());
    line[prefix.size() + word.size()] = '\n';
    write_bytes(line, prefix.size() + word.size() + 1);
  } else {
    write_bytes(prefix.data(), prefix.size());
    write_bytes(word.data(), word.size());
    write_bytes("\n", 1);
  }
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
