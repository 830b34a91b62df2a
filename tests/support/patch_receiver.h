// A receiver of patch documents, as a CI server applies them: the entries in
// document order, onto the tree of the project ("add" places the content of
// the named local file, "add-dir" makes a folder, "delete" removes a file,
// "delete-dir" a folder with everything in it, the empty spec everything).
// Strict, it also lists what a careful receiver would refuse: a spec outside
// the project, removing what is not there, adding into a folder that is not
// there, a file where a folder is or the other way round.
#pragma once

#include <string>
#include <vector>

#include "support/reference_replay.h"

namespace reference {

struct PatchEntry {
  enum class Kind { kAdd, kAddDir, kDelete, kDeleteDir };
  Kind kind = Kind::kAdd;
  std::wstring spec;
  std::wstring file;  // for kAdd
};

// The entries of a patch document, in order (attribute values unescaped).
std::vector<PatchEntry> patchEntries(const std::wstring& document);

// Applies the document's entries to the tree, whose paths lie inside the
// project `projectSpec`; returns the problems met (empty when none).
std::vector<std::string> applyPatch(const std::wstring& document, const std::wstring& projectSpec, Tree* tree);

}  // namespace reference
