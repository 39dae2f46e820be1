#include "steps/ExecutionMAJ.h"

#include <memory>

namespace maj {

std::string UpgradeCommand(const std::string& appPath, const std::string& drive,
                           const std::string& basePath) {
  return "LANCEMAJCD " + appPath + " " + drive + " VIDE " + basePath;
}

ErrorNumber ExecutionMAJ(RunState& state, System& system, DbaFactory& dba) {
  // A new list at each call: no field of an earlier command reaches the server.
  std::shared_ptr<DynArray> params;
  if (const ErrorNumber err = dba.CreateDynArray(params)) return err;
  state.G_Version = kVersion;
  if (const ErrorNumber err = params->PutValue("")) return err;
  if (const ErrorNumber err = params->PutField(1, "P")) return err;
  std::string appPath;
  if (const ErrorNumber err = system.AppPath(appPath)) return err;
  const std::string command = UpgradeCommand(appPath, state.W_Lecteur, state.W_CheminBase);
  if (const ErrorNumber err = params->PutField(2, command)) return err;
  std::string whole;
  if (const ErrorNumber err = params->GetValue(whole)) return err;
  if (!state.MyDatabase) return kErrObjectRequired;
  std::shared_ptr<DynArray> answer;
  if (const ErrorNumber err = state.MyDatabase->Execute(whole, "", state.W_Statut, answer)) {
    return err;
  }
  state.W_Reponse = answer;
  return kOk;
}

ErrorNumber GestionMAJ(Database* database, const std::string& version, Boolean& majOk) {
  majOk = False;
  if (!database) return kErrObjectRequired;
  std::shared_ptr<DbaFile> file;
  if (const ErrorNumber err = database->OpenFile(kVersionFile, file)) return err;
  const std::string key = version;  // the component gets a copy, never G_Version
  std::shared_ptr<DynArray> record;
  const ErrorNumber read = file->Read(key, record);
  // Only a record actually read proves the upgrade: any failure of the read,
  // whatever its number, leaves the base not upgraded.
  majOk = read == kOk ? True : False;
  return read;
}

}  // namespace maj
