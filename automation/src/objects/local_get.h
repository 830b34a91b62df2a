// Get: writes a file version, or a project's tree as of the version the
// item stands for, to local disk. Never writes outside the folder it is
// given: names that cannot be one path component are refused before
// anything is written.
#pragma once

#include <string>

#include "objects/session.h"
#include "platform/hresult.h"

namespace ssapi::objects {

// local: in, the target (empty: the working folder); out, the path used.
// Records the error information itself on failure.
HRESULT getToLocal(const Session& session, const ItemRef& item, std::wstring* local, long flags);

// The working folder of an item: a project's own, a file's project's plus its name; empty when none was set.
std::wstring workingFolder(const Session& session, const ItemRef& item);

}  // namespace ssapi::objects
