#include "output.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// The one buffer of standard output. The program's output goes out through its own
// buffer straight to the standard output descriptor: with a flush after every word line,
// the library's stream layer cost more than the lines themselves.
std::string buffered;
std::string* capture_sink = nullptr;
constexpr std::size_t buffer_limit = std::size_t{1} << 16;

[[noreturn]] void fail_write(int error) {
  std::fprintf(stderr, "anagrams: write error: %s\n", std::strerror(error));
  std::_Exit(1);
}

// A write to descriptor 1; on Windows the descriptor is in text mode, so each line feed
// reaches the console, file or pipe as CR LF.
long write_standard_output(const char* data, std::size_t size) {
#if defined(_WIN32)
  return _write(1, data, static_cast<unsigned int>(size > (1u << 30) ? (1u << 30) : size));
#else
  return static_cast<long>(write(1, data, size));
#endif
}

void flush_output() {
  const char* data = buffered.data();
  std::size_t left = buffered.size();
  while (left > 0) {
    errno = 0;
    long written = write_standard_output(data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) fail_write(errno ? errno : EIO);
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  buffered.clear();
}

std::string& sink() { return capture_sink ? *capture_sink : buffered; }

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
  std::string& line = sink();
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
  if (!capture_sink && buffered.size() >= buffer_limit) flush_output();
}

void print_word_line(std::string_view prefix, std::string_view word) {
  std::string& line = sink();
  line.append(prefix).append(word).push_back('\n');
  if (!capture_sink) flush_output();
}

int finish_output() {
  if (!capture_sink) flush_output();
  return 0;
}

void capture_output(std::string* sink) { capture_sink = sink; }
