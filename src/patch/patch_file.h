// The patch document: what turns one state of a project into another, as
// add, add-dir, delete and delete-dir entries in the output XML file.
#pragma once

#include <string>

#include "log/logger.h"
#include "output/output_channels.h"

namespace patch {

// Construction writes the opening line and destruction the closing one, so
// the document is closed even when the command fails part-way. Entries are
// written as the builders decide them: not sorted, not merged.
class PatchFile {
 public:
  explicit PatchFile(output::OutputChannels& channels);
  virtual ~PatchFile();
  PatchFile(const PatchFile&) = delete;
  PatchFile& operator=(const PatchFile&) = delete;

  // The content of the local file is to be placed at spec.
  void writeFile(std::wstring spec, std::wstring file);
  void writeDir(std::wstring spec);
  void deleteFile(std::wstring spec);
  // Removes the directory with everything in it; the empty spec stands for
  // everything the receiving side has.
  void deleteDir(std::wstring spec);

 private:
  output::OutputChannels& channels_;
  logging::Logger log_;
};

}  // namespace patch
