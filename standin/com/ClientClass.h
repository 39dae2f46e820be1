// The class identity of the stand-in's client. The program creates the client
// by its ProgID (maj::kDbaClientProgId) and never names this identity: only the
// stand-in's registration and its smoke test do.
#pragma once

#include <windows.h>

namespace dba {

// {30AEAEF5-D55D-440D-8221-B250C1335B90}
inline constexpr GUID CLSID_StandInClient = {
    0x30AEAEF5, 0xD55D, 0x440D, {0x82, 0x21, 0xB2, 0x50, 0xC1, 0x33, 0x5B, 0x90}};

}  // namespace dba
