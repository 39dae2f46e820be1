#include "standin/Store.h"

#include <fstream>
#include <system_error>

#include "standin/IniText.h"
#include "standin/Text.h"

namespace standin {

namespace {

namespace fs = std::filesystem;

constexpr const char* kNewFileHeader =
    "# Records of this database file, one a line: key = field|field|...\n";

bool LoadFile(const fs::path& path, DbFile& file, std::string& error) {
  std::string text;
  if (!ReadWholeFile(path, text, error)) return false;
  std::vector<IniLine> lines;
  const std::string name = Utf8FromPath(path);
  if (!ParseIniText(text, name, lines, error)) return false;
  for (const IniLine& line : lines) {
    if (line.section) {
      error = Located(name, line.number, "a record file has no [sections]");
      return false;
    }
    file.records[line.key] =
        line.value.empty() ? std::vector<std::string>{} : Split(line.value, '|');
  }
  file.name = Utf8FromPath(path.stem());
  file.path = path;
  return true;
}

// A record line holds no line break, and | only between fields.
std::string Clean(std::string_view text) {
  std::string clean(text);
  for (char& c : clean) {
    if (c == '\r' || c == '\n' || c == '|') c = '?';
  }
  return clean;
}

// Whether the file is empty or ends with a line break.
bool EndsLine(const fs::path& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in || in.tellg() <= 0) return true;
  in.seekg(-1, std::ios::end);
  char last = '\n';
  in.get(last);
  return last == '\n';
}

}  // namespace

bool BaseStore::Load(const fs::path& folder, BaseStore& store, std::string& error) {
  std::error_code failure;
  store.files_.clear();
  if (!fs::exists(folder, failure)) {
    fs::create_directories(folder, failure);
    std::ofstream created(folder / "INSTALLMAJ.txt", std::ios::binary);
    created << kNewFileHeader;
    if (failure || !created) {
      error = Utf8FromPath(folder) + ": cannot create the base's store folder";
      return false;
    }
  }
  fs::directory_iterator entries(folder, failure);
  if (failure) {
    error = Utf8FromPath(folder) + ": cannot list the base's store folder";
    return false;
  }
  for (const fs::directory_entry& entry : entries) {
    const fs::path& path = entry.path();
    if (!entry.is_regular_file(failure) || FoldCase(Utf8FromPath(path.extension())) != ".txt") {
      continue;
    }
    DbFile file;
    if (!LoadFile(path, file, error)) return false;
    if (store.Find(file.name)) {
      error = Utf8FromPath(path) + ": another file of this folder has the same name";
      return false;
    }
    store.files_.push_back(std::move(file));
  }
  return true;
}

DbFile* BaseStore::Find(std::string_view name) {
  for (DbFile& file : files_) {
    if (EqualNoCase(file.name, name)) return &file;
  }
  return nullptr;
}

bool BaseStore::Append(DbFile& file, const std::string& key, const std::vector<std::string>& fields,
                       std::string& error) {
  std::vector<std::string> cleanFields;
  for (const std::string& field : fields) cleanFields.push_back(Clean(field));
  // A hand-written file may end without a line break: start a line of our own.
  std::string line = EndsLine(file.path) ? "" : "\n";
  line += Clean(key) + " = ";
  for (std::size_t i = 0; i < cleanFields.size(); ++i) {
    if (i > 0) line += '|';
    line += cleanFields[i];
  }
  line += '\n';
  std::ofstream out(file.path, std::ios::binary | std::ios::app);
  out << line;
  out.close();
  if (!out) {
    error = Utf8FromPath(file.path) + ": cannot be written";
    return false;
  }
  file.records[Clean(key)] = std::move(cleanFields);
  return true;
}

}  // namespace standin
