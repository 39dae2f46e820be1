// The database files of one base, kept in the data folder as
// bases/<store>/<FILE>.txt: one record per line, "key = field|field|...".
// A key given twice reads as its last line, so the server adds a record by
// appending one line and never rewrites what a person wrote.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

struct DbFile {
  std::string name;  // the file name as on disk, without ".txt"
  std::filesystem::path path;
  std::map<std::string, std::vector<std::string>> records;
};

class BaseStore {
 public:
  // Loads every FILE.txt of `folder`. A missing folder is created with an empty
  // INSTALLMAJ file, so that a new base needs nothing but its settings.
  static bool Load(const std::filesystem::path& folder, BaseStore& store, std::string& error);

  // The file of that name, compared without regard to case; null when none.
  DbFile* Find(std::string_view name);

  // Appends the record to the file on disk and, once written, to memory.
  static bool Append(DbFile& file, const std::string& key, const std::vector<std::string>& fields,
                     std::string& error);

 private:
  std::vector<DbFile> files_;
};

}  // namespace standin
