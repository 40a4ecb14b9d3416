#include <stdlib.h>

#include "env.h"

namespace orvtest {

void setEnv(const char* name, const std::string& value) {
    _putenv_s(name, value.c_str());
}

// An empty value removes the variable.
void unsetEnv(const char* name) {
    _putenv_s(name, "");
}

}  // namespace orvtest
