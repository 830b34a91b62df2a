#include "app/entry.h"

namespace app {

int main(int, char**) { return -1; }

}  // namespace app
