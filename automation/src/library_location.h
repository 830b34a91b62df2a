// Where this library's code lives: the executable or shared object that
// holds the given function, as a full path.
#pragma once

#include <string>

namespace ssapi {

std::wstring libraryLocation(const void* code);

}  // namespace ssapi
