// Output channels on files in a scratch folder, read back after closing.
#pragma once

#include <gtest/gtest.h>

#include "output/output_channels.h"
#include "platform/text_encoding.h"
#include "support/temp_dir.h"

namespace app {

class ChannelsTest : public ::testing::Test {
 protected:
  ChannelsTest() {
    channels_.openXml(platform::utf8ToWide((dir_ / "out.xml").string()));
    channels_.openError(platform::utf8ToWide((dir_ / "err.txt").string()));
  }
  // The XML file after its declaration; closes the channels.
  std::wstring xmlBody() {
    channels_.closeAll();
    std::wstring all = testsupport::readUtf16File(dir_ / "out.xml");
    const std::wstring declaration = L"<?xml version=\"1.0\"?>\n";
    EXPECT_EQ(all.substr(0, declaration.size()), declaration);
    return all.substr(std::min(all.size(), declaration.size()));
  }
  std::wstring errorText() {
    channels_.closeAll();
    return testsupport::readUtf16File(dir_ / "err.txt");
  }

  testsupport::TempDir dir_;
  output::OutputChannels channels_;
};

}  // namespace app
