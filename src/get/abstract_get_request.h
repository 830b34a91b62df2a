// The "get" command: one file as it stood at a time, or at a version number,
// written to a local path.
#pragma once

#include <memory>
#include <string>

#include "navigation/item_logger.h"
#include "navigation/version_cast.h"
#include "output/output_channels.h"
#include "util/java_time.h"

namespace get {

// The path is always resolved as it stood at the time; the variants differ
// only in which version of the item found there is written (see byTime and
// byVersion). Nothing goes to the output XML file: the extracted file, the
// log and the error file are the whole result.
template <class A>
class AbstractGetRequest : public navigation::VersionCast<A> {
 public:
  using Database = typename A::Database;
  using ItemPtr = navigation::ItemPtr<A>;

  // The item found at the time is written as it is.
  static std::unique_ptr<AbstractGetRequest> byTime(output::OutputChannels& channels);
  // The item found at the time is written at that version number, even when
  // the version is later than the time.
  static std::unique_ptr<AbstractGetRequest> byVersion(output::OutputChannels& channels, LONG version);

  ~AbstractGetRequest() override = default;

  HRESULT run(Database& database, const std::wstring& path, const std::wstring& outputFile,
              const util::JavaTime& time);

  // A debug log then shows every project passed on the way down.
  HRESULT OnTimedChildFound(const ItemPtr& timedParent) override;

 protected:
  explicit AbstractGetRequest(output::OutputChannels& channels);

  // The item to write, taken from the one found at the time.
  virtual HRESULT pickItem(const ItemPtr& found, ItemPtr* picked) = 0;

  const navigation::ItemLogger<A>& log() const { return log_; }

 private:
  output::OutputChannels& channels_;
  navigation::ItemLogger<A> log_;
};

extern template class AbstractGetRequest<ssapi::Automation60>;
extern template class AbstractGetRequest<ssapi::Automation2005>;

}  // namespace get
