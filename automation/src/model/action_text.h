// The action text SourceSafe shows for a revision ("Checked in $/proj",
// "Added $sub", "Renamed a.txt to b.txt", ...). Both generations use the
// same texts; automation/README.md lists them all.
#pragma once

#include <string>

#include "model/database.h"

namespace ssapi::model {

// The text of a revision of the item `owner` (the item whose record holds it).
std::wstring actionText(const Database& db, ItemId owner, const Revision& revision);

}  // namespace ssapi::model
