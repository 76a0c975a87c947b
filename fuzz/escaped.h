// Printing a fuzz input's bytes to standard error so a failure report can be read and
// pasted back as a C string: printable ASCII as it is, quotes and backslashes escaped,
// every other byte as \xNN. At most `shown` bytes are printed, then the total size.
#ifndef ANAGRAMS_FUZZ_ESCAPED_H_
#define ANAGRAMS_FUZZ_ESCAPED_H_

#include <cstddef>
#include <cstdio>
#include <string_view>

inline void print_escaped(std::string_view bytes, std::size_t shown = std::string_view::npos) {
  for (std::size_t i = 0; i < bytes.size() && i < shown; ++i) {
    auto c = static_cast<unsigned char>(bytes[i]);
    if (c == '\\' || c == '"')
      std::fprintf(stderr, "\\%c", c);
    else if (c >= 0x20 && c < 0x7F)
      std::fputc(c, stderr);
    else
      std::fprintf(stderr, "\\x%02X", c);
  }
  if (bytes.size() > shown) std::fprintf(stderr, "... (%zu bytes)", bytes.size());
}

#endif  // ANAGRAMS_FUZZ_ESCAPED_H_
