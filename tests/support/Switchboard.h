// Decorators over the component's objects that make chosen calls fail, for
// the failures the stand-in server cannot stage by itself (objects that
// cannot be created, lists that break, a reconnection refused on its n-th try).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "contract/Dba.h"

namespace maj::test {

inline constexpr ErrorNumber kSwitchedOff = 0x80040777;

// A list whose calls can be made to fail one kind at a time.
class BrokenList : public DynArray {
 public:
  explicit BrokenList(std::shared_ptr<DynArray> real) : real_(std::move(real)) {}
  ErrorNumber GetValue(std::string& whole) override { return real_->GetValue(whole); }
  ErrorNumber PutValue(const std::string& whole) override {
    return failPut ? kSwitchedOff : real_->PutValue(whole);
  }
  ErrorNumber GetField(std::int16_t index, std::string& field) override {
    return index == failGet ? kSwitchedOff : real_->GetField(index, field);
  }
  ErrorNumber PutField(std::int16_t index, const std::string& field) override {
    return failPut ? kSwitchedOff : real_->PutField(index, field);
  }
  ErrorNumber DCount(std::int32_t& count) override {
    if (failCount) return kSwitchedOff;
    if (countOverride) {
      count = *countOverride;
      return kOk;
    }
    return real_->DCount(count);
  }
  std::int16_t failGet = 0;
  bool failPut = false;
  bool failCount = false;
  std::optional<std::int32_t> countOverride;

 private:
  std::shared_ptr<DynArray> real_;
};

// The real factory, except for the calls numbered in the sets (from 1, over
// the whole test).
class Switchboard : public DbaFactory {
 public:
  explicit Switchboard(DbaFactory& real) : real_(real) {}

  ErrorNumber CreateClient(const std::string& progId, std::shared_ptr<CClient>& client) override {
    if (failCreateClient.count(++clients_)) return kSwitchedOff;
    std::shared_ptr<CClient> real;
    if (const ErrorNumber err = real_.CreateClient(progId, real)) return err;
    client = std::make_shared<Client>(*this, real);
    return kOk;
  }
  ErrorNumber CreateDynArray(std::shared_ptr<DynArray>& array) override {
    if (failCreateDynArray.count(++arrays_)) return kSwitchedOff;
    std::shared_ptr<DynArray> real;
    if (const ErrorNumber err = real_.CreateDynArray(real)) return err;
    auto broken = std::make_shared<BrokenList>(real);
    broken->failPut = breakPutsOfArray.count(arrays_) != 0;
    array = broken;
    return kOk;
  }

  std::set<int> failCreateClient;
  std::set<int> failCreateDynArray;
  std::set<int> breakPutsOfArray;  // lists whose field puts fail
  std::set<int> failConnect;

 private:
  class Client : public CClient {
   public:
    Client(Switchboard& board, std::shared_ptr<CClient> real)
        : board_(board), real_(std::move(real)) {}
    ErrorNumber Connect(const std::string& user, const std::string& password,
                        const std::string& third, std::int16_t& result) override {
      if (board_.failConnect.count(++board_.connects_)) return kSwitchedOff;
      return real_->Connect(user, password, third, result);
    }
    ErrorNumber Disconnect() override { return real_->Disconnect(); }
    ErrorNumber OpenDatabase(const std::string& name, const std::string& entry,
                             std::shared_ptr<Database>& database) override {
      return real_->OpenDatabase(name, entry, database);
    }

   private:
    Switchboard& board_;
    std::shared_ptr<CClient> real_;
  };

  DbaFactory& real_;
  int clients_ = 0;
  int arrays_ = 0;
  int connects_ = 0;
};

}  // namespace maj::test
