// The generator's changes as they are made, for writers of other forms than
// the text form (SourceSafe's own files, in the benchmarks).
#pragma once

#include <string>
#include <vector>

#include "model/database.h"
#include "model/operations.h"
#include "ssapi/generator.h"

namespace ssapi {

class ChangeSink {
 public:
  virtual ~ChangeSink() = default;
  // The users, before the first change.
  virtual void begin(const std::vector<model::User>& users) = 0;
  // A change that was possible, in order; `content` holds the bytes of an
  // add-file or check-in, or those a rollback brought back.
  virtual void write(const model::Change& change, const std::string& content) = 0;
  virtual void finish() = 0;
};

// The changes generateDatabase would write, handed to the sink.
GeneratedDatabase generateChanges(const GeneratorOptions& options, ChangeSink& sink);

}  // namespace ssapi
