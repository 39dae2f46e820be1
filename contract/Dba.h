// The contract of the database-access component "DBA", as the program uses it.
//
// Pure C++ interfaces: the Windows build binds them to the COM server
// (connection/com), the native tests to the in-process stand-in (standin/).
// Every call returns its 32-bit error number (0 on success) and writes its out
// arguments only when it succeeds; an object handed out on success is never
// empty. Objects are shared: an object is released when
// its last holder lets it go, as a COM reference would be.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Errors.h"

namespace maj {

// Error numbers of the component that the program tests.
inline constexpr ErrorNumber kDbaOpenRefused = 0x80040006;  // OpenDatabase: not allowed
inline constexpr ErrorNumber kDbaLoginNeeded = 0x80040019;  // OpenDatabase: log in first
inline constexpr ErrorNumber kDbaKeyNotFound = 0x8004000B;  // DbaFile.Read: no such key

inline constexpr const char* kDbaClientProgId = "DBA.CClient";

// A list of text fields numbered from 1, reached by late binding in the real
// component (default member with 0 or 1 index, and "DCount").
class DynArray {
 public:
  virtual ~DynArray() = default;
  // The whole content as one text (fields joined in the component's own form).
  [[nodiscard]] virtual ErrorNumber GetValue(std::string& whole) = 0;
  // Replaces the whole content; "" leaves no field.
  [[nodiscard]] virtual ErrorNumber PutValue(const std::string& whole) = 0;
  // Field n, from 1; a field never written reads "".
  [[nodiscard]] virtual ErrorNumber GetField(std::int16_t index, std::string& field) = 0;
  // Writes field n, from 1; a put past the end adds empty fields up to it.
  [[nodiscard]] virtual ErrorNumber PutField(std::int16_t index, const std::string& field) = 0;
  // Number of fields up to the last one written (0 when empty).
  [[nodiscard]] virtual ErrorNumber DCount(std::int32_t& count) = 0;
};

class DbaFile {
 public:
  virtual ~DbaFile() = default;
  // The record under key; kDbaKeyNotFound when there is none.
  [[nodiscard]] virtual ErrorNumber Read(const std::string& key,
                                         std::shared_ptr<DynArray>& record) = 0;
};

class Database {
 public:
  virtual ~Database() = default;
  [[nodiscard]] virtual ErrorNumber OpenFile(const std::string& name,
                                             std::shared_ptr<DbaFile>& file) = 0;
  // Runs a server command. `command` is the whole value of a DynArray whose
  // field 1 is "P" and field 2 the command line; `argument` is the text the
  // component's second (variant) argument holds; `status` is written by the
  // server and never read by the program.
  [[nodiscard]] virtual ErrorNumber Execute(const std::string& command, const std::string& argument,
                                            std::int32_t& status,
                                            std::shared_ptr<DynArray>& answer) = 0;
};

class CClient {
 public:
  virtual ~CClient() = default;
  [[nodiscard]] virtual ErrorNumber Connect(const std::string& user, const std::string& password,
                                            const std::string& third, std::int16_t& result) = 0;
  // The component returns a variant here; nothing in it is used.
  [[nodiscard]] virtual ErrorNumber Disconnect() = 0;
  [[nodiscard]] virtual ErrorNumber OpenDatabase(const std::string& name, const std::string& entry,
                                                 std::shared_ptr<Database>& database) = 0;
};

// Creates the component's objects: a client by its ProgID ("DBA.CClient"), a
// DynArray by its class.
class DbaFactory {
 public:
  virtual ~DbaFactory() = default;
  [[nodiscard]] virtual ErrorNumber CreateClient(const std::string& progId,
                                                 std::shared_ptr<CClient>& client) = 0;
  [[nodiscard]] virtual ErrorNumber CreateDynArray(std::shared_ptr<DynArray>& array) = 0;
};

}  // namespace maj
