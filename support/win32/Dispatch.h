// Late binding through IDispatch, as a script client calls an object: members
// by name or by DISPID, arguments as variants, and the server's own error
// number when a call raises an exception. Windows only.
#pragma once

#include <oaidl.h>

#include <cstdint>
#include <initializer_list>
#include <string>

namespace com {

// The DISPID of a member asked by name.
[[nodiscard]] HRESULT GetDispId(IDispatch* object, const wchar_t* name, DISPID& id);

// Calls a member. `args` are in their natural order (first argument first); a
// property put passes its last argument as the value (named DISPID_PROPERTYPUT).
// `result` may be null. A raised exception yields its own error number.
[[nodiscard]] HRESULT Invoke(IDispatch* object, DISPID member, WORD flags,
                             std::initializer_list<const VARIANT*> args, VARIANT* result);

// The same, with the member asked by name first.
[[nodiscard]] HRESULT InvokeByName(IDispatch* object, const wchar_t* name, WORD flags,
                                   std::initializer_list<const VARIANT*> args, VARIANT* result);

// Value conversions with the automation rules (an empty variant reads "" or 0).
[[nodiscard]] HRESULT ToUtf8(const VARIANT& value, std::string& text);
[[nodiscard]] HRESULT ToInt32(const VARIANT& value, std::int32_t& number);
// The object a variant holds (VT_DISPATCH, or VT_UNKNOWN answering IDispatch),
// with one reference for the caller; E_POINTER when it holds none.
[[nodiscard]] HRESULT ToDispatch(const VARIANT& value, IDispatch** object);

}  // namespace com
