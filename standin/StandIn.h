// The stand-in database server, in process: load a data folder, then create
// the component's objects over it through the component contract. DBA.dll
// (standin/com) exposes the same objects through COM.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "contract/Dba.h"
#include "standin/Server.h"

namespace standin {

// Loads the data folder; on a missing folder or a malformed settings or record
// file returns nullptr and one error line naming the file and the line.
std::shared_ptr<Server> OpenServer(const std::filesystem::path& dataFolder, PathMapper mapper,
                                   std::string& error);

// The component's objects (clients by ProgID "DBA.CClient", DynArrays) over
// that server.
std::unique_ptr<maj::DbaFactory> MakeFactory(std::shared_ptr<Server> server);

// For hosts that are not Windows: maps "X:\a\b" to root/X/a/b (X upper-cased)
// and "\\host\share\a" to root/host/share/a; any other text to an empty path.
PathMapper FolderMapper(std::filesystem::path root);

// Where DBA.dll finds its data folder: DBA-data in `dllFolder`, unless the
// text of a DBA.ini there (`iniText`, empty when there is none) names another
// with "data = FOLDER", relative to `dllFolder` or absolute. `iniFile` is only
// used in messages.
bool LocateDataFolder(const std::filesystem::path& dllFolder, const std::string& iniText,
                      const std::string& iniFile, std::filesystem::path& dataFolder,
                      std::string& error);

}  // namespace standin
