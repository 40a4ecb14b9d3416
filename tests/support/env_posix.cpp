#include <stdlib.h>

#include "env.h"

namespace orvtest {

void setEnv(const char* name, const std::string& value) {
    setenv(name, value.c_str(), 1);
}

void unsetEnv(const char* name) {
    unsetenv(name);
}

}  // namespace orvtest
