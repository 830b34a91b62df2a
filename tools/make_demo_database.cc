// Writes the bundled demo database (examples/demo): a small project history
// that uses every kind of change our automation library can record.
//
//   make_demo_database <folder>
#include <cstdio>
#include <exception>

#include "ssapi/builder.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  try {
    ssapi::DatabaseBuilder db;
    // 2026-03-02 09:00:00 UTC, then one change a minute unless said otherwise.
    std::int64_t t = 1772442000;
    auto next = [&t]() { return t += 60; };
    db.addUser(L"alice", L"").addUser(L"bob", L"");
    db.at(next()).by(L"Admin").withComment(L"Project for the demo").createProject(L"$/web");
    db.at(next()).createProject(L"$/web/src");
    db.at(next()).createProject(L"$/lib");
    db.at(next()).by(L"alice").withComment(L"First page").addFile(L"$/web/src/index.html", "<html>v1</html>\r\n");
    db.at(next()).addFile(L"$/web/src/style.css", "body {}\r\n");
    db.at(next()).addFile(L"$/lib/util.js", "function util() {}\r\n");
    db.at(next()).withComment(L"Title & <meta>").checkIn(L"$/web/src/index.html", "<html>v2</html>\r\n");
    db.at(next()).by(L"bob").withComment(L"Share the helper").share(L"$/lib/util.js", L"$/web/src");
    db.at(next()).by(L"Admin").label(L"$/web", L"Release 1.0", L"first release");
    db.at(next()).by(L"alice").checkIn(L"$/lib/util.js", "function util() { return 1; }\r\n");
    db.at(next()).rename(L"$/web/src/style.css", L"site.css");
    db.at(next()).addFile(L"$/web/notes.txt", "draft\r\n");
    db.at(next()).remove(L"$/web/notes.txt");
    db.at(next()).recover(L"$/web/notes.txt");
    db.at(next()).addFile(L"$/web/old.txt", "obsolete\r\n");
    db.at(next()).destroy(L"$/web/old.txt");
    db.at(next()).addFile(L"$/web/tmp.txt", "temporary\r\n");
    db.at(next()).remove(L"$/web/tmp.txt");
    db.at(next()).purge(L"$/web/tmp.txt");
    db.at(next()).by(L"bob").pin(L"$/web/src/util.js", 1);
    db.at(next()).unpin(L"$/web/src/util.js");
    db.at(next()).withComment(L"Own copy for the web").branch(L"$/web/src/util.js");
    db.at(next()).checkIn(L"$/web/src/util.js", "function util() { return 2; }\r\n");
    db.at(next()).by(L"alice").createProject(L"$/web/assets");
    db.at(next()).addFile(L"$/web/assets/logo.txt", "LOGO\r\n");
    db.at(next()).rename(L"$/web/assets", L"media");
    db.at(next()).by(L"Admin").createProject(L"$/archive");
    db.at(next()).move(L"$/web/media", L"$/archive");
    db.at(next()).move(L"$/archive/media", L"$/web");
    db.at(next()).by(L"alice").checkIn(L"$/web/src/index.html", "<html>v3</html>\r\n");
    db.at(next()).rollback(L"$/web/src/index.html", 2);
    db.at(next()).addFile(L"$/web/src/about.html", "<html>about</html>\r\n");
    db.at(next()).by(L"Admin").archive(L"$/web/src/about.html");
    db.at(next()).restore(L"$/web/src/about.html");
    db.at(next()).by(L"bob").withComment(L"Remove the old folder").remove(L"$/archive");
    db.writeTo(argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_demo_database: %s\n", e.what());
    return 1;
  }
  return 0;
}
