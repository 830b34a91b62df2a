// Describes a downloaded directory tree as patch entries.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "patch/patch_file.h"
#include "platform/file_system.h"
#include "platform/hresult.h"

namespace patch {

class LocalTreeWalker {
 public:
  // Lists a directory the way platform::listDirectory does; replaceable so
  // that tests can make one directory unreadable (as root nothing is).
  using DirectoryLister = std::function<bool(const std::wstring&, std::vector<platform::DirectoryEntry>*)>;

  explicit LocalTreeWalker(PatchFile& file, DirectoryLister lister = platform::listDirectory);
  virtual ~LocalTreeWalker() = default;
  LocalTreeWalker(const LocalTreeWalker&) = delete;
  LocalTreeWalker& operator=(const LocalTreeWalker&) = delete;

  // Writes the entries of localDir (files and subdirectory add-dir lines in
  // listing order), then walks each subdirectory. specPrefix ends with "/";
  // local paths are joined with "/", the separator of this platform.
  //
  // A directory that cannot be listed fails the walk, but only after every
  // other subdirectory was written: a patch with a missing part must not
  // look complete to the server that builds from it.
  HRESULT walk(const std::wstring& specPrefix, const std::wstring& localDir);

 private:
  PatchFile& file_;
  DirectoryLister lister_;
};

}  // namespace patch
