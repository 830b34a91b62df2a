#include "patch/clean_patch_builder.h"
#include "patch/smart_patch_builder2.h"
#include "patch/tree_based_clean_patch_builder.h"
#include "sourcesafe/program_requests.h"
#include "ssapi/ssapi.h"

namespace sourcesafe {

template <class A>
HRESULT ProgramRequests<A>::smartPatch(Database* database, const std::wstring& path, const std::wstring& mask,
                                       util::JavaTime from, util::JavaTime to) {
  return patch::SmartPatchBuilder2<A>(channels_, mask, from, to).run(database, path);
}

template <class A>
HRESULT ProgramRequests<A>::cleanPatch(Database* database, const std::wstring& path, const std::wstring& mask,
                                       util::JavaTime from, util::JavaTime to) {
  return patch::CleanPatchBuilder<A>(channels_, mask, from, to).run(*database, path);
}

template <class A>
HRESULT ProgramRequests<A>::treePatch(Database* database, const std::wstring& path, const std::wstring& mask,
                                      util::JavaTime from, util::JavaTime to) {
  return patch::TreeBasedCleanPatchBuilder<A>(channels_, mask, from, to).run(*database, path);
}

#define QUILLGATE_PATCH_COMMANDS(A)                                                                               \
  template HRESULT ProgramRequests<A>::smartPatch(Database*, const std::wstring&, const std::wstring&,            \
                                                  util::JavaTime, util::JavaTime);                                \
  template HRESULT ProgramRequests<A>::cleanPatch(Database*, const std::wstring&, const std::wstring&,            \
                                                  util::JavaTime, util::JavaTime);                                \
  template HRESULT ProgramRequests<A>::treePatch(Database*, const std::wstring&, const std::wstring&,             \
                                                 util::JavaTime, util::JavaTime);
QUILLGATE_PATCH_COMMANDS(ssapi::Automation60)
QUILLGATE_PATCH_COMMANDS(ssapi::Automation2005)
#undef QUILLGATE_PATCH_COMMANDS

}  // namespace sourcesafe
