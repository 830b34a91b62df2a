// Which versions an item's get_Versions lists, and their newest-first merge.
// Each item keeps its revisions in order, so the merged list of a whole tree
// comes from one cursor per item and a heap: its cost is the items of the
// tree plus log(items) per version handed out, never a rescan of the history.
#pragma once

#include <cstdint>
#include <memory>
#include <queue>
#include <vector>

#include "model/database.h"
#include "objects/session.h"

namespace ssapi::objects {

// One item whose versions are listed, reached along `path`. Only the first
// source (the item asked about) holds its spec: the others are named by
// the source of their project (`parent`) and their name, see specOf.
struct VersionSource {
  ItemRef path;
  std::int32_t maxVersion = 0;  // versions above it are left out (made after the moment)
  std::int32_t parent = -1;
};

// The source's path with its spec.
ItemRef pathOf(const std::vector<VersionSource>& sources, std::size_t index);

// The item's own versions up to its moment; with VSSFLAG_RECURSYES on a
// project, also those of every item that was ever below it up to then
// (deleted, moved away and destroyed ones included, each physical item once),
// files left out under VSSFLAG_HISTIGNOREFILES. Fails with the item's own
// failure when the records of an item below cannot be read.
HRESULT versionSources(const model::Database& db, const ItemRef& item, long flags,
                       std::vector<VersionSource>* sources);

struct VersionPoint {
  std::size_t source = 0;
  std::int32_t version = 0;
};

// Hands out the versions of the sources newest first: time descending, then
// creation sequence descending, then source order.
class VersionMerger {
 public:
  VersionMerger(std::shared_ptr<const model::Database> db, std::shared_ptr<const std::vector<VersionSource>> sources);
  bool next(VersionPoint* point);
  // The version the next call hands out, without taking it.
  const VersionPoint* peek() const;
  void reset();

 private:
  struct Cursor {
    std::vector<std::int32_t> order;  // only for items whose times are out of order
    std::size_t position = 0;
    std::int32_t version = 0;  // the next version; 0 when done
  };
  struct Head {
    std::int64_t time;
    std::uint64_t seq;
    std::size_t source;
    std::int32_t version;
  };
  struct Older {
    bool operator()(const Head& a, const Head& b) const {
      if (a.time != b.time) return a.time < b.time;
      if (a.seq != b.seq) return a.seq < b.seq;
      return a.source > b.source;
    }
  };

  void push(std::size_t source);

  std::shared_ptr<const model::Database> db_;
  std::shared_ptr<const std::vector<VersionSource>> sources_;
  std::vector<Cursor> cursors_;
  std::priority_queue<Head, std::vector<Head>, Older> heap_;
  mutable VersionPoint peeked_;
};

}  // namespace ssapi::objects
