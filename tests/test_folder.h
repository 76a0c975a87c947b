// A fresh temporary folder that is the current directory while the object lives; the
// unit tests that read word lists from "the current directory" use it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

struct test_folder {
  std::filesystem::path previous;
  std::filesystem::path path;

  test_folder();
  ~test_folder();
  test_folder(const test_folder&) = delete;
  test_folder& operator=(const test_folder&) = delete;

  // Writes a file of exactly these bytes, relative to the folder.
  void write(const std::string& name, std::string_view bytes) const;
};
