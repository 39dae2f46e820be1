// The component's objects over a simulated server, through the contract.
#include "standin/DynArray.h"
#include "standin/StandIn.h"
#include "standin/Text.h"

namespace standin {

namespace {

// What every object of a session holds.
struct Link {
  std::shared_ptr<Server> server;
  std::shared_ptr<Session> session;
};

class File final : public maj::DbaFile {
 public:
  File(Link link, std::string base, std::string name)
      : link_(std::move(link)), base_(std::move(base)), name_(std::move(name)) {}

  ErrorNumber Read(const std::string& key, std::shared_ptr<maj::DynArray>& record) override {
    return Guarded([&] { return link_.server->Read(*link_.session, base_, name_, key, record); });
  }

 private:
  Link link_;
  std::string base_;
  std::string name_;
};

class Database final : public maj::Database {
 public:
  Database(Link link, std::string base) : link_(std::move(link)), base_(std::move(base)) {}

  ErrorNumber OpenFile(const std::string& name, std::shared_ptr<maj::DbaFile>& file) override {
    return Guarded([&] {
      std::string found;
      const ErrorNumber result = link_.server->OpenFile(*link_.session, base_, name, found);
      if (result == maj::kOk) file = std::make_shared<File>(link_, base_, found);
      return result;
    });
  }

  ErrorNumber Execute(const std::string& command, const std::string& argument, std::int32_t& status,
                      std::shared_ptr<maj::DynArray>& answer) override {
    return Guarded([&] {
      return link_.server->Execute(*link_.session, base_, command, argument, status, answer);
    });
  }

 private:
  Link link_;
  std::string base_;
};

class Client final : public maj::CClient {
 public:
  explicit Client(Link link) : link_(std::move(link)) {}

  ErrorNumber Connect(const std::string& user, const std::string& password,
                      const std::string& third, std::int16_t& result) override {
    return Guarded(
        [&] { return link_.server->Connect(*link_.session, user, password, third, result); });
  }

  ErrorNumber Disconnect() override {
    return Guarded([&] { return link_.server->Disconnect(*link_.session); });
  }

  ErrorNumber OpenDatabase(const std::string& name, const std::string& entry,
                           std::shared_ptr<maj::Database>& database) override {
    return Guarded([&] {
      std::string base;
      const ErrorNumber result = link_.server->OpenDatabase(*link_.session, name, entry, base);
      if (result == maj::kOk) database = std::make_shared<Database>(link_, base);
      return result;
    });
  }

 private:
  Link link_;
};

class Factory final : public maj::DbaFactory {
 public:
  explicit Factory(std::shared_ptr<Server> server) : server_(std::move(server)) {}

  ErrorNumber CreateClient(const std::string& progId,
                           std::shared_ptr<maj::CClient>& client) override {
    // ProgIDs are looked up without regard to case, as in the registry.
    if (!EqualNoCase(progId, maj::kDbaClientProgId)) return kClassNotRegistered;
    return Guarded([&] {
      std::shared_ptr<Session> session;
      const ErrorNumber result = server_->CreateClient(session);
      if (result == maj::kOk) client = std::make_shared<Client>(Link{server_, session});
      return result;
    });
  }

  ErrorNumber CreateDynArray(std::shared_ptr<maj::DynArray>& array) override {
    return Guarded([&] {
      array = std::make_shared<DynArray>();
      return maj::kOk;
    });
  }

 private:
  std::shared_ptr<Server> server_;
};

}  // namespace

std::unique_ptr<maj::DbaFactory> MakeFactory(std::shared_ptr<Server> server) {
  return std::make_unique<Factory>(std::move(server));
}

}  // namespace standin
