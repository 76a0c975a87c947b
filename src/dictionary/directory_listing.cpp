#include "dictionary/directory_listing.h"

#if defined(_WIN32)

#include <windows.h>

void list_directory_entries(const std::function<void(const char* name)>& visit) {
  WIN32_FIND_DATAA entry;
  HANDLE listing = FindFirstFileA("*", &entry);
  if (listing == INVALID_HANDLE_VALUE) return;
  do {
    visit(entry.cFileName);
  } while (FindNextFileA(listing, &entry));
  FindClose(listing);
}

#else

#include <dirent.h>

void list_directory_entries(const std::function<void(const char* name)>& visit) {
  DIR* listing = opendir(".");
  if (!listing) return;
  while (const dirent* entry = readdir(listing)) visit(entry->d_name);
  closedir(listing);
}

#endif
