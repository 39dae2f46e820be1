// The component contract of contract/Dba.h bound to the COM server "DBA":
// the client, the base and the database file through their vtables (raw
// interfaces of DbaCom.h), and DynArray by late binding only. Every HRESULT
// comes back unchanged as the error number. Windows only; all calls on the
// thread that initialised COM.
#pragma once

#include <memory>

#include "contract/Dba.h"
#include "contract/com/DbaCom.h"
#include "support/win32/ComOwners.h"

namespace maj {

// Creates the client by ProgID and DynArrays by class.
class ComDbaFactory final : public DbaFactory {
 public:
  [[nodiscard]] ErrorNumber CreateClient(const std::string& progId,
                                         std::shared_ptr<CClient>& client) override;
  [[nodiscard]] ErrorNumber CreateDynArray(std::shared_ptr<DynArray>& array) override;
};

// The wrappers over objects the server hands out (also what the tests drive).
std::shared_ptr<CClient> WrapClient(com::ComPtr<dba::ICClient> client);
std::shared_ptr<DynArray> WrapDynArray(com::ComPtr<IDispatch> array);

}  // namespace maj
