// Shared pieces of the patch tests: both generations as gtest types, the
// three output files of a run captured on scratch files, and the patch
// document's lines built from their formats.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "log/logger.h"
#include "navigation/automation_types.h"
#include "output/output_channels.h"
#include "platform/error_info.h"
#include "platform/text_encoding.h"
#include "ssapi/builder.h"
#include "support/temp_dir.h"

namespace patchtest {

using Generations = ::testing::Types<ssapi::Automation60, ssapi::Automation2005>;

struct GenerationName {
  template <class A>
  static std::string GetName(int) {
    return A::kIs2005 ? "Vss2005" : "Vss60";
  }
};

// Opens the process-wide XML, error and log channels on scratch files.
// close() ends the run (the request must be destroyed before, so that its
// document is closed) and reads the files back; log lines come without their
// time stamps: "PatchBuilderBase Error - message".
class Capture {
 public:
  explicit Capture(int threshold = logging::kError) {
    platform::clearErrorInfo();
    output::channels().openXml((dir_ / "out.xml").wstring());
    output::channels().openError((dir_ / "err.txt").wstring());
    output::channels().openLog((dir_ / "log.txt").wstring());
    logging::setThreshold(threshold);
  }
  ~Capture() { close(); }
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;

  void close() {
    if (closed_) return;
    closed_ = true;
    output::channels().closeAll();
    logging::setThreshold(logging::kError);
    platform::clearErrorInfo();
    xml_ = testsupport::readUtf16File(dir_ / "out.xml");
    errors_ = testsupport::readUtf16File(dir_ / "err.txt");
    std::wstring text = testsupport::readUtf16File(dir_ / "log.txt");
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find(L"\r\n", start);
      if (end == std::wstring::npos) end = text.size();
      std::wstring line = text.substr(start, end - start);
      std::size_t stamp = line.find(L"] ");
      if (!line.empty() && line[0] == L'[' && stamp != std::wstring::npos) line.erase(0, stamp + 2);
      lines_.push_back(line);
      start = end + 2;
    }
  }

  const std::wstring& xml() {
    close();
    return xml_;
  }
  const std::wstring& errors() {
    close();
    return errors_;
  }
  const std::vector<std::wstring>& lines() {
    close();
    return lines_;
  }
  // How many log lines equal the text.
  long count(const std::wstring& line) {
    long n = 0;
    for (const std::wstring& l : lines())
      if (l == line) ++n;
    return n;
  }

 private:
  testsupport::TempDir dir_;
  bool closed_ = false;
  std::wstring xml_;
  std::wstring errors_;
  std::vector<std::wstring> lines_;
};

inline std::wstring addFile(const std::wstring& spec, const std::wstring& file) {
  return L"   <add spec=\"" + spec + L"\" file=\"" + file + L"\"/>\n";
}
inline std::wstring addDir(const std::wstring& spec) { return L"   <add-dir spec=\"" + spec + L"\"/>\n"; }
inline std::wstring deleteFile(const std::wstring& spec) { return L"   <delete spec=\"" + spec + L"\"/>\n"; }
inline std::wstring deleteDir(const std::wstring& spec) { return L"   <delete-dir spec=\"" + spec + L"\"/>\n"; }

inline const std::wstring kDeclaration = L"<?xml version=\"1.0\"?>\n";

// The whole output file of a patch command with these entries.
inline std::wstring patchDocument(const std::vector<std::wstring>& entries) {
  std::wstring text = kDeclaration + L"<patch>\n\n";
  for (const std::wstring& entry : entries) text += entry;
  return text + L"</patch>\n\n";
}

// Local paths as the program writes them into the document.
inline std::wstring wide(const std::filesystem::path& path) { return path.wstring(); }

// Bytes of a local file; a marker text when it is missing, so that a
// comparison shows what went wrong.
inline std::string contentOf(const std::wstring& path) {
  std::ifstream in(platform::wideToUtf8(path), std::ios::binary);
  if (!in) return "<missing " + platform::wideToUtf8(path) + ">";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// "Error: 0x80004005 (-2147467259): Injected fault. Source:SourceSafe", the
// text of the builder's default fault.
inline const std::wstring kInjected = L"Error: 0x80004005 (-2147467259): Injected fault. Source:SourceSafe";

template <class A>
ComPtr<typename A::Database> openDatabase(const ssapi::DatabaseBuilder& builder) {
  return builder.template open<typename A::Generation>();
}

template <class A>
navigation::ItemPtr<A> itemAt(const ComPtr<typename A::Database>& database, const std::wstring& spec) {
  navigation::ItemPtr<A> item;
  HRESULT hr = database->get_VSSItem(spec, VARIANT_FALSE, item.put());
  EXPECT_TRUE(SUCCEEDED(hr) && item) << "no item at " << platform::wideToUtf8(spec);
  return item;
}

}  // namespace patchtest
