// The "patch2" command: the whole project as it stood at the time "to",
// fetched by one recursive download and described as a clean patch.
#pragma once

#include <string>

#include "navigation/item_logger.h"
#include "output/output_channels.h"
#include "patch/local_tree_walker.h"
#include "patch/patch_builder_base.h"
#include "patch/patch_file.h"
#include "util/java_time.h"

namespace patch {

// The patch first removes everything ("delete-dir" with an empty spec), then
// adds every directory and file of the download, so the receiving side ends
// up with a clean copy whatever it had before. The download directory is
// named like the first temp file and stays in place: the patch's file
// attributes point into it.
template <class A>
class CleanPatchBuilder {
 public:
  using Database = typename A::Database;

  // from is accepted for the command's sake and ignored.
  CleanPatchBuilder(output::OutputChannels& channels, std::wstring outputFileMask, util::JavaTime from,
                    util::JavaTime to);
  virtual ~CleanPatchBuilder() = default;
  CleanPatchBuilder(const CleanPatchBuilder&) = delete;
  CleanPatchBuilder& operator=(const CleanPatchBuilder&) = delete;

  HRESULT run(Database& database, const std::wstring& path);

  // Tests replace the directory listing of the walk.
  void setDirectoryLister(LocalTreeWalker::DirectoryLister lister) { lister_ = std::move(lister); }

 private:
  PatchBuilderBase<A> patchBase_;
  PatchFile patchFile_;
  navigation::ItemLogger<A> log_;
  util::JavaTime to_;
  [[maybe_unused]] output::OutputChannels& channels_;
  LocalTreeWalker::DirectoryLister lister_ = platform::listDirectory;
};

extern template class CleanPatchBuilder<ssapi::Automation60>;
extern template class CleanPatchBuilder<ssapi::Automation2005>;

}  // namespace patch
