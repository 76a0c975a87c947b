#include "dictionary/directory_listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "dictionary/word_list_loading.h"
#include "test_folder.h"

namespace {

TEST(DirectoryListing, YieldsEveryEntryOnce) {
  test_folder folder;
  const char* names[] = {"words01", "en.42", "7", "77", "words1a", ".hidden99", "with space 10"};
  for (const char* name : names) folder.write(name, "a\n");
  std::filesystem::create_directory("x01");
  std::map<std::string, int> seen;
  list_directory_entries([&seen](const char* name) { ++seen[name]; });
  for (const char* name : names) EXPECT_EQ(seen[name], 1) << "entry " << name;
  EXPECT_EQ(seen["x01"], 1);
  for (const auto& [name, times] : seen)
    EXPECT_TRUE(name == "." || name == ".." || times == 1) << "entry " << name << " seen " << times << " times";
}

TEST(DirectoryListing, WordListFilesKeepTheListingOrder) {
  test_folder folder;
  for (const char* name : {"b02", "a01", "notes", "c99", "7", "x1y"}) folder.write(name, "a\n");
  std::filesystem::create_directory("d10");
  std::vector<std::string> listed;
  list_directory_entries([&listed](const char* name) {
    if (is_word_list_name(name)) listed.emplace_back(name);
  });
  EXPECT_EQ(list_word_list_files(), listed);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"a01", "b02", "c99", "d10"}));
}

}  // namespace
