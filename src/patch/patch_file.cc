#include "patch/patch_file.h"

#include <fmt/xchar.h>

#include "output/xml_escape.h"

namespace patch {

PatchFile::PatchFile(output::OutputChannels& channels) : channels_(channels), log_(L"PatchFILE ===========>") {
  channels_.writeXml(L"<patch>\n\n");
}

PatchFile::~PatchFile() { channels_.writeXml(L"</patch>\n\n"); }

void PatchFile::writeFile(std::wstring spec, std::wstring file) {
  if (logging::isInfoEnabled()) log_.info(L"WriteFile " + spec + L" path: " + file);
  channels_.writeXml(fmt::format(L"   <add spec=\"{}\" file=\"{}\"/>\n", output::escapeAttribute(spec),
                                 output::escapeAttribute(file)));
}

void PatchFile::writeDir(std::wstring spec) {
  log_.info(L"WriteDir " + spec);
  channels_.writeXml(fmt::format(L"   <add-dir spec=\"{}\"/>\n", output::escapeAttribute(spec)));
}

void PatchFile::deleteFile(std::wstring spec) {
  log_.info(L"DeleteFile " + spec);
  channels_.writeXml(fmt::format(L"   <delete spec=\"{}\"/>\n", output::escapeAttribute(spec)));
}

void PatchFile::deleteDir(std::wstring spec) {
  log_.info(L"DeleteDir " + spec);
  channels_.writeXml(fmt::format(L"   <delete-dir spec=\"{}\"/>\n", output::escapeAttribute(spec)));
}

}  // namespace patch
