#include "test_folder.h"

#include <fstream>
#include <random>

test_folder::test_folder() : previous(std::filesystem::current_path()) {
  std::random_device entropy;
  std::mt19937_64 pick(entropy());
  for (;;) {
    path = std::filesystem::temp_directory_path() / ("anagrams-test-" + std::to_string(pick()));
    if (std::filesystem::create_directory(path)) break;
  }
  std::filesystem::current_path(path);
}

test_folder::~test_folder() {
  std::filesystem::current_path(previous);
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

void test_folder::write(const std::string& name, std::string_view bytes) const {
  std::ofstream out(path / name, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
